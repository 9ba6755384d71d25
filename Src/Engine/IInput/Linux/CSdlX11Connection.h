#pragma once

#include <cstdint>

struct SDL_SysWMmsg;

namespace Tavrin {
namespace Engine {

// A key press or release as the X server sent it.
struct SSdlX11Key
{
    bool press;
    // The X key code: the Linux input code plus 8.
    uint32_t keycode;
    // The XKB group the key was pressed or released under.
    uint32_t group;
    // The X window it was sent to.
    unsigned long window;
};

// The X server connection under SDL's windows: for asking cheaply whether
// anything arrived that SDL has not read yet, and for the server's own
// keymap. Other video drivers have none.
class CSdlX11Connection
{
public:
    CSdlX11Connection() = default;
    ~CSdlX11Connection();
    CSdlX11Connection(const CSdlX11Connection&) = delete;
    CSdlX11Connection& operator=(const CSdlX11Connection&) = delete;

    // Takes the connection of the SDL window with this id; false when it has
    // none (no such window, or not on X11).
    bool attach(uint32_t windowId);
    void detach();
    bool isAttached() const { return m_display != nullptr; }

    // Whether events wait, read by Xlib or still on the socket.
    bool hasInput() const;

    // The character (UTF-32) that an X key types at its first level in that
    // group of the server's keymap as last read; 0 for none.
    uint32_t characterOf(uint32_t keycode, uint32_t group) const;
    // Reads the server's keymap (at attach, and when it changed): a key
    // pressed before a change and handled after it keeps the keymap it
    // came under.
    void readKeymap();
    // The XKB group in effect now.
    uint32_t currentGroup() const;

    // The key event inside an SDL platform event; false for any other event.
    static bool readKey(const SDL_SysWMmsg& message, SSdlX11Key& key);
    // Whether that SDL window is this X window.
    static bool isWindow(uint32_t windowId, unsigned long window);

private:
    void _freeKeymap();

    void* m_display = nullptr;
    void* m_keymap = nullptr;
};

} // namespace Engine
} // namespace Tavrin
