#include "Engine/IRenderer/Linux/CWindowSdl.h"

#include "Engine/IInput/Linux/CSdlEventPump.h"
#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {
// The same exception as the Windows build's, at the code that failed.
const char* const C_SOURCE = "Engine/IRenderer/Linux/CWindowSdl";
} // namespace

CWindowSdl::CWindowSdl(const CString& title, void* parentHandle, uint32_t width, uint32_t height, uint32_t flags)
    : CWindow(title, parentHandle, width, height, flags), m_created(false), m_windowId(0), m_nextPending(0)
{
    std::fill(m_codeOfKey, m_codeOfKey + SDL_NUM_SCANCODES, C_KEY_NONE);
}

CWindowSdl::~CWindowSdl()
{
    // While the SDL window and this whole window exist.
    _releaseHeldInputOnTeardown();
    if (m_handle)
        _destroyNative();
}

void CWindowSdl::setSize(uint32_t width, uint32_t height)
{
    CWindow::setSize(width, height);
    if (m_closed)
        return;
    // SDL sizes the client area; the stored size is the outer one.
    int top, left, bottom, right;
    _borders(top, left, bottom, right);
    SDL_SetWindowSize(_window(), std::max(1, static_cast<int>(width) - left - right),
                      std::max(1, static_cast<int>(height) - top - bottom));
    _refreshClientArea();
}

void CWindowSdl::show()
{
    if (!m_created)
        _createNativeWindow();
    if (m_closed)
        return;
    SDL_ShowWindow(_window());
    _paint();
    SDL_RaiseWindow(_window());
}

void CWindowSdl::hide()
{
    if (!m_closed)
        SDL_HideWindow(_window());
}

void CWindowSdl::close()
{
    if (m_closed)
        return;
    SDL_Event event;
    memset(&event, 0, sizeof(event));
    event.type = SDL_WINDOWEVENT;
    event.window.timestamp = SDL_GetTicks();
    event.window.windowID = m_windowId;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    if (SDL_PushEvent(&event) < 0)
    {
        // A full queue must not keep the window open.
        logLevel(2, "Warning: Cannot queue a window close request: %s\n", SDL_GetError());
        _destroyNative();
        _releaseHeldInput();
    }
}

void CWindowSdl::processMessages()
{
    if (m_closed)
        return;
    m_visible = (SDL_GetWindowFlags(_window()) & SDL_WINDOW_MINIMIZED) == 0;
    CSdlEventPump::get().pump();
    // The index is a member: a listener that pumps again continues the list
    // rather than repeating it.
    while (!m_closed && m_nextPending < m_pending.getCount())
    {
        SDL_Event event = m_pending[m_nextPending++];
        handleEvent(event);
    }
    if (m_closed || m_nextPending >= m_pending.getCount())
    {
        m_pending.clear();
        m_nextPending = 0;
    }
}

void CWindowSdl::setTitle(const CString& title)
{
    CWindow::setTitle(title);
    if (!m_closed)
        SDL_SetWindowTitle(_window(), m_title.c_str());
}

void CWindowSdl::setPosition(int32_t x, int32_t y)
{
    CWindow::setPosition(x, y);
    if (m_closed)
        return;
    int top, left, bottom, right;
    _borders(top, left, bottom, right);
    SDL_SetWindowPosition(_window(), x + left, y + top);
}

void CWindowSdl::onSdlEvent(const SDL_Event& event)
{
    m_pending.add(event);
}

void CWindowSdl::_refreshClientArea()
{
    if (!m_handle)
        return;
    int x, y, width, height;
    SDL_GetWindowPosition(_window(), &x, &y);
    SDL_GetWindowSize(_window(), &width, &height);
    m_clientX = x;
    m_clientY = y;
    m_clientWidth = static_cast<uint32_t>(width);
    m_clientHeight = static_cast<uint32_t>(height);
}

uint32_t CWindowSdl::_sdlFlags() const
{
    // Shown by show(): a window made for a swap chain stays hidden.
    uint32_t flags = SDL_WINDOW_HIDDEN;
    if (m_flags & C_WINDOW_POPUP)
        return flags | SDL_WINDOW_BORDERLESS;
    // Every framed style has a sizing frame.
    return flags | SDL_WINDOW_RESIZABLE;
}

void CWindowSdl::_createNativeWindow()
{
    if (m_created)
        return;
    // The fields change only once the window exists, so a failed attempt
    // leaves them be.
    std::unique_ptr<CSdlLibrary> library(new CSdlLibrary(SDL_INIT_VIDEO));
    SDL_Window* window = nullptr;
    if (library->isReady())
    {
        bool centred = (m_flags & C_WINDOW_CENTRED) != 0;
        int x = centred ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : m_x;
        int y = centred ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : m_y;
        window = SDL_CreateWindow(m_title.c_str(), x, y, static_cast<int>(m_width), static_cast<int>(m_height),
                                  _sdlFlags());
        if (!window)
            logLevel(3, "Error: SDL cannot create a window: %s\n", SDL_GetError());
    }
    if (!window)
        TAVRIN_THROW(CInvalidOperationException, "Cannot create window\n", C_SOURCE);
    // SDL starts text input with its video; an input method would then
    // take keys for composing before the window saw them.
    SDL_StopTextInput();
    m_library = std::move(library);
    m_handle = window;
    m_windowId = SDL_GetWindowID(window);
    CSdlEventPump::get().addWindow(m_windowId, this);
    _readBack();
    m_closed = false;
    m_created = true;
    memset(m_keyDown, 0, sizeof(m_keyDown));
}

void CWindowSdl::_borders(int& top, int& left, int& bottom, int& right) const
{
    // Unknown (no window manager yet, or none at all) counts as no frame.
    if (SDL_GetWindowBordersSize(_window(), &top, &left, &bottom, &right) != 0)
        top = left = bottom = right = 0;
}

void CWindowSdl::_readBack()
{
    _refreshClientArea();
    int top, left, bottom, right;
    _borders(top, left, bottom, right);
    m_x = m_clientX - left;
    m_y = m_clientY - top;
    m_width = m_clientWidth + static_cast<uint32_t>(left + right);
    m_height = m_clientHeight + static_cast<uint32_t>(top + bottom);
}

void CWindowSdl::_destroyNative()
{
    CSdlEventPump::get().removeWindow(m_windowId);
    SDL_DestroyWindow(_window());
    m_handle = nullptr;
    m_closed = true;
    m_pending.clear();
    m_nextPending = 0;
    m_library.reset();
}

bool CWindowSdl::_isAltReturn(const SDL_KeyboardEvent& key) const
{
    SDL_Keycode sym = key.keysym.sym;
    return (sym == SDLK_RETURN || sym == SDLK_KP_ENTER) && (key.keysym.mod & KMOD_ALT) != 0 && m_active;
}

} // namespace Engine
} // namespace Tavrin
