#include "Engine/IInput/Linux/CSdlInputManager.h"

#include "Engine/IInput/CNullInputManager.h"
#include "Engine/IInput/Linux/CSdlEventPump.h"
#include "Engine/IInput/Linux/CSdlMouse.h"

#include "Engine/IInput/InputTestSupport.h"
#include "Support/Linux/SdlTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

// Stands for an engine window: keeps the type of every event it is given.
class CRecordingSink : public CSdlEventSink
{
public:
    void onSdlEvent(const SDL_Event& event) override { types.push_back(event.type); }
    std::vector<uint32_t> types;
};

bool logHas(const std::string& text)
{
    for (const std::string& line : CLogCapture::lines())
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(CSdlInputManagerTest, MouseReportsMotionAndWheelSincePreviousUpdate)
{
    CSdlVideoDriver driver("dummy");
    CSdlInputManager manager;
    ASSERT_TRUE(manager.isReady());
    CManagedPtr<CMouse> mouse = manager.createMouse(nullptr, 0);
    ASSERT_TRUE(mouse);
    EXPECT_EQ(manager.getDevice(mouse->getId()), mouse.get());

    struct SStep
    {
        std::vector<int32_t> motion;  // dx, dy pairs
        std::vector<float> wheel;     // notches; negative flipped entries below
        bool flipped;
        int32_t deltaX, deltaY;
        float expectedWheel;
    };
    const SStep steps[] = {
        {{10, -5, 3, 0}, {1.0f}, false, 13, -5, 1.0f},
        {{}, {}, false, 0, 0, 0.0f},
        {{-2, 7}, {-1.0f, -1.0f}, false, -2, 7, -2.0f},
        // "Natural scrolling" reports the finger's direction: the wheel still
        // turned towards the user.
        {{}, {1.0f}, true, 0, 0, -1.0f},
    };
    int index = 0;
    for (const SStep& step : steps)
    {
        for (size_t i = 0; i < step.motion.size(); i += 2)
            pushMotion(1, 5, 5, step.motion[i], step.motion[i + 1]);
        for (float notches : step.wheel)
            pushWheel(1, notches, step.flipped);
        manager.update(0.01f);
        EXPECT_EQ(mouse->getDeltaX(), step.deltaX) << "step " << index;
        EXPECT_EQ(mouse->getDeltaY(), step.deltaY) << "step " << index;
        EXPECT_FLOAT_EQ(mouse->getWheel(), step.expectedWheel) << "step " << index;
        ++index;
    }

    // Bound to a window without the focus (the dummy driver gives none).
    SDL_Window* window = SDL_CreateWindow("unfocused", 0, 0, 8, 8, SDL_WINDOW_HIDDEN);
    CManagedPtr<CMouse> foreground = manager.createMouse(window, 1);
    pushMotion(1, 5, 5, 4, 4);
    manager.update(0.01f);
    EXPECT_EQ(foreground->getDeltaX(), 0);
    EXPECT_FALSE(static_cast<CSdlMouse*>(foreground.get())->isActive());
    EXPECT_EQ(mouse->getDeltaX(), 4);
    foreground.reset();
    SDL_DestroyWindow(window);
}

TEST(CSdlInputManagerTest, UpdateLeavesWindowEventsToTheirWindowAndDropsJoystickEvents)
{
    CSdlVideoDriver driver("dummy");
    CSdlInputManager manager;
    ASSERT_TRUE(manager.isReady());
    CManagedPtr<CMouse> mouse = manager.createMouse(nullptr, 0);
    CRecordingSink window, other;
    CSdlEventPump::get().addWindow(7, &window);
    CSdlEventPump::get().addWindow(8, &other);

    pushKey(7, true, SDL_SCANCODE_A, 'a');
    SDL_Event axis = sdlEvent(SDL_JOYAXISMOTION);
    SDL_PushEvent(&axis);
    pushMotion(7, 1, 1, 2, 0);
    SDL_Event button = sdlEvent(SDL_CONTROLLERBUTTONDOWN);
    SDL_PushEvent(&button);
    pushKey(9, true, SDL_SCANCODE_B, 'b');
    manager.update(0.01f);

    EXPECT_EQ(window.types, (std::vector<uint32_t>{SDL_KEYDOWN, SDL_MOUSEMOTION}));
    EXPECT_TRUE(other.types.empty());
    EXPECT_EQ(mouse->getDeltaX(), 2);
    // Joystick reads queue events that nobody takes; they must not pile up.
    SDL_PushEvent(&axis);
    manager.update(0.01f);
    EXPECT_FALSE(SDL_HasEvents(SDL_JOYAXISMOTION, SDL_CONTROLLERSENSORUPDATE));
    CSdlEventPump::get().removeWindow(7);
    CSdlEventPump::get().removeWindow(8);
}

TEST(CSdlInputManagerTest, APollPassReadsThePlatformOnce)
{
    CSdlVideoDriver driver("dummy");
    CSdlInputManager manager;
    ASSERT_TRUE(manager.isReady());
    CManagedPtr<CMouse> mouse = manager.createMouse(nullptr, 0);
    CRecordingSink window;
    CSdlEventPump& pump = CSdlEventPump::get();
    pump.addWindow(7, &window);
    uint64_t before = pump.getPlatformReads();
    for (int pass = 0; pass < 3; ++pass)
    {
        pushKey(7, true, SDL_SCANCODE_A, 'a');
        manager.update(0.01f);
        pushWheel(7, 1.0f);
        pump.pump();
        EXPECT_EQ(mouse->getWheel(), pass == 0 ? 0.0f : 1.0f) << "the wheel of the previous pass";
    }
    EXPECT_EQ(pump.getPlatformReads() - before, 3u);
    // A window pumping on its own, outside poll passes, still reads.
    pump.pump();
    EXPECT_EQ(pump.getPlatformReads() - before, 4u);
    EXPECT_EQ(window.types, (std::vector<uint32_t>{SDL_KEYDOWN, SDL_MOUSEWHEEL, SDL_KEYDOWN, SDL_MOUSEWHEEL, SDL_KEYDOWN,
                                                   SDL_MOUSEWHEEL}));
    pump.removeWindow(7);
}

// SDL's video starts with the first mouse, not with the manager: that is
// when a missing display shows.
TEST(CSdlInputManagerTest, WithoutDisplayNoMouseIsMadeAndTheReasonLogged)
{
    CLogCapture capture;
    CSdlVideoDriver driver("x11", true);
    CManagedPtr<CInputManager> manager = createInputManager();
    ASSERT_TRUE(manager);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK), 0u) << "nothing started before its use";
    EXPECT_FALSE(manager->createMouse(nullptr, 0));
    EXPECT_FALSE(manager->createMouse(nullptr, 0)) << "and not tried again";
    EXPECT_TRUE(logHas("Warning: SDL could not start")) << "SDL's reason";
    EXPECT_TRUE(logHas("x11 not available"));
    EXPECT_TRUE(logHas("Warning: SDL input is not available; no mouse or joystick will be read\n"));
}
