#pragma once

#include "Engine/IRenderer/CWindow.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A window without native window, for platforms without a window backend and
// for tests: it opens and closes but never produces events by itself.
class CNullWindow : public CWindow
{
public:
    CNullWindow(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags);
    // Reports the release of what is still held.
    ~CNullWindow() override;

    void show() override;
    void hide() override;
    // Closes at once, as if the user had closed it.
    void close() override;
    void processMessages() override;

    bool isCreated() const { return m_created; }

protected:
    void _createNativeWindow() override;

private:
    bool m_created;
};

} // namespace Engine
} // namespace Tavrin
