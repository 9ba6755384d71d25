#include "Engine/IRenderer/CNullWindow.h"

namespace Tavrin {
namespace Engine {

CNullWindow::CNullWindow(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags)
    : CWindow(title, parentHandle, width, height, flags), m_created(false)
{
}

CNullWindow::~CNullWindow()
{
    _releaseHeldInputOnTeardown();
}

void CNullWindow::show()
{
    _createNativeWindow();
}

void CNullWindow::hide()
{
}

void CNullWindow::close()
{
    m_closed = true;
}

void CNullWindow::processMessages()
{
}

void CNullWindow::_createNativeWindow()
{
    // Opened once, like a native window: a closed one is never reopened.
    if (m_created)
        return;
    m_created = true;
    m_closed = false;
}

} // namespace Engine
} // namespace Tavrin
