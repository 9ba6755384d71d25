#pragma once

#include "Engine/IInput/TKeyCode.h"
#include "Engine/IRenderer/CWindow.h"

#include <windows.h>

#include <cstdint>
#include <memory>

namespace Tavrin {
namespace Engine {

class CAccessibleDescription;

// An engine window backed by a native window of the class "Tavrin". Keys
// come from raw keyboard input only; key messages are ignored.
class CWindowWin32 : public CWindow
{
public:
    static const char* const C_CLASS_NAME;

    CWindowWin32(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags);
    // An open native window is sent WM_CLOSE; without one, the class is unregistered.
    ~CWindowWin32() override;

    void setSize(uint32_t width, uint32_t height) override;
    void show() override;
    void hide() override;
    void close() override;
    // Takes only this window's messages. Alt+Return toggles the swap chain's
    // full-screen mode and is otherwise dropped.
    void processMessages() override;
    void setTitle(const CString& title) override;
    void setPosition(int32_t x, int32_t y) override;

    bool isCreated() const { return m_created; }

    // One raw keyboard record: a key-down or key-up event, or nothing.
    void handleRawKeyboard(const RAWKEYBOARD& record);
    // This window's part of the window procedure.
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    void _refreshClientArea() override;
    void _applyCursor() override;
    void _createNativeWindow() override;
    // Paints the status text and gives it to assistive technology.
    void _showStatusText() override;

private:
    static void _registerClass(HINSTANCE module);
    DWORD _style() const;
    void _bringUp();
    void _readBackRectangles();
    void _registerRawKeyboard();
    bool _isAltReturn(const MSG& message) const;
    void _onRawInput(LPARAM lParam);
    void _onWindowPosChanged(const WINDOWPOS& position);
    void _onExtraButton(bool down, WPARAM wParam, LPARAM lParam);
    void _onPaint();
    void _paintStatusText(HDC dc);

    HWND _hwnd() const { return static_cast<HWND>(m_handle); }

    bool m_created;
    std::unique_ptr<CAccessibleDescription> m_description;
};

} // namespace Engine
} // namespace Tavrin
