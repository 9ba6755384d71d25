#include "Engine/IKernel/System/CMainThread.h"
#include "Engine/IKernel/System/CThread.h"

#include "Engine/IKernel/CLog.h"

#include <process.h>
#include <windows.h>

namespace Tavrin {
namespace Engine {

// Entry point that the C runtime's thread start calls.
struct _SThreadEntry
{
    static unsigned __stdcall main(void* argument)
    {
        static_cast<CThread*>(argument)->_runOnThread();
        return 0;
    }
};

void* CThread::_createNative()
{
    unsigned threadId = 0;
    uintptr_t handle = _beginthreadex(nullptr, 0, &_SThreadEntry::main, this, 0, &threadId);
    return reinterpret_cast<void*>(handle);
}

void CThread::_releaseNative(void* handle)
{
    CloseHandle(static_cast<HANDLE>(handle));
}

uint32_t CThread::getThreadId() const
{
    return m_handle ? GetThreadId(static_cast<HANDLE>(m_handle)) : 0;
}

uint32_t CThread::getProcessorCount()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? info.dwNumberOfProcessors : 1;
}

bool CThread::_setNativeAffinity(uint32_t processor)
{
    // One processor group holds at most 64 processors.
    if (processor >= 64)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    DWORD_PTR mask = static_cast<DWORD_PTR>(1) << processor;
    return SetThreadAffinityMask(static_cast<HANDLE>(m_handle), mask) != 0;
}

void CThread::_setNativePriority(int32_t level)
{
    // The native levels are the system's own priority values.
    SetThreadPriority(static_cast<HANDLE>(m_handle), level);
}

void CThread::_logSystemFailure(const char* text)
{
    // Logging may itself change the last error.
    DWORD error = GetLastError();
    log("%s", text);
    SetLastError(error);
    if (getLog())
        logLastError();
}

void* CMainThread::_duplicateCurrentThread()
{
    // The pseudo handle of GetCurrentThread names whichever thread uses it.
    HANDLE process = GetCurrentProcess();
    HANDLE handle = nullptr;
    if (!DuplicateHandle(process, GetCurrentThread(), process, &handle, 0, TRUE, DUPLICATE_SAME_ACCESS))
    {
        if (getLog())
            logLastError();
        return nullptr;
    }
    return handle;
}

} // namespace Engine
} // namespace Tavrin
