// Opens an engine window as the detection run does and prints, one line per
// event, what reaches its listener and its mouse device, for a script that
// drives the X server and reads the lines back:
//   sdl_window_probe run         until the window is closed (exit 0) or 120 s pass (exit 1)
//   sdl_window_probe close XID   asks the window to close, as a window manager's close box does
//   sdl_window_probe grab        holds the pointer, as a game or a drag does, until ended (prints "grabbed")
#include "Engine/IInput/CInputManager.h"
#include "Engine/IRenderer/CWindowManager.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

using namespace Tavrin::Engine;

namespace {

const char* const C_TITLE = "Tavrin SDL probe";
const char* const C_OTHER_TITLE = "Tavrin SDL other";

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    vprintf(format, arguments);
    va_end(arguments);
    putchar('\n');
    fflush(stdout);
}

class CPrintingListener : public CWindowEventListener
{
public:
    void onKeyDown(CWindow*, const SWindowEvent& event) override { say("keydown %u", event.code); }
    void onKeyUp(CWindow*, const SWindowEvent& event) override { say("keyup %u", event.code); }
    void onMouseButtonDown(CWindow*, uint32_t button, uint16_t, uint16_t) override { say("buttondown %u", button); }
    void onMouseButtonUp(CWindow*, uint32_t button, uint16_t, uint16_t) override { say("buttonup %u", button); }
    void onMouseWheel(CWindow*, float delta) override { say("wheel %.2f", delta); }
    void onFocusGained(CWindow*) override { say("focusgained"); }
    void onFocusLost(CWindow*) override { say("focuslost"); }
};

int run()
{
    CManagedPtr<CInputManager> input = createInputManager();
    CWindowManager windows;
    CManagedPtr<CWindow> window = windows.createWindow(C_TITLE, 320, 100, 68);
    // Somewhere to move the focus to.
    CManagedPtr<CWindow> other = windows.createWindow(C_OTHER_TITLE, 100, 50, 0);
    other->show();
    window->show();
    CManagedPtr<CPrintingListener> listener = CManagedPtr<CPrintingListener>::adopt(new CPrintingListener());
    window->addListener(listener.get());
    CManagedPtr<CMouse> mouse = input->createMouse(window->getHandle(), 1);
    say("ready %s", mouse ? "mouse" : "nomouse");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (std::chrono::steady_clock::now() < deadline)
    {
        input->update(0.01f);
        if (mouse && (mouse->getDeltaX() != 0 || mouse->getDeltaY() != 0))
            say("motion %d %d", mouse->getDeltaX(), mouse->getDeltaY());
        if (mouse && mouse->getWheel() != 0.0f)
            say("mousewheel %.2f", mouse->getWheel());
        windows.processAllMessages();
        if (window->isClosed())
        {
            say("closed");
            window->removeAllListeners();
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    say("timeout");
    window->removeAllListeners();
    return 1;
}

int requestClose(const char* id)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    XEvent event;
    memset(&event, 0, sizeof(event));
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(strtoul(id, nullptr, 0));
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return 0;
}

int holdPointer()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    Window root = DefaultRootWindow(display);
    if (XGrabPointer(display, root, False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None, None, CurrentTime) !=
        GrabSuccess)
        return 1;
    say("grabbed");
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], "run") == 0)
        return run();
    if (argc == 3 && strcmp(argv[1], "close") == 0)
        return requestClose(argv[2]);
    if (argc == 2 && strcmp(argv[1], "grab") == 0)
        return holdPointer();
    fprintf(stderr, "usage: %s run | close XID | grab\n", argv[0]);
    return 2;
}
