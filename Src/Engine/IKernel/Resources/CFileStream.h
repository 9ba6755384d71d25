#pragma once

#include "Engine/IKernel/Resources/CStream.h"
#include "Engine/IKernel/System/CFile.h"

namespace Tavrin {
namespace Engine {

// A stream on a file. A file that cannot be opened is only logged: the stream
// then reads zeros (each failure logged) and writes nothing.
class CFileStream : public CStream
{
public:
    using CStream::read;
    using CStream::write;

    // Access 1 reads (others may read too), 2 writes a new file, 3 does both.
    CFileStream(uint32_t access, const CString& path);

    uint64_t getSize() override;
    uint64_t getPosition() override;
    uint64_t setPosition(uint64_t offset) override;
    uint64_t seek(uint32_t origin, int64_t offset) override;
    bool canSeek() override { return true; }
    bool hasSize() override { return true; }
    void close() override;

    uint64_t write(const void* data, uint64_t count) override;
    uint64_t read(void* buffer, uint64_t count) override;

    const CFile& getFile() const { return m_file; }

protected:
    ~CFileStream() override = default;

private:
    CFile m_file;
};

} // namespace Engine
} // namespace Tavrin
