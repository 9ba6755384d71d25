#include "Engine/IKernel/System/CFile.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/System/CFileUtils.h"
#include "Engine/IKernel/System/CSystemServices.h"

#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_FILE = "Engine/IKernel/System/CFile";

void logErrorText()
{
    int32_t code = CSystemServices::getLastError();
    char* text = CSystemServices::getErrorText(code);
    if (text)
        log("%s", text);
    CSystemServices::freeErrorText(text);
}

} // namespace

void* const CFile::C_INVALID_HANDLE = reinterpret_cast<void*>(~uintptr_t(0));

CFile::CFile(const CFileName& name, uint32_t mode, uint32_t share)
    : m_handle(nullptr), m_mode(mode), m_reserved(0), m_size(0), m_position(0), m_share(share), m_name(name),
      m_platform(-1)
{
    _open();
    if (!m_handle)
    {
        _reportOpenFailure();
        return;
    }
    uint64_t length = 0;
    if (!_queryLength(length))
    {
        _close();
        TAVRIN_THROW_AT(CInternalErrorException, "Can't retrieve file length\n", C_FILE, 81);
    }
    m_size = length;
}

CFile::~CFile()
{
    close();
}

void CFile::_reportOpenFailure()
{
    // Read the error before anything else can change it.
    int32_t code = CSystemServices::getLastError();
    if (m_mode == C_MODE_READ && !CFileUtils::exists(m_name.getFullPath()))
        log("File '%s' doesn't exist!\n", m_name.getGivenPath().c_str());
    if (getLog())
    {
        getLog()->printf("### Win32 error code: %d ###\n", code);
        char* text = CSystemServices::getErrorText(code);
        if (text)
            getLog()->write(text, 1);
        CSystemServices::freeErrorText(text);
    }
    log("File '%s' could not be %s\n", m_name.getGivenPath().c_str(), m_mode != C_MODE_READ ? "written" : "read");
}

bool CFile::read(void* buffer, uint32_t count, uint32_t* bytesRead)
{
    if (bytesRead)
        *bytesRead = 0;
    if (count == 0)
        return true;
    if (m_handle == C_INVALID_HANDLE)
        TAVRIN_THROW_AT(CInvalidOperationException, "The file is closed!\n", C_FILE, 290);
    uint32_t done = 0;
    if (!_read(buffer, count, done))
    {
        logErrorText();
        memset(buffer, 0, count);
        return false;
    }
    m_position += done;
    if (bytesRead)
        *bytesRead = done;
    return true;
}

uint32_t CFile::write(const void* buffer, uint32_t count)
{
    if (m_handle == C_INVALID_HANDLE)
        TAVRIN_THROW_AT(CInvalidOperationException, "The file is closed!\n", C_FILE, 354);
    uint32_t done = 0;
    if (count == 0 || !_write(buffer, count, done))
        return 0;
    m_position += done;
    if (m_position > m_size)
        m_size = m_position;
    return done;
}

void CFile::seek(int64_t offset, uint32_t origin)
{
    if (m_handle == C_INVALID_HANDLE)
        TAVRIN_THROW_AT(CInvalidOperationException, "The file is closed!\n", C_FILE, 376);
    if (origin > C_SEEK_END)
        origin = C_SEEK_BEGIN;
    uint64_t position = 0;
    if (_seek(offset, origin, position))
        m_position = position;
}

void CFile::close()
{
    if (m_handle == C_INVALID_HANDLE)
        return;
    if (m_handle)
        _close();
    m_handle = C_INVALID_HANDLE;
}

} // namespace Engine
} // namespace Tavrin
