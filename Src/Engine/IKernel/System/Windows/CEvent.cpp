#include "Engine/IKernel/System/CEvent.h"

#include "Engine/IKernel/CLog.h"

#include <windows.h>

namespace Tavrin {
namespace Engine {

CEvent::CEvent(bool signalled) : m_handle(CreateEventW(nullptr, TRUE, signalled ? TRUE : FALSE, nullptr))
{
    if (!m_handle && getLog())
        logLastError();
}

CEvent::~CEvent()
{
    if (m_handle)
        CloseHandle(static_cast<HANDLE>(m_handle));
}

bool CEvent::set()
{
    return SetEvent(static_cast<HANDLE>(m_handle)) != 0;
}

bool CEvent::reset()
{
    return ResetEvent(static_cast<HANDLE>(m_handle)) != 0;
}

bool CEvent::wait()
{
    return WaitForSingleObject(static_cast<HANDLE>(m_handle), INFINITE) != WAIT_FAILED;
}

} // namespace Engine
} // namespace Tavrin
