#pragma once

#include "Engine/IKernel/System/CFileName.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A thin handle on an open operating-system file. A failed open leaves a null
// handle (reads fail and zero their buffer, writes write nothing); after close
// the handle holds the invalid-handle value and every transfer throws.
class CFile
{
public:
    static constexpr uint32_t C_MODE_READ = 0;
    static constexpr uint32_t C_MODE_WRITE = 1;
    static constexpr uint32_t C_MODE_READ_WRITE = 2;

    static constexpr uint32_t C_SHARE_NONE = 0;
    static constexpr uint32_t C_SHARE_READ = 1;
    static constexpr uint32_t C_SHARE_WRITE = 2;

    static constexpr uint32_t C_SEEK_BEGIN = 0;
    static constexpr uint32_t C_SEEK_CURRENT = 1;
    static constexpr uint32_t C_SEEK_END = 2;

    // The value of a closed handle.
    static void* const C_INVALID_HANDLE;

    // Mode 0 opens an existing file, 1 replaces it with an empty one, 2 and 3
    // open it or create it. Failures are logged, never thrown.
    CFile(const CFileName& name, uint32_t mode, uint32_t share);
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // False on failure, with the buffer zeroed and the reason logged.
    bool read(void* buffer, uint32_t count, uint32_t* bytesRead = nullptr);
    // Returns the bytes written.
    uint32_t write(const void* buffer, uint32_t count);
    void seek(int64_t offset, uint32_t origin);
    void close();

    // Neither null (failed open) nor invalid (closed).
    bool isOpen() const { return m_handle != nullptr && m_handle != C_INVALID_HANDLE; }
    void* getHandle() const { return m_handle; }
    uint32_t getMode() const { return m_mode; }
    uint64_t getSize() const { return m_size; }
    uint64_t getPosition() const { return m_position; }
    uint32_t getShare() const { return m_share; }
    const CFileName& getName() const { return m_name; }

private:
    // Platform side.
    void _open();
    bool _queryLength(uint64_t& length);
    bool _read(void* buffer, uint32_t count, uint32_t& done);
    bool _write(const void* buffer, uint32_t count, uint32_t& done);
    bool _seek(int64_t offset, uint32_t origin, uint64_t& position);
    void _close();

    void _reportOpenFailure();

    void* m_handle;
    uint32_t m_mode;
    uint32_t m_reserved;
    uint64_t m_size;
    uint64_t m_position;
    uint32_t m_share;
    CFileName m_name;
    // Platform room: the Posix build keeps its share-lock descriptor here.
    intptr_t m_platform;
};

} // namespace Engine
} // namespace Tavrin
