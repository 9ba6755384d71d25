#pragma once

#include "Engine/IKernel/Types/CString.h"

#include <windows.h>

struct IAccPropServices;

namespace Tavrin {
namespace Engine {

// The accessible description of a window's client area, which screen readers
// read with the window, set through the system's annotation service. Best
// effort: where the service is missing nothing is described.
class CAccessibleDescription
{
public:
    CAccessibleDescription();
    ~CAccessibleDescription();
    CAccessibleDescription(const CAccessibleDescription&) = delete;
    CAccessibleDescription& operator=(const CAccessibleDescription&) = delete;

    // UTF-8 text; tells listening readers that it changed.
    void set(HWND window, const CString& text);

private:
    IAccPropServices* m_services;
    bool m_comStarted;
};

} // namespace Engine
} // namespace Tavrin
