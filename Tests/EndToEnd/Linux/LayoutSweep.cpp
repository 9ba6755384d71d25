// Presses keys by X key code through XTest, for scripts that test keyboard
// layouts on a private X server:
//   layout_sweep sweep LAYOUT[:VARIANT]...
//       opens an engine window and, for each layout in turn (set with
//       setxkbmap), presses every key of the main block into it; prints a
//       line for each layout that breaks a rule, then the totals. Exit 0 when
//       no layout gave two keys one code, lost a key, or moved a letter.
//   layout_sweep hold CODE...
//       holds the keys down in order, then lets them go in reverse order,
//       into whichever window has the keyboard.
#include "Engine/IRenderer/CWindowManager.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

using namespace Tavrin::Engine;

namespace {

// The typing block: X key codes 9 (Escape) to 66 (Caps Lock) but the
// keypad's *, and 94, the key left of Z on ISO keyboards.
std::vector<int> mainBlock()
{
    std::vector<int> codes;
    for (int code = 9; code <= 66; ++code)
        if (code != 63)
            codes.push_back(code);
    codes.push_back(94);
    return codes;
}

void pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

class CCodeListener : public CWindowEventListener
{
public:
    void onKeyDown(CWindow*, const SWindowEvent& event) override { downs.push_back(event.code); }
    void onKeyUp(CWindow*, const SWindowEvent&) override { ++ups; }

    std::vector<uint32_t> downs;
    size_t ups = 0;
};

// Runs setxkbmap; false when it cannot load the layout.
bool setLayout(const std::string& layout)
{
    std::string name = layout.substr(0, layout.find(':'));
    std::string variant = layout.find(':') == std::string::npos ? "" : layout.substr(layout.find(':') + 1);
    pid_t child = fork();
    if (child == 0)
    {
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDERR_FILENO);
        execlp("setxkbmap", "setxkbmap", "-layout", name.c_str(), "-variant", variant.c_str(), (char*)nullptr);
        _exit(127);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class CSweep
{
public:
    CSweep(Display* display, CWindowManager& windows, CCodeListener* listener)
        : m_display(display), m_windows(windows), m_listener(listener)
    {
    }

    // Sweeps one layout; false when it broke a rule (said on stdout).
    bool sweep(const std::string& layout)
    {
        m_listener->downs.clear();
        m_listener->ups = 0;
        const std::vector<int> keys = mainBlock();
        for (int key : keys)
        {
            XTestFakeKeyEvent(m_display, static_cast<unsigned>(key), True, CurrentTime);
            XTestFakeKeyEvent(m_display, static_cast<unsigned>(key), False, CurrentTime);
        }
        // Caps Lock was pressed once: the next layout, and whatever runs
        // after the sweep, start with no lock on.
        XkbLockModifiers(m_display, XkbUseCoreKbd, LockMask, 0);
        XSync(m_display, False);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (m_listener->ups < keys.size() && std::chrono::steady_clock::now() < deadline)
        {
            m_windows.processAllMessages();
            pause(1);
        }
        return _check(layout, keys);
    }

    size_t keys = 0, collisions = 0, lost = 0, movedLetters = 0;

private:
    bool _check(const std::string& layout, const std::vector<int>& keyCodes)
    {
        // The X server's own keymap, read without SDL.
        XkbDescPtr keymap = XkbGetMap(m_display, XkbAllClientInfoMask, XkbUseCoreKbd);
        if (!keymap)
            return false;
        bool result = _checkCodes(layout, keyCodes, keymap);
        XkbFreeKeyboard(keymap, 0, True);
        return result;
    }

    bool _checkCodes(const std::string& layout, const std::vector<int>& keyCodes, XkbDescPtr keymap)
    {
        const std::vector<uint32_t>& codes = m_listener->downs;
        std::string problems;
        if (codes.size() != keyCodes.size() || m_listener->ups != keyCodes.size())
        {
            lost += keyCodes.size() - std::min(codes.size(), keyCodes.size());
            problems += " " + std::to_string(codes.size()) + " of " + std::to_string(keyCodes.size()) + " keys seen;";
        }
        std::map<uint32_t, int> keyOfCode;
        for (size_t i = 0; i < codes.size() && i < keyCodes.size(); ++i)
        {
            ++keys;
            if (!keyOfCode.emplace(codes[i], keyCodes[i]).second)
            {
                ++collisions;
                problems += " X keys " + std::to_string(keyOfCode[codes[i]]) + " and " + std::to_string(keyCodes[i]) +
                            " give " + std::to_string(codes[i]) + ";";
            }
            KeySym symbol = _symbol(keymap, keyCodes[i]);
            bool digitRow = keyCodes[i] >= 10 && keyCodes[i] <= 19;
            if (!digitRow && symbol >= XK_a && symbol <= XK_z && codes[i] != symbol - XK_a + 'A' &&
                _typedOnce(keymap, symbol, keyCodes))
            {
                ++movedLetters;
                problems += " X key " + std::to_string(keyCodes[i]) + " types " + XKeysymToString(symbol) +
                            " but gives " + std::to_string(codes[i]) + ";";
            }
        }
        if (problems.empty())
            return true;
        printf("FAIL layout %s:%s\n", layout.c_str(), problems.c_str());
        return false;
    }

    static KeySym _symbol(XkbDescPtr keymap, int key)
    {
        KeyCode code = static_cast<KeyCode>(key);
        return XkbKeyNumSyms(keymap, code) > 0 ? XkbKeySymEntry(keymap, code, 0, 0) : NoSymbol;
    }

    static bool _typedOnce(XkbDescPtr keymap, KeySym symbol, const std::vector<int>& keyCodes)
    {
        int count = 0;
        for (int key : keyCodes)
            count += _symbol(keymap, key) == symbol;
        return count == 1;
    }

    Display* m_display;
    CWindowManager& m_windows;
    CCodeListener* m_listener;
};

bool focus(Display* display, CWindowManager& windows, CWindow* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(static_cast<SDL_Window*>(window->getHandle()), &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    for (int attempt = 0; attempt < 200 && !window->isFocused(); ++attempt)
    {
        XSetInputFocus(display, info.info.x11.window, RevertToParent, CurrentTime);
        XSync(display, False);
        windows.processAllMessages();
        pause(10);
    }
    return window->isFocused();
}

int sweep(int count, char** layouts)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    CWindowManager windows;
    CManagedPtr<CWindow> window = windows.createWindow("Tavrin layout sweep", 320, 100, 68);
    window->show();
    CManagedPtr<CCodeListener> listener = CManagedPtr<CCodeListener>::adopt(new CCodeListener());
    window->addListener(listener.get());
    int status = 0;
    if (!focus(display, windows, window.get()))
    {
        printf("FAIL the engine window did not get the keyboard\n");
        status = 1;
    }
    CSweep run(display, windows, listener.get());
    size_t swept = 0, skipped = 0;
    for (int i = 0; i < count && window->isFocused(); ++i)
    {
        if (!setLayout(layouts[i]))
        {
            printf("note layout %s: setxkbmap cannot load it\n", layouts[i]);
            ++skipped;
            continue;
        }
        ++swept;
        if (!run.sweep(layouts[i]))
            status = 1;
        fflush(stdout);
    }
    printf("layouts %zu, keys %zu, collisions %zu, lost %zu, moved letters %zu, not loadable %zu\n", swept, run.keys,
           run.collisions, run.lost, run.movedLetters, skipped);
    window->removeAllListeners();
    XCloseDisplay(display);
    return status;
}

int hold(int count, char** codes)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    for (int i = 0; i < count; ++i)
    {
        XTestFakeKeyEvent(display, static_cast<unsigned>(atoi(codes[i])), True, CurrentTime);
        XSync(display, False);
        pause(5);
    }
    for (int i = count - 1; i >= 0; --i)
    {
        XTestFakeKeyEvent(display, static_cast<unsigned>(atoi(codes[i])), False, CurrentTime);
        XSync(display, False);
        pause(5);
    }
    XCloseDisplay(display);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && strcmp(argv[1], "sweep") == 0)
        return sweep(argc - 2, argv + 2);
    if (argc >= 2 && strcmp(argv[1], "hold") == 0)
        return hold(argc - 2, argv + 2);
    fprintf(stderr, "usage: %s sweep LAYOUT[:VARIANT]... | hold X-KEY-CODE...\n", argv[0]);
    return 2;
}
