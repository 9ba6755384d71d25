#pragma once

#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Resources/CFileStream.h"
#include "Engine/IKernel/Resources/CMemoryStream.h"
#include "Engine/IKernel/System/FileTestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace StreamTestSupport {

using namespace Tavrin::Engine;

// Takes over the creation reference of a new stream.
template <typename T>
CManagedPtr<T> own(T* object)
{
    return CManagedPtr<T>::adopt(object);
}

// Deterministic bytes: runs of text, repeats and noise, so that deflate meets
// literals, matches and stored-looking data.
inline std::vector<unsigned char> sampleBytes(size_t size, uint32_t seed)
{
    std::vector<unsigned char> bytes(size);
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i)
    {
        state = state * 1664525u + 1013904223u;
        size_t block = (i / 4096) % 3;
        if (block == 0)
            bytes[i] = static_cast<unsigned char>("the quick brown fox jumps "[i % 26]);
        else if (block == 1)
            bytes[i] = static_cast<unsigned char>(state >> 24);
        else
            bytes[i] = static_cast<unsigned char>('a' + (state >> 28));
    }
    return bytes;
}

// The whole content of a stream read in pieces of `piece` bytes.
inline std::vector<unsigned char> drain(CStream& stream, size_t piece)
{
    std::vector<unsigned char> out;
    std::vector<unsigned char> buffer(piece);
    for (;;)
    {
        uint64_t got = stream.read(buffer.data(), piece);
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(got));
        if (got < piece)
            return out;
    }
}

// Takes nothing from its first `refusals` writes, everything after: a medium
// that failed for a moment (a full disk, then cleared).
class CRefusingStream final : public CMemoryStream
{
public:
    using CMemoryStream::write;

    explicit CRefusingStream(uint32_t refusals) : m_refusals(refusals) {}

    uint64_t write(const void* data, uint64_t count) override
    {
        if (m_refusals == 0)
            return CMemoryStream::write(data, count);
        --m_refusals;
        return 0;
    }

private:
    ~CRefusingStream() override = default;

    uint32_t m_refusals;
};

inline std::vector<unsigned char> memoryData(CMemoryStream& stream)
{
    return std::vector<unsigned char>(stream.getData(), stream.getData() + stream.getSize());
}

// A file's bytes read with the C runtime (an independent reader).
inline std::vector<unsigned char> fileBytes(const char* path)
{
    std::vector<unsigned char> bytes;
    CString native = CFileSystem::toNativePath(CFileUtils::resolveAliases(path));
    FILE* file = fopen(native.c_str(), "rb");
    if (!file)
        return bytes;
    unsigned char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    fclose(file);
    return bytes;
}

inline bool writeFileBytes(const char* path, const std::vector<unsigned char>& bytes)
{
    CString native = CFileSystem::toNativePath(CFileUtils::resolveAliases(path));
    FILE* file = fopen(native.c_str(), "wb");
    if (!file)
        return false;
    bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

} // namespace StreamTestSupport
