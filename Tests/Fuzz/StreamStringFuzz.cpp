// Reads CStrings and typed values from arbitrary bytes: a count larger than
// the data must neither crash nor reserve the memory it claims.
#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Resources/CBufferedStream.h"
#include "Engine/IKernel/Resources/CMemoryStream.h"
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
    CManagedPtr<CMemoryStream> memory =
        CManagedPtr<CMemoryStream>::adopt(new CMemoryStream(const_cast<uint8_t*>(data), size));
    for (int pass = 0; pass < 2; ++pass)
    {
        memory->setPosition(0);
        // The second pass reads the same bytes through a buffer.
        CManagedPtr<CStream> stream(memory.get());
        if (pass == 1)
            stream = CManagedPtr<CStream>::adopt(new CBufferedStream(memory.get()));
        uint64_t position = 0;
        for (int item = 0; position < size; ++item)
        {
            uint64_t before = stream->getPosition();
            FUZZ_CHECK(before == position);
            if (item % 3 == 2)
            {
                stream->readUInt16();
                stream->readDouble();
            }
            else
            {
                CString text;
                stream->read(text);
                uint64_t taken = stream->getPosition() - before;
                FUZZ_CHECK(taken <= size - before);
                FUZZ_CHECK(static_cast<uint64_t>(text.getLength()) + 4 <= taken || text.isEmpty());
                FUZZ_CHECK(text.getLength() == 0 || strlen(text.getData()) == static_cast<size_t>(text.getLength()));
            }
            uint64_t after = stream->getPosition();
            FUZZ_CHECK(after > before && after <= size);
            position = after;
        }
    }
    return 0;
}
