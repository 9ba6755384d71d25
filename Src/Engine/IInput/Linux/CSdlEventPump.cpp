#include "Engine/IInput/Linux/CSdlEventPump.h"

#include "Engine/IInput/Linux/CSdlKeyCodes.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

// The window an event belongs to, 0 for none.
uint32_t windowIdOf(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_WINDOWEVENT:
        return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return event.key.windowID;
    case SDL_TEXTINPUT:
        return event.text.windowID;
    case SDL_MOUSEMOTION:
        return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event.button.windowID;
    case SDL_MOUSEWHEEL:
        return event.wheel.windowID;
    default:
        return 0;
    }
}

// NOTE: SDL numbers joystick events from 0x600 and controller events from
// 0x650; touch events start at 0x700.
const uint32_t C_FIRST_JOYSTICK_EVENT = SDL_JOYAXISMOTION;
const uint32_t C_LAST_JOYSTICK_EVENT = SDL_FINGERDOWN - 1;

// NOTE: SDL's X11 backend applies a focus change 200 ms after it arrives,
// during a later read, and XCB may hold events it read ahead where Xlib's
// count does not see them; a read at least this often bounds both delays.
const uint64_t C_QUIET_READ_MS = 50;

// An X key code is the Linux input code plus 8; lower ones name no key (an
// input method sends its composed text as a key event with code 0).
const uint32_t C_X_KEYCODE_OFFSET = 8;

} // namespace

CSdlEventPump& CSdlEventPump::get()
{
    static CSdlEventPump s_pump;
    return s_pump;
}

void CSdlEventPump::addWindow(uint32_t windowId, CSdlEventSink* sink)
{
    removeWindow(windowId);
    m_windows.add(_SWindowSink{windowId, sink});
    // Once (SDL forgets its watches when its events stop); a filter would
    // drop the queue.
    SDL_DelEventWatch(_onQueued, this);
    SDL_AddEventWatch(_onQueued, this);
    // NOTE: SDL 2's X11 driver names a key by a scancode it guesses from the
    // key's symbol at video start (the digit row of in(tel-sarala) becomes
    // the keypad), and merges or drops keys by that guess; the X event it
    // hands on as a platform event names the physical key.
    if (!m_x11.isAttached() && m_x11.attach(windowId))
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

void CSdlEventPump::removeWindow(uint32_t windowId)
{
    for (uint64_t i = 0; i < m_windows.getCount(); ++i)
        if (m_windows[i].windowId == windowId)
        {
            m_windows.removeAt(i);
            // The connection may close with the last window's video subsystem.
            if (m_windows.getCount() == 0 && m_x11.isAttached())
            {
                m_x11.detach();
                m_hasX11Key = false;
                SDL_EventState(SDL_SYSWMEVENT, SDL_DISABLE);
            }
            return;
        }
}

void CSdlEventPump::addMouse(CSdlEventSink* sink)
{
    m_mice.add(sink);
}

void CSdlEventPump::removeMouse(CSdlEventSink* sink)
{
    uint64_t index = m_mice.indexOf(sink);
    if (index != CArray<CSdlEventSink*>::C_NOT_FOUND)
        m_mice.removeAt(index);
}

void CSdlEventPump::pump()
{
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0)
        return;
    // Under X11 each read costs a flush and several system calls; the input
    // update of this pass read a moment ago.
    if (m_passRead)
        m_passRead = false;
    else
        _readPlatform();
    _routeQueued();
}

void CSdlEventPump::beginPass()
{
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0)
        return;
    _readPlatform();
    _routeQueued();
    m_passRead = true;
}

void CSdlEventPump::_readPlatform()
{
    // Under X11 an SDL read costs a flush and three system calls even when
    // nothing came; asking the connection costs one.
    uint64_t now = SDL_GetTicks64();
    if (m_x11.isAttached() && now - m_lastRead < C_QUIET_READ_MS && !m_x11.hasInput())
        return;
    m_lastRead = now;
    SDL_PumpEvents();
    ++m_platformReads;
}

void CSdlEventPump::_routeQueued()
{
    dropJoystickEvents();
    SDL_Event events[32];
    int count;
    while ((count = SDL_PeepEvents(events, 32, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0)
        for (int i = 0; i < count; ++i)
            _route(events[i]);
    _flushX11Key();
}

void CSdlEventPump::dropJoystickEvents()
{
    if (SDL_WasInit(SDL_INIT_EVENTS) != 0)
        SDL_FlushEvents(C_FIRST_JOYSTICK_EVENT, C_LAST_JOYSTICK_EVENT);
}

int CSdlEventPump::_onQueued(void* pump, SDL_Event* event)
{
    // SDL queues the event it hands its watches. Under X11 the X event
    // decides, when the key is routed.
    bool key = event->type == SDL_KEYDOWN || event->type == SDL_KEYUP;
    if (key && !static_cast<CSdlEventPump*>(pump)->m_x11.isAttached())
        event->key.keysym.unused = static_cast<uint32_t>(CSdlKeyCodes::convert(event->key.keysym.scancode));
    return 1;
}

void CSdlEventPump::_route(SDL_Event& event)
{
    if (event.type == SDL_DROPFILE || event.type == SDL_DROPTEXT)
    {
        // The only events that own memory; nobody here takes drops.
        SDL_free(event.drop.file);
        return;
    }
    if (event.type == SDL_SYSWMEVENT)
    {
        // SDL queues an X event's platform event first, then its own events.
        _flushX11Key();
        m_hasX11Key =
            CSdlX11Connection::readKey(*event.syswm.msg, m_x11Key) && m_x11Key.keycode >= C_X_KEYCODE_OFFSET;
        return;
    }
    if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP)
        _placeKey(event.key);
    else
        _flushX11Key();
    if (event.type == SDL_KEYMAPCHANGED)
        m_x11.readKeymap();
    _deliver(event);
}

void CSdlEventPump::_placeKey(SDL_KeyboardEvent& key)
{
    bool press = key.type == SDL_KEYDOWN;
    if (m_hasX11Key && m_x11Key.press == press)
    {
        _applyX11Key(key);
        m_hasX11Key = false;
        return;
    }
    _flushX11Key();
    // SDL's own: a key whose X event an input method took (dead keys,
    // compose), or SDL's releases and presses when the focus changes. Its
    // scancode is SDL's table entry for the key, which an input method's
    // keys keep.
    if (key.keysym.scancode > SDL_SCANCODE_UNKNOWN && key.keysym.scancode < SDL_NUM_SCANCODES)
        m_pressedAlone[key.keysym.scancode] = press;
    if (m_x11.isAttached())
        key.keysym.unused = static_cast<uint32_t>(CSdlKeyCodes::convert(key.keysym.scancode, m_x11.currentGroup()));
}

void CSdlEventPump::_applyX11Key(SDL_KeyboardEvent& key)
{
    SDL_Scancode physical = CSdlKeyCodes::fromEvdev(m_x11Key.keycode - C_X_KEYCODE_OFFSET);
    if (!m_x11Key.press && key.keysym.scancode < SDL_NUM_SCANCODES && m_pressedAlone[key.keysym.scancode])
    {
        m_pressedAlone[key.keysym.scancode] = false;
        physical = key.keysym.scancode;
    }
    key.keysym.scancode = physical;
    key.keysym.unused = static_cast<uint32_t>(CSdlKeyCodes::convert(physical, m_x11Key.group));
    // SDL's flag follows its guesses: two keys guessed alike look like one.
    key.repeat = 0;
}

void CSdlEventPump::_flushX11Key()
{
    // SDL dropped the key: it named no key, or its guess was already held
    // (a press then comes as a repeat, a release not at all).
    if (!m_hasX11Key)
        return;
    m_hasX11Key = false;
    SDL_Event event;
    memset(&event, 0, sizeof(event));
    event.type = m_x11Key.press ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.timestamp = SDL_GetTicks();
    event.key.windowID = _windowOfX11(m_x11Key.window);
    event.key.state = m_x11Key.press ? SDL_PRESSED : SDL_RELEASED;
    _applyX11Key(event.key);
    event.key.keysym.sym = SDL_GetKeyFromScancode(event.key.keysym.scancode);
    event.key.keysym.mod = static_cast<uint16_t>(SDL_GetModState());
    _deliver(event);
}

uint32_t CSdlEventPump::_windowOfX11(unsigned long window) const
{
    for (uint64_t i = 0; i < m_windows.getCount(); ++i)
        if (CSdlX11Connection::isWindow(m_windows[i].windowId, window))
            return m_windows[i].windowId;
    return 0;
}

void CSdlEventPump::_deliver(SDL_Event& event)
{
    if (event.type == SDL_MOUSEMOTION || event.type == SDL_MOUSEWHEEL)
        for (uint64_t i = 0; i < m_mice.getCount(); ++i)
            m_mice[i]->onSdlEvent(event);
    uint32_t windowId = windowIdOf(event);
    if (CSdlEventSink* window = windowId ? _findWindow(windowId) : nullptr)
        window->onSdlEvent(event);
}

CSdlEventSink* CSdlEventPump::_findWindow(uint32_t windowId) const
{
    for (uint64_t i = 0; i < m_windows.getCount(); ++i)
        if (m_windows[i].windowId == windowId)
            return m_windows[i].sink;
    return nullptr;
}

} // namespace Engine
} // namespace Tavrin
