// Presses keys by X key code through XTest, for scripts that test keyboard
// layouts on a private X server:
//   layout_sweep sweep LAYOUT[:VARIANT]...
//       for each layout in turn: loads it (setxkbmap), starts SDL's video on
//       it with a new engine window, and presses every key of the main
//       block, the keypad and the modifiers into it; prints a line for each
//       layout that breaks a rule, then the totals. Exit 0 when no layout
//       gave two keys one code, lost a key, moved a letter, took the digit
//       row's digits, or renamed a key that no layout names apart.
//   layout_sweep hold CODE...
//       holds the keys down in order, then lets them go in reverse order,
//       into whichever window has the keyboard.
//   layout_sweep down|up CODE...    presses or lets go of the keys.
//   layout_sweep group N            makes group N active, as desktops'
//                                   layout switchers do.
#include "Engine/IInput/Linux/CSdlKeyboardLayout.h"
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
#include <utility>
#include <vector>

using namespace Tavrin::Engine;

namespace {

// Keys Windows names alike on every layout, by X key code, with their names:
// Escape, Backspace, Tab, Return, Space, Caps Lock, the modifiers, Menu, and
// the keypad (Num Lock off).
const std::pair<int, uint32_t> C_FIXED_KEYS[] = {
    {9, 0x1B}, {22, 0x08}, {23, 0x09}, {36, 0x0D}, {65, 0x20}, {66, 0x14}, {37, 0xA2}, {50, 0xA0}, {62, 0xA1},
    {64, 0xA4}, {105, 0xA3}, {108, 0xA5}, {133, 0x5B}, {134, 0x5C}, {135, 0x5D}, {77, 0x90}, {106, 0x6F},
    {63, 0x6A}, {82, 0x6D}, {86, 0x6B}, {104, 261}, {79, 0x67}, {80, 0x68}, {81, 0x69}, {83, 0x64}, {84, 0x65},
    {85, 0x66}, {87, 0x61}, {88, 0x62}, {89, 0x63}, {90, 0x60}, {91, 0x6E},
};
const int C_FIRST_DIGIT_KEY = 10;
const int C_LAST_DIGIT_KEY = 19;

// The typing block: X key codes 9 (Escape) to 66 (Caps Lock) but the
// keypad's *, and 94, the key left of Z on ISO keyboards; then the rest of
// the keypad and the modifiers.
std::vector<int> sweptKeys()
{
    std::vector<int> codes;
    for (int code = 9; code <= 66; ++code)
        if (code != 63)
            codes.push_back(code);
    codes.push_back(94);
    for (const std::pair<int, uint32_t>& key : C_FIXED_KEYS)
        if (key.first > 66 || key.first == 63)
            codes.push_back(key.first);
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
        pause(2);
    }
    return window->isFocused();
}

class CSweep
{
public:
    CSweep(Display* display, CWindowManager& windows) : m_display(display), m_windows(windows) {}

    // Sweeps one layout, loaded before the window opens; false when it broke
    // a rule (said on stdout).
    bool sweep(const std::string& layout)
    {
        CManagedPtr<CWindow> window = m_windows.createWindow("Tavrin layout sweep", 320, 100, 68);
        window->show();
        CManagedPtr<CCodeListener> listener = CManagedPtr<CCodeListener>::adopt(new CCodeListener());
        window->addListener(listener.get());
        m_listener = listener.get();
        bool result = focus(m_display, m_windows, window.get()) && _press(layout);
        if (!window->isFocused())
            printf("FAIL layout %s: the engine window did not keep the keyboard\n", layout.c_str());
        if (const char* table = CSdlKeyboardLayout::active(0).windowsTable())
            ++tables[table];
        window->removeAllListeners();
        // Caps Lock, Num Lock and any group switch were pressed: the next
        // layout, and whatever runs after the sweep, start unlocked.
        XkbLockModifiers(m_display, XkbUseCoreKbd, 0xFF, 0);
        XkbLockGroup(m_display, XkbUseCoreKbd, 0);
        XSync(m_display, False);
        return result;
    }

    size_t keys = 0, collisions = 0, lost = 0, movedLetters = 0, wrongDigits = 0, wrongFixed = 0;
    std::map<std::string, size_t> tables;

private:
    bool _press(const std::string& layout)
    {
        const std::vector<int> keyCodes = sweptKeys();
        for (int key : keyCodes)
        {
            XTestFakeKeyEvent(m_display, static_cast<unsigned>(key), True, CurrentTime);
            XTestFakeKeyEvent(m_display, static_cast<unsigned>(key), False, CurrentTime);
        }
        XSync(m_display, False);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (m_listener->ups < keyCodes.size() && std::chrono::steady_clock::now() < deadline)
        {
            m_windows.processAllMessages();
            pause(1);
        }
        return _check(layout, keyCodes);
    }

    bool _check(const std::string& layout, const std::vector<int>& keyCodes)
    {
        // The X server's own keymap, read without SDL.
        XkbDescPtr keymap = XkbGetMap(m_display, XkbAllClientInfoMask, XkbUseCoreKbd);
        if (!keymap)
            return false;
        std::string problems = _checkCodes(keyCodes, keymap);
        XkbFreeKeyboard(keymap, 0, True);
        if (problems.empty())
            return true;
        printf("FAIL layout %s:%s\n", layout.c_str(), problems.c_str());
        return false;
    }

    std::string _checkCodes(const std::vector<int>& keyCodes, XkbDescPtr keymap)
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
            int key = keyCodes[i];
            std::string gives = " X key " + std::to_string(key) + " gives " + std::to_string(codes[i]);
            if (!keyOfCode.emplace(codes[i], key).second)
            {
                ++collisions;
                problems += gives + " as X key " + std::to_string(keyOfCode[codes[i]]) + " does;";
            }
            uint32_t digit = key == C_LAST_DIGIT_KEY ? '0' : '1' + (key - C_FIRST_DIGIT_KEY);
            if (key >= C_FIRST_DIGIT_KEY && key <= C_LAST_DIGIT_KEY && codes[i] != digit)
            {
                ++wrongDigits;
                problems += gives + ", not the digit " + std::string(1, static_cast<char>(digit)) + ";";
            }
            for (const std::pair<int, uint32_t>& fixed : C_FIXED_KEYS)
                if (fixed.first == key && fixed.second != codes[i])
                {
                    ++wrongFixed;
                    problems += gives + ", not " + std::to_string(fixed.second) + " as on every layout;";
                }
            KeySym symbol = _symbol(keymap, key);
            bool digitRow = key >= C_FIRST_DIGIT_KEY && key <= C_LAST_DIGIT_KEY;
            if (!digitRow && symbol >= XK_a && symbol <= XK_z && codes[i] != symbol - XK_a + 'A' &&
                _typedOnce(keymap, symbol, keyCodes))
            {
                ++movedLetters;
                problems += gives + " but types " + XKeysymToString(symbol) + ";";
            }
        }
        return problems;
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
    CCodeListener* m_listener = nullptr;
};

int sweep(int count, char** layouts)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    CWindowManager windows;
    CSweep run(display, windows);
    int status = 0;
    size_t swept = 0, skipped = 0;
    for (int i = 0; i < count; ++i)
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
    printf("layouts %zu, keys %zu, collisions %zu, lost %zu, moved letters %zu, digit row %zu, fixed keys %zu, "
           "not loadable %zu\n",
           swept, run.keys, run.collisions, run.lost, run.movedLetters, run.wrongDigits, run.wrongFixed, skipped);
    if (!run.tables.empty())
    {
        size_t matched = 0;
        std::string names;
        for (const std::pair<const std::string, size_t>& table : run.tables)
        {
            matched += table.second;
            names += " " + table.first + " " + std::to_string(table.second);
        }
        printf("windows tables: %zu layouts matched:%s\n", matched, names.c_str());
    }
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

int act(const char* action, int count, char** values)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    for (int i = 0; i < count; ++i)
        if (strcmp(action, "group") == 0)
            XkbLockGroup(display, XkbUseCoreKbd, static_cast<unsigned>(atoi(values[i])));
        else
        {
            bool press = strcmp(action, "down") == 0;
            XTestFakeKeyEvent(display, static_cast<unsigned>(atoi(values[i])), press, CurrentTime);
        }
    XSync(display, False);
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
    if (argc >= 3 && (strcmp(argv[1], "down") == 0 || strcmp(argv[1], "up") == 0 || strcmp(argv[1], "group") == 0))
        return act(argv[1], argc - 2, argv + 2);
    fprintf(stderr, "usage: %s sweep LAYOUT[:VARIANT]... | hold|down|up X-KEY-CODE... | group N\n", argv[0]);
    return 2;
}
