#include "Engine/IInput/Linux/CSdlX11Connection.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <xkbcommon/xkbcommon.h>

namespace Tavrin {
namespace Engine {

namespace {

bool x11InfoOf(uint32_t windowId, SDL_SysWMinfo& info)
{
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    SDL_VERSION(&info.version);
    return window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11;
}

// The group an X key shows in a group it lacks, by the key's own rule.
uint32_t groupInRange(XkbDescPtr keymap, KeyCode keycode, uint32_t group)
{
    uint32_t groups = XkbKeyNumGroups(keymap, keycode);
    if (group < groups)
        return group;
    unsigned char info = XkbKeyGroupInfo(keymap, keycode);
    switch (XkbOutOfRangeGroupAction(info))
    {
    case XkbRedirectIntoRange:
        group = XkbOutOfRangeGroupNumber(info);
        return group < groups ? group : 0;
    case XkbClampIntoRange:
        return groups - 1;
    default:
        return group % groups;
    }
}

} // namespace

CSdlX11Connection::~CSdlX11Connection()
{
    _freeKeymap();
}

bool CSdlX11Connection::attach(uint32_t windowId)
{
    SDL_SysWMinfo info;
    if (!x11InfoOf(windowId, info))
        return false;
    m_display = info.info.x11.display;
    readKeymap();
    return true;
}

void CSdlX11Connection::detach()
{
    _freeKeymap();
    m_display = nullptr;
}

bool CSdlX11Connection::hasInput() const
{
    Display* display = static_cast<Display*>(m_display);
    // Replies read during other requests may have brought events along.
    if (XEventsQueued(display, QueuedAlready) > 0)
        return true;
    pollfd socket = {ConnectionNumber(display), POLLIN, 0};
    return poll(&socket, 1, 0) != 0;
}

uint32_t CSdlX11Connection::characterOf(uint32_t keycode, uint32_t group) const
{
    XkbDescPtr keymap = static_cast<XkbDescPtr>(m_keymap);
    if (!keymap || keycode < keymap->min_key_code || keycode > keymap->max_key_code)
        return 0;
    KeyCode key = static_cast<KeyCode>(keycode);
    if (XkbKeyNumGroups(keymap, key) == 0)
        return 0;
    KeySym symbol = XkbKeySymEntry(keymap, key, 0, groupInRange(keymap, key, group));
    return xkb_keysym_to_utf32(static_cast<xkb_keysym_t>(symbol));
}

void CSdlX11Connection::readKeymap()
{
    _freeKeymap();
    if (m_display)
        m_keymap = XkbGetMap(static_cast<Display*>(m_display), XkbAllClientInfoMask, XkbUseCoreKbd);
}

void CSdlX11Connection::_freeKeymap()
{
    if (m_keymap)
        XkbFreeKeyboard(static_cast<XkbDescPtr>(m_keymap), 0, True);
    m_keymap = nullptr;
}

uint32_t CSdlX11Connection::currentGroup() const
{
    XkbStateRec state;
    if (!m_display || XkbGetState(static_cast<Display*>(m_display), XkbUseCoreKbd, &state) != Success)
        return 0;
    return state.group;
}

bool CSdlX11Connection::readKey(const SDL_SysWMmsg& message, SSdlX11Key& key)
{
    if (message.subsystem != SDL_SYSWM_X11)
        return false;
    const XEvent& event = message.msg.x11.event;
    if (event.type != KeyPress && event.type != KeyRelease)
        return false;
    key.press = event.type == KeyPress;
    key.keycode = event.xkey.keycode;
    key.group = XkbGroupForCoreState(event.xkey.state);
    key.window = event.xkey.window;
    return true;
}

bool CSdlX11Connection::isWindow(uint32_t windowId, unsigned long window)
{
    SDL_SysWMinfo info;
    return x11InfoOf(windowId, info) && info.info.x11.window == window;
}

} // namespace Engine
} // namespace Tavrin
