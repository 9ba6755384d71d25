#include "Engine/IKernel/System/CReadWriteLock.h"

#include "Engine/IKernel/System/CFallbackReadWriteLock.h"

#include <windows.h>

namespace Tavrin {
namespace Engine {

static_assert(sizeof(SRWLOCK) <= 64, "slim lock storage too small");

namespace {

// Slim reader/writer locks came with Windows 6.0.
bool hasSlimLock()
{
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwMajorVersion = 6;
    version.dwMinorVersion = 0;
    version.wServicePackMajor = 0;
    DWORDLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR, condition) != 0;
}

SRWLOCK* slimOf(unsigned char* storage)
{
    return reinterpret_cast<SRWLOCK*>(storage);
}

} // namespace

CReadWriteLock::CReadWriteLock(bool forceFallback) : m_fallback(nullptr)
{
    if (!forceFallback && hasSlimLock())
    {
        InitializeSRWLock(slimOf(m_slim));
        return;
    }
    m_fallback = new CFallbackReadWriteLock();
}

CReadWriteLock::~CReadWriteLock()
{
    // A slim lock owns nothing that needs releasing.
    delete m_fallback;
}

void CReadWriteLock::lockShared()
{
    if (m_fallback)
        m_fallback->lockShared();
    else
        AcquireSRWLockShared(slimOf(m_slim));
}

void CReadWriteLock::unlockShared()
{
    if (m_fallback)
        m_fallback->unlockShared();
    else
        ReleaseSRWLockShared(slimOf(m_slim));
}

void CReadWriteLock::lockExclusive()
{
    if (m_fallback)
        m_fallback->lockExclusive();
    else
        AcquireSRWLockExclusive(slimOf(m_slim));
}

void CReadWriteLock::unlockExclusive()
{
    if (m_fallback)
        m_fallback->unlockExclusive();
    else
        ReleaseSRWLockExclusive(slimOf(m_slim));
}

} // namespace Engine
} // namespace Tavrin
