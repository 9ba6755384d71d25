#include "Engine/IKernel/System/CSemaphore.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"

#include <windows.h>

namespace Tavrin {
namespace Engine {

CSemaphore::CSemaphore(uint32_t initialCount, uint32_t maximumCount, bool throwOnFailure)
{
    // Counts above LONG's range arrive negative and are refused by the system.
    m_handle = CreateSemaphoreW(nullptr, static_cast<LONG>(initialCount), static_cast<LONG>(maximumCount), nullptr);
    if (m_handle)
        return;
    if (throwOnFailure)
        TAVRIN_THROW_AT(CInvalidOperationException, "Cannot create semaphore\n", "Engine/IKernel/System/CSemaphore",
                        32);
    if (getLog())
        logLastError();
}

CSemaphore::~CSemaphore()
{
    if (m_handle)
        CloseHandle(static_cast<HANDLE>(m_handle));
}

void CSemaphore::lock()
{
    if (WaitForSingleObject(static_cast<HANDLE>(m_handle), INFINITE) == WAIT_FAILED)
        TAVRIN_THROW_AT(CInvalidOperationException, "Cannot lock semaphore\n", "Engine/IKernel/System/CSemaphore", 63);
}

void CSemaphore::unlock()
{
    if (!ReleaseSemaphore(static_cast<HANDLE>(m_handle), 1, nullptr))
        TAVRIN_THROW_AT(CInvalidOperationException, "Cannot unlock semaphore\n", "Engine/IKernel/System/CSemaphore",
                        102);
}

} // namespace Engine
} // namespace Tavrin
