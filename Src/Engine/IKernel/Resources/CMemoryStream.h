#pragma once

#include "Engine/IKernel/Resources/CStream.h"

namespace Tavrin {
namespace Engine {

// A stream on a memory block: its own (grown by doubling, below 4 GiB) or a
// caller's, which it neither grows nor frees.
class CMemoryStream : public CStream
{
public:
    using CStream::read;
    using CStream::write;

    // An owned, empty, readable and writable block of `capacity` bytes.
    explicit CMemoryStream(uint32_t capacity = 0);
    // The caller's block, all `size` bytes of it data.
    CMemoryStream(void* block, uint64_t size, uint32_t access = C_ACCESS_READ);

    uint64_t getSize() override { return m_dataSize; }
    uint64_t getPosition() override { return m_position; }
    uint64_t setPosition(uint64_t offset) override;
    // "End" counts from the end of the block.
    uint64_t seek(uint32_t origin, int64_t offset) override;
    bool canSeek() override { return true; }
    bool hasSize() override { return true; }

    uint64_t write(const void* data, uint64_t count) override;
    uint64_t read(void* buffer, uint64_t count) override;

    virtual uint64_t getCapacity() { return m_capacity; }
    // A copy of the data that the caller deletes.
    virtual CArray<char>* toArray();

    const unsigned char* getData() const { return m_start; }
    bool ownsBlock() const { return m_owns; }

protected:
    ~CMemoryStream() override;

private:
    void _reserve(uint64_t wanted);

    // The cursor and the ends are kept as offsets from the start, so that a
    // cursor placed past the block never forms an out-of-range pointer.
    unsigned char* m_start;
    uint64_t m_position;
    uint64_t m_dataSize;
    uint64_t m_capacity;
    bool m_owns;
};

} // namespace Engine
} // namespace Tavrin
