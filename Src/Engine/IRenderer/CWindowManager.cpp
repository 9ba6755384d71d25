#include "Engine/IRenderer/CWindowManager.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/Types/CArray.h"

namespace Tavrin {
namespace Engine {

namespace {
// Live only while at least one manager exists.
CArray<CWindowManager*>* s_managers = nullptr;
CWindowManager* s_defaultManager = nullptr;
} // namespace

CWindowManager::CWindowManager()
{
    if (!s_managers)
        s_managers = new CArray<CWindowManager*>();
    s_managers->add(this);
    // Remaining managers are never promoted when the default goes; a new one
    // made while there is none takes its place.
    if (!s_defaultManager)
        s_defaultManager = this;
}

CWindowManager::~CWindowManager()
{
    if (s_defaultManager == this)
        s_defaultManager = nullptr;
    releaseAll();
    _deleteRemaining();
    if (!s_managers)
        return;
    s_managers->removeAt(s_managers->indexOf(this));
    if (s_managers->getCount() == 0)
    {
        delete s_managers;
        s_managers = nullptr;
    }
}

void CWindowManager::processAllMessages()
{
    // A window may be released while it pumps, so the count is re-read.
    for (uint32_t id = 0; id < m_objects.getSlotCount(); ++id)
        if (CWindow* window = m_objects.get(id))
            window->processMessages();
}

CManagedPtr<CWindow> CWindowManager::createChildWindow(void* parentHandle, uint32_t width, uint32_t height, uint32_t flags)
{
    return _register(_newWindow(CString(), parentHandle, width, height, flags));
}

CManagedPtr<CWindow> CWindowManager::createWindowFromHandle(void* /*handle*/)
{
    TAVRIN_THROW_AT(CNotImplementedException, "Cannot create a window from a handle yet\n", "Engine/IRenderer/Windows/CWindow", 68);
}

CManagedPtr<CWindow> CWindowManager::createWindow(const CString& title, uint32_t width, uint32_t height, uint32_t flags)
{
    return _register(_newWindow(title, nullptr, width, height, flags));
}

CWindow* CWindowManager::_newWindow(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags)
{
    return createPlatformWindow(title, parentHandle, width, height, flags);
}

CManagedPtr<CWindow> CWindowManager::_register(CWindow* window)
{
    // The pointer owns the creation reference from here on, also on failure.
    CManagedPtr<CWindow> pointer = CManagedPtr<CWindow>::adopt(window);
    window->setManager(this);
    return pointer;
}

CWindow* CWindowManager::findWindow(void* handle)
{
    // No native window has a null handle; unopened windows must not match.
    if (!handle || !s_managers)
        return nullptr;
    for (CWindowManager* manager : *s_managers)
        for (uint32_t id = 0; id < manager->m_objects.getSlotCount(); ++id)
        {
            CWindow* window = manager->m_objects.get(id);
            if (window && window->getHandle() == handle)
                return window;
        }
    return nullptr;
}

CWindowManager* CWindowManager::getDefault()
{
    return s_defaultManager;
}

uint32_t CWindowManager::getManagerCount()
{
    return s_managers ? static_cast<uint32_t>(s_managers->getCount()) : 0;
}

} // namespace Engine
} // namespace Tavrin
