#include "Engine/IKernel/Maths/Hash.h"

#include "Engine/IKernel/Maths/CMurmurHash3.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstring>

namespace Tavrin {
namespace Engine {

uint32_t hashBytes(const void* data, uint32_t count)
{
    CMurmurHash3 hash;
    hash.feed(data, count);
    return hash.finish();
}

uint32_t hashCString(const char* text)
{
    if (!text || !text[0])
        return 0;
    return hashBytes(text, static_cast<uint32_t>(strlen(text)));
}

uint32_t hashName(const CString& name)
{
    // Lower-cased through a stack buffer in pieces: the same bytes as a
    // lower-cased copy, without a heap round trip on every name lookup.
    CMurmurHash3 hash;
    const auto* text = reinterpret_cast<const unsigned char*>(name.getData());
    int32_t remaining = name.getLength();
    unsigned char lowered[256];
    while (remaining > 0)
    {
        int32_t piece = remaining < int32_t(sizeof(lowered)) ? remaining : int32_t(sizeof(lowered));
        for (int32_t i = 0; i < piece; ++i)
            lowered[i] = CString::s_lowerCaseTable[text[i]];
        hash.feed(lowered, static_cast<uint32_t>(piece));
        text += piece;
        remaining -= piece;
    }
    return hash.finish();
}

} // namespace Engine
} // namespace Tavrin
