#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

class CString;

// MurmurHash3 (x86, 32-bit) with the engine seed 0x0BADF00D; zero bytes hash
// to the seed's final mix.
uint32_t hashBytes(const void* data, uint32_t count);
// 0 for a null or empty text, else the byte hash of its characters.
uint32_t hashCString(const char* text);
// The key of named objects: the byte hash of the lower-cased text (Latin-1
// capitals fold too). An empty name hashes the empty text, which is not 0.
uint32_t hashName(const CString& name);

} // namespace Engine
} // namespace Tavrin
