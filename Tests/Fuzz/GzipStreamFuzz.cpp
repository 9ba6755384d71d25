// Decompresses arbitrary bytes as gzip data: never a crash, a hang or memory
// beyond the output actually produced.
#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Resources/CBufferedStream.h"
#include "Engine/IKernel/Resources/CMemoryStream.h"
#include "Engine/IKernel/Resources/Zip/CGZipStream.h"
#include "FuzzSupport.h"

#include <cstdint>
#include <cstring>

using namespace Tavrin::Engine;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    tavrinFuzzSetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks how the output is taken, the rest is the gzip data.
    uint8_t style = size ? data[0] : 0;
    if (size)
        ++data, --size;
    CManagedPtr<CMemoryStream> packed =
        CManagedPtr<CMemoryStream>::adopt(new CMemoryStream(const_cast<uint8_t*>(data), size));
    CManagedPtr<CStream> unzip = CManagedPtr<CStream>::adopt(new CGZipStream(packed.get()));
    if (style & 1)
        unzip = CManagedPtr<CStream>::adopt(new CBufferedStream(unzip.get()));
    static uint8_t out[65536];
    size_t piece = 1 + (style >> 1) * 257 % sizeof(out);
    // Deflate expands at most about 1032 times; stop well past that.
    uint64_t limit = 1100 * static_cast<uint64_t>(size) + 65536;
    uint64_t total = 0;
    for (;;)
    {
        uint64_t got = unzip->read(out, piece);
        FUZZ_CHECK(got <= piece);
        total += got;
        FUZZ_CHECK(total <= limit);
        if (got < piece)
            break;
    }
    // Once finished, it stays finished.
    if (!(style & 1))
        FUZZ_CHECK(unzip->read(out, 1) == 0);
    return 0;
}
