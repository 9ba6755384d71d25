#include "Engine/IRenderer/Linux/CWindowSdl.h"

#include "Engine/IInput/Linux/CSdlInputManager.h"
#include "Engine/IRenderer/CWindowManager.h"

#include "Engine/IInput/InputTestSupport.h"
#include "Support/Linux/SdlTestSupport.h"
#include "Engine/IRenderer/RendererTestSupport.h"

#include <SDL_syswm.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

uint32_t windowId(CWindow* window)
{
    return SDL_GetWindowID(static_cast<SDL_Window*>(window->getHandle()));
}

// How many of the window surface's pixels have each colour (0xRRGGBB).
std::map<uint32_t, int> surfaceColours(CWindow* window)
{
    std::map<uint32_t, int> counts;
    SDL_Surface* surface = SDL_GetWindowSurface(static_cast<SDL_Window*>(window->getHandle()));
    if (!surface || surface->format->BytesPerPixel != 4)
        return counts;
    for (int y = 0; y < surface->h; ++y)
        for (int x = 0; x < surface->w; ++x)
        {
            uint8_t red, green, blue;
            SDL_GetRGB(static_cast<const uint32_t*>(surface->pixels)[y * surface->pitch / 4 + x], surface->format, &red,
                       &green, &blue);
            ++counts[static_cast<uint32_t>(red << 16 | green << 8 | blue)];
        }
    return counts;
}

// The X event SDL's X11 driver queues as a platform event before its own.
void pushXKey(bool press, unsigned keycode)
{
    SDL_SysWMmsg message;
    memset(&message, 0, sizeof(message));
    message.subsystem = SDL_SYSWM_X11;
    message.msg.x11.event.xkey.type = press ? KeyPress : KeyRelease;
    message.msg.x11.event.xkey.keycode = keycode;
    SDL_Event event = sdlEvent(SDL_SYSWMEVENT);
    event.syswm.msg = &message;
    SDL_PushEvent(&event);
}

} // namespace

TEST(CWindowSdlTest, ShowOpensAnSdlWindowWithTitleSizePositionAndStyle)
{
    CSdlVideoDriver driver("dummy");
    struct SCase
    {
        uint32_t flags;
        uint32_t sdlFlags;    // expected among the SDL window's flags
        uint32_t notFlags;    // expected absent
        int32_t x, y;         // client position; the dummy screen is 1024 x 768
    };
    const SCase cases[] = {
        {68, SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN, SDL_WINDOW_BORDERLESS, 352, 334},
        {1, SDL_WINDOW_BORDERLESS, SDL_WINDOW_RESIZABLE, 0, 0},
        {2, SDL_WINDOW_RESIZABLE, SDL_WINDOW_BORDERLESS, 0, 0},
        {0, SDL_WINDOW_RESIZABLE, SDL_WINDOW_BORDERLESS, 0, 0},
    };
    CWindowManager manager;
    for (const SCase& testCase : cases)
    {
        CManagedPtr<CWindow> window = manager.createWindow("Press one or many keys..", 320, 100, testCase.flags);
        window->show();
        SDL_Window* native = static_cast<SDL_Window*>(window->getHandle());
        ASSERT_NE(native, nullptr) << testCase.flags;
        EXPECT_FALSE(window->isClosed());
        EXPECT_EQ(CWindowManager::findWindow(native), window.get());
        EXPECT_STREQ(SDL_GetWindowTitle(native), "Press one or many keys..");
        int width = 0, height = 0, x = -1, y = -1;
        SDL_GetWindowSize(native, &width, &height);
        SDL_GetWindowPosition(native, &x, &y);
        EXPECT_EQ(width, 320);
        EXPECT_EQ(height, 100);
        EXPECT_EQ(window->getClientWidth(), 320u);
        EXPECT_EQ(window->getClientX(), testCase.x) << testCase.flags;
        EXPECT_EQ(y, testCase.y) << testCase.flags;
        EXPECT_EQ(SDL_GetWindowFlags(native) & (testCase.sdlFlags | testCase.notFlags), testCase.sdlFlags)
            << testCase.flags;
        // No input method takes keys unless characters are asked for.
        EXPECT_FALSE(SDL_IsTextInputActive()) << testCase.flags;
    }
}

// Keys, buttons and window changes as the platform queues them, pumped by
// the input manager's update and the window in between.
TEST(CWindowSdlTest, EventsReachListenersInQueueOrder)
{
    CSdlVideoDriver driver("dummy");
    TTrace trace;
    CSdlInputManager input;
    CWindowManager manager;
    CManagedPtr<CWindow> window = manager.createWindow("Keys", 320, 100, 68);
    CManagedPtr<CWindow> other = manager.createWindow("Other", 10, 10, 0);
    window->show();
    other->show();
    CManagedPtr<CMouse> mouse = input.createMouse(window->getHandle(), 0);
    CManagedPtr<CTraceListener> listener = CManagedPtr<CTraceListener>::adopt(new CTraceListener(trace, ""));
    window->addListener(listener.get());
    other->addListener(CManagedPtr<CTraceListener>::adopt(new CTraceListener(trace, "other")).get());
    window->processMessages();
    other->processMessages();
    trace.clear();

    const uint32_t id = windowId(window.get());
    pushWindowEvent(id, SDL_WINDOWEVENT_FOCUS_GAINED);
    pushKey(id, true, SDL_SCANCODE_LCTRL, SDLK_LCTRL);
    pushKey(id, true, SDL_SCANCODE_LCTRL, SDLK_LCTRL, true);
    pushKey(id, true, SDL_SCANCODE_RCTRL, SDLK_RCTRL);
    pushKey(windowId(other.get()), true, SDL_SCANCODE_X, 'x');
    input.update(0.01f);
    pushKey(id, true, SDL_SCANCODE_KP_7, SDLK_HOME);
    pushKey(id, false, SDL_SCANCODE_KP_7, SDLK_HOME);
    pushKey(id, false, SDL_SCANCODE_KP_7, SDLK_HOME);
    pushKey(id, true, SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER);
    // The code comes from the key's position under SDL's keymap (US here),
    // not from the character in the event.
    pushKey(id, true, SDL_SCANCODE_Q, 'a');
    SDL_Event text = sdlEvent(SDL_TEXTINPUT);
    text.text.windowID = id;
    strcpy(text.text.text, "a\xC3\xA9");
    SDL_PushEvent(&text);
    const uint8_t buttons[] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1, SDL_BUTTON_X2};
    for (uint8_t button : buttons)
    {
        pushButton(id, true, button, 12, 34);
        pushButton(id, false, button, 12, 34);
    }
    pushButton(id, true, SDL_BUTTON_X2, 1, 2);
    pushMotion(id, 40, 50, 3, -4);
    pushWheel(id, 1.0f);
    pushWheel(id, 2.0f, true);
    pushWindowEvent(id, SDL_WINDOWEVENT_MOVED, 100, 200);
    pushWindowEvent(id, SDL_WINDOWEVENT_SIZE_CHANGED, 300, 90);
    pushWindowEvent(id, SDL_WINDOWEVENT_FOCUS_LOST);
    input.update(0.01f);
    EXPECT_EQ(mouse->getDeltaY(), -4);
    window->processMessages();

    const TTrace expected = {
        "focusgained", "keydown 101:162:", "keydown 101:163:",
        "keydown 101:103:", "keyup 101:103:", "keydown 101:261:", "char 101:13:",
        "keydown 101:81:", "char 101:97:", "char 101:233:",
        "buttondown 1 12,34", "buttonup 1 12,34", "buttondown 2 12,34", "buttonup 2 12,34",
        "buttondown 4 12,34", "buttonup 4 12,34", "buttondown 5 12,34", "buttonup 5 12,34",
        "buttondown 6 12,34", "buttonup 6 12,34", "buttondown 6 1,2",
        "mousemove 40,50", "wheel 1.000000", "wheel -2.000000", "move 100,200", "resize 300,90",
        // Focus loss lets go of everything still held here, in code order.
        "buttonup 6 0,0", "keyup 101:81:", "keyup 101:162:", "keyup 101:163:", "keyup 101:261:", "focuslost",
    };
    EXPECT_EQ(trace, expected);
    EXPECT_FALSE(window->isFocused());

    // The other window's key stayed for it.
    trace.clear();
    other->processMessages();
    EXPECT_EQ(trace, (TTrace{"other keydown 101:88:"}));
    window->removeAllListeners();
    other->removeAllListeners();
}

TEST(CWindowSdlTest, CloseTakesEffectAtTheNextPumpAndReleasesHeldKeys)
{
    CSdlVideoDriver driver("dummy");
    TTrace trace;
    CWindowManager manager;
    CManagedPtr<CWindow> window = manager.createWindow("Closing", 320, 100, 68);
    window->show();
    void* native = window->getHandle();
    CManagedPtr<CTraceListener> listener = CManagedPtr<CTraceListener>::adopt(new CTraceListener(trace, ""));
    window->addListener(listener.get());
    pushKey(windowId(window.get()), true, SDL_SCANCODE_A, 'a');
    window->close();
    EXPECT_FALSE(window->isClosed());
    window->processMessages();
    EXPECT_TRUE(window->isClosed());
    EXPECT_EQ(window->getHandle(), nullptr);
    EXPECT_EQ(CWindowManager::findWindow(native), nullptr);
    EXPECT_EQ(trace, (TTrace{"keydown 101:65:", "keyup 101:65:"}));
    // A closed window stays closed.
    window->show();
    EXPECT_TRUE(window->isClosed());
}

// SDL's X11 driver guesses scancodes from symbols (on in(tel-sarala) the
// digit row and the keypad are all KP_*): the X event names the key.
TEST(CWindowSdlTest, KeysAreNamedByTheXKeyBeforeSdlsGuess)
{
    CSdlVideoDriver driver("dummy");
    TTrace trace;
    CWindowManager manager;
    CManagedPtr<CWindow> window = manager.createWindow("Keys", 320, 100, 68);
    window->show();
    window->addListener(CManagedPtr<CTraceListener>::adopt(new CTraceListener(trace, "")).get());
    const uint32_t id = windowId(window.get());
    pushXKey(true, 10);
    pushKey(id, true, SDL_SCANCODE_KP_1, SDLK_KP_1);
    // The keypad's 1 while the digit is held: to SDL, a repeat.
    pushXKey(true, 87);
    pushKey(id, true, SDL_SCANCODE_KP_1, SDLK_KP_1, true);
    pushXKey(false, 10);
    pushKey(id, false, SDL_SCANCODE_KP_1, SDLK_KP_1);
    // An input method took a dead key's press: its release keeps SDL's name.
    pushKey(id, true, SDL_SCANCODE_EQUALS, SDLK_EQUALS);
    pushXKey(false, 49);
    pushKey(id, false, SDL_SCANCODE_EQUALS, SDLK_EQUALS);
    window->processMessages();
    EXPECT_EQ(trace,
              (TTrace{"keydown 101:49:", "keydown 101:97:", "keyup 101:49:", "keydown 101:187:", "keyup 101:187:"}));
    window->removeAllListeners();
}

// Compositors show a window only once it has presented a frame: the client
// area is painted in the window class's background colour, with the title
// written inside in black, when the window shows and again whenever the
// system reports it exposed.
TEST(CWindowSdlTest, ClientAreaIsPaintedAtShowAndWhenExposed)
{
    CSdlVideoDriver driver("dummy");
    const uint32_t background = 0xF4F7FC, text = 0x000000;
    CWindowManager manager;
    CManagedPtr<CWindow> window = manager.createWindow("Press one or many keys..", 320, 100, 68);
    window->show();
    std::map<uint32_t, int> painted = surfaceColours(window.get());
    ASSERT_EQ(painted.size(), 2u);
    EXPECT_GT(painted[background], 30000);
    EXPECT_GT(painted[text], 500);
    SDL_Surface* surface = SDL_GetWindowSurface(static_cast<SDL_Window*>(window->getHandle()));
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 255, 0, 0));
    pushWindowEvent(windowId(window.get()), SDL_WINDOWEVENT_EXPOSED);
    window->processMessages();
    EXPECT_EQ(surfaceColours(window.get()), painted);
}

TEST(CWindowSdlTest, WithoutDisplayShowThrowsAndLogsSdlsReason)
{
    CLogCapture capture;
    CSdlVideoDriver driver("x11", true);
    CManagedPtr<CWindowSdl> window = CManagedPtr<CWindowSdl>::adopt(new CWindowSdl("No display", nullptr, 320, 100, 68));
    expectException<CInvalidOperationException>([&] { window->show(); }, "Cannot create window\n",
                                                      "Engine/IRenderer/Linux/CWindowSdl", -1);
    EXPECT_TRUE(window->isClosed());
    EXPECT_FALSE(window->isCreated());
    bool logged = false;
    for (const std::string& line : CLogCapture::lines())
        logged = logged || line.find("x11 not available") != std::string::npos;
    EXPECT_TRUE(logged);
}
