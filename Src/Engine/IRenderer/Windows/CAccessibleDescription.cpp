#include "Engine/IRenderer/Windows/CAccessibleDescription.h"

#include "Engine/IKernel/CLog.h"

// The annotation service's identifiers, defined here once.
#include <initguid.h>
#include <oleacc.h>

#include <vector>

namespace Tavrin {
namespace Engine {

CAccessibleDescription::CAccessibleDescription() : m_services(nullptr), m_comStarted(false)
{
    HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Already started in another mode: usable, but not ours to stop.
    m_comStarted = SUCCEEDED(started);
    HRESULT created = CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                       reinterpret_cast<void**>(&m_services));
    if (FAILED(created))
    {
        m_services = nullptr;
        logLevel(0, "No accessibility annotations (0x%08lX): the window's text is not described\n",
                 static_cast<unsigned long>(created));
    }
}

CAccessibleDescription::~CAccessibleDescription()
{
    if (m_services)
        m_services->Release();
    if (m_comStarted)
        CoUninitialize();
}

void CAccessibleDescription::set(HWND window, const CString& text)
{
    if (!m_services || !window)
        return;
    int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return;
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), length);
    HRESULT result = m_services->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                                PROPID_ACC_DESCRIPTION, wide.data());
    if (FAILED(result))
    {
        logLevel(0, "Cannot describe the window's text (0x%08lX)\n", static_cast<unsigned long>(result));
        return;
    }
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

} // namespace Engine
} // namespace Tavrin
