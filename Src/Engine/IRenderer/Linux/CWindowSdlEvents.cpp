#include "Engine/IRenderer/Linux/CWindowSdl.h"

#include "Engine/IInput/Linux/CSdlEventPump.h"
#include "Engine/IKernel/Types/CUnicode.h"

#include <cstdlib>
#include <memory>

namespace Tavrin {
namespace Engine {

namespace {

// SDL's button numbers to the mouse-button key codes.
uint32_t buttonCode(uint8_t button)
{
    switch (button)
    {
    case SDL_BUTTON_LEFT:
        return C_KEY_MOUSE_BUTTON_LEFT;
    case SDL_BUTTON_RIGHT:
        return C_KEY_MOUSE_BUTTON_RIGHT;
    case SDL_BUTTON_MIDDLE:
        return C_KEY_MOUSE_BUTTON_MIDDLE;
    case SDL_BUTTON_X1:
        return C_KEY_MOUSE_BUTTON_X1;
    case SDL_BUTTON_X2:
        return C_KEY_MOUSE_BUTTON_X2;
    default:
        return 0;
    }
}

// Characters Windows sends for keys that type no text.
uint32_t controlCharacter(SDL_Keycode key)
{
    switch (key)
    {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return 13;
    case SDLK_BACKSPACE:
        return 8;
    case SDLK_TAB:
        return 9;
    case SDLK_ESCAPE:
        return 27;
    default:
        return 0;
    }
}

uint16_t coordinate(int32_t value)
{
    // As a Windows message word: the low 16 bits.
    return static_cast<uint16_t>(value);
}

} // namespace

void CWindowSdl::handleEvent(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_WINDOWEVENT:
        _onWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        _onKey(event.key);
        break;
    case SDL_TEXTINPUT:
        _onText(event.text);
        break;
    case SDL_MOUSEMOTION:
        onMouseMove(coordinate(event.motion.x), coordinate(event.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        _onButton(event.button);
        break;
    case SDL_MOUSEWHEEL:
        // Horizontal wheels are not reported, as on Windows.
        if (event.wheel.preciseY != 0.0f)
            onMouseWheel(event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.preciseY : event.wheel.preciseY);
        break;
    default:
        break;
    }
}

void CWindowSdl::_onWindowEvent(const SDL_WindowEvent& event)
{
    switch (event.event)
    {
    case SDL_WINDOWEVENT_MOVED:
    {
        // SDL reports the client area's position; the window's is the frame's.
        int top, left, bottom, right;
        _borders(top, left, bottom, right);
        onMove(event.data1 - left, event.data2 - top);
        break;
    }
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        onResize(static_cast<uint32_t>(event.data1), static_cast<uint32_t>(event.data2));
        _paint();
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        _paint();
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        m_visible = false;
        break;
    case SDL_WINDOWEVENT_RESTORED:
        m_visible = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        m_active = true;
        onFocusGained();
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        m_active = false;
        onFocusLost();
        break;
    case SDL_WINDOWEVENT_ENTER:
        onSetCursor();
        break;
    case SDL_WINDOWEVENT_CLOSE:
        // Closed before the releases go out: a listener that throws must not
        // keep the window open.
        _destroyNative();
        _releaseHeldInput();
        break;
    default:
        break;
    }
}

TKeyCode CWindowSdl::_codeOfKey(const SDL_KeyboardEvent& key)
{
    SDL_Scancode physical = key.keysym.scancode;
    if (static_cast<uint32_t>(physical) >= SDL_NUM_SCANCODES)
        return C_KEY_NONE;
    TKeyCode held = m_codeOfKey[physical];
    bool stillHeld = held != C_KEY_NONE && m_keyDown[held];
    if (key.type == SDL_KEYUP)
    {
        // A release ends what its press started, whatever the layout became
        // since; one whose press the focus loss already let go is stale.
        m_codeOfKey[physical] = C_KEY_NONE;
        return stillHeld ? held : C_KEY_NONE;
    }
    // An auto-repeat is not a new press.
    if (stillHeld || key.repeat)
        return C_KEY_NONE;
    TKeyCode code = CSdlEventPump::codeOf(key);
    m_codeOfKey[physical] = code >= 0 && code < C_KEY_COUNT ? code : C_KEY_NONE;
    return m_codeOfKey[physical];
}

void CWindowSdl::_onKey(const SDL_KeyboardEvent& key)
{
    bool down = key.type == SDL_KEYDOWN;
    TKeyCode code = _codeOfKey(key);
    bool altReturn = down && _isAltReturn(key);
    // Two keys may give one code (one pressed before a layout switch, one
    // after): the code is down while either is.
    if (code != C_KEY_NONE && m_keyDown[code] != down)
    {
        if (altReturn)
            _toggleFullscreen();
        SWindowEvent event;
        event.code = static_cast<uint32_t>(code);
        if (down)
            onKeyDown(event);
        else
            onKeyUp(event);
    }
    uint32_t character = down && !altReturn ? controlCharacter(key.keysym.sym) : 0;
    if (character != 0 && !m_closed)
    {
        SWindowEvent event;
        event.code = character;
        onChar(event);
    }
}

void CWindowSdl::_onText(const SDL_TextInputEvent& text)
{
    // One character event per UTF-16 unit, as Windows sends them.
    int32_t units = 0;
    std::unique_ptr<uint16_t, void (*)(void*)> wide(utf8ToWide(text.text, static_cast<int32_t>(SDL_strlen(text.text)), &units), free);
    for (int32_t i = 0; i < units && !m_closed; ++i)
    {
        SWindowEvent event;
        event.code = wide.get()[i];
        onChar(event);
    }
}

void CWindowSdl::_onButton(const SDL_MouseButtonEvent& button)
{
    uint32_t code = buttonCode(button.button);
    if (code == 0)
        return;
    if (button.type == SDL_MOUSEBUTTONDOWN)
        onMouseButtonDown(code, coordinate(button.x), coordinate(button.y));
    else
        onMouseButtonUp(code, coordinate(button.x), coordinate(button.y));
}

} // namespace Engine
} // namespace Tavrin
