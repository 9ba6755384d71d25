#pragma once

#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Patterns/CPoolManager.h"
#include "Engine/IKernel/Types/CString.h"
#include "Engine/IRenderer/CWindow.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Makes and owns engine windows (a window's ID is its registry slot). Every
// manager joins the process-wide list that findWindow searches; one made
// while there is no default manager becomes the default.
class CWindowManager : public CPoolManager<CWindow>
{
public:
    CWindowManager();
    // Gives the remaining windows their last-release hook, then deletes them.
    ~CWindowManager() override;
    CWindowManager(const CWindowManager&) = delete;
    CWindowManager& operator=(const CWindowManager&) = delete;

    // processMessages on every window, in registry order.
    virtual void processAllMessages();
    virtual CManagedPtr<CWindow> createChildWindow(void* parentHandle, uint32_t width, uint32_t height, uint32_t flags);
    virtual CManagedPtr<CWindow> createWindowFromHandle(void* handle);
    // A registered window without native window yet; width and height are
    // the client size unless the window is a pop-up.
    virtual CManagedPtr<CWindow> createWindow(const CString& title, uint32_t width, uint32_t height, uint32_t flags);

    CWindow* getWindow(uint32_t id) const { return getManaged(id); }

    // The window of any manager whose native handle this is, or null.
    static CWindow* findWindow(void* handle);
    // Null once the default manager is destroyed, even if others remain.
    static CWindowManager* getDefault();
    static uint32_t getManagerCount();

protected:
    // A new window of the running platform, not yet registered.
    virtual CWindow* _newWindow(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags);

private:
    CManagedPtr<CWindow> _register(CWindow* window);
};

// The platform's window class (chosen by the build).
CWindow* createPlatformWindow(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags);

} // namespace Engine
} // namespace Tavrin
