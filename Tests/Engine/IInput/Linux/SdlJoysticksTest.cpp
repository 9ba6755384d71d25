#include "Engine/IInput/Linux/SdlJoysticks.h"

#include "Engine/IInput/Linux/CSdlGameController.h"
#include "Engine/IInput/Linux/CSdlJoystick.h"
#include "Support/Linux/SdlJoysticksTestSupport.h"

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

using SdlJoysticksTest = CSdlVirtualJoysticks;

static std::string sdlId(SDL_Joystick* handle, int twin)
{
    char text[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(handle), text, sizeof(text));
    return "SDL:" + std::string(text) + "#" + std::to_string(twin);
}

TEST_F(SdlJoysticksTest, ListsEveryDeviceWithAnIdThatSurvivesReplugging)
{
    CLogCapture capture;
    SDL_Joystick* pad = plugPad();
    SDL_Joystick* stick = plug(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 3, 8, 1, "Virtual stick");
    SDL_Joystick* twin = plug(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 3, 8, 1, "Virtual stick");
    CArray<SJoystickDescriptor> list;
    list.add(SJoystickDescriptor{CString("kept"), CString("kept:0")});
    enumerateSdlJoysticks(list);
    // Ours are SDL's last three devices, after the entry already there.
    ASSERT_EQ(list.getCount(), static_cast<uint64_t>(SDL_NumJoysticks()) + 1);
    EXPECT_STREQ(list[0].name.c_str(), "kept");
    const std::string names[3] = {"Virtual pad", "Virtual stick", "Virtual stick #2"};
    const std::string ids[3] = {sdlId(pad, 0), sdlId(stick, 0), sdlId(twin, 1)};
    const std::string kinds[3] = {"game controller", "joystick", "joystick"};
    const std::vector<std::string>& lines = CLogCapture::lines();
    ASSERT_GE(lines.size(), 3u);
    for (uint64_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(list[list.getCount() - 3 + i].name.c_str(), names[i]);
        EXPECT_EQ(list[list.getCount() - 3 + i].id.c_str(), ids[i]);
        EXPECT_EQ(lines[lines.size() - 3 + i], "SDL " + kinds[i] + " found: '" + names[i] + "' as " + ids[i] + "\n");
    }
    // Unplugged and plugged in again, the pad keeps its id (and goes last).
    unplug(pad);
    plugPad();
    CArray<SJoystickDescriptor> again;
    enumerateSdlJoysticks(again);
    EXPECT_EQ(again[again.getCount() - 1].id.c_str(), ids[0]);
    EXPECT_EQ(again[again.getCount() - 2].id.c_str(), ids[2]);
}

TEST_F(SdlJoysticksTest, CreateOpensEachKindOrSaysWhyNot)
{
    const std::string padId = describe(plugPad()).id.c_str();
    const std::string stickId = describe(plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 2, 0, "Virtual stick")).id.c_str();
    const std::string unknownId = "SDL:00000000000000000000000000000000#0";
    const std::string missing = "Could not locate a SDL joystick of name ";
    struct SCase
    {
        std::string id;
        int kind; // 0 nothing, 1 game controller, 2 joystick
        std::string line; // logged when nothing opens
    };
    const SCase cases[] = {
        {padId, 1, ""}, {stickId, 2, ""}, {unknownId, 0, missing + unknownId + "\n"},
        // No second stick of that kind is plugged in.
        {stickId.substr(0, stickId.size() - 1) + "1", 0, missing + stickId.substr(0, stickId.size() - 1) + "1\n"},
        // Other backends' ids and malformed ones are not looked for.
        {"", 0, ""}, {"XInput:0", 0, ""}, {"sdl:x", 0, ""},
    };
    for (const SCase& c : cases)
    {
        CLogCapture capture;
        SJoystickDescriptor descriptor{CString("x"), CString(c.id.c_str())};
        CManagedPtr<CJoystick> joystick = CManagedPtr<CJoystick>::adopt(createSdlJoystick(nullptr, descriptor, 0));
        EXPECT_EQ(dynamic_cast<CSdlGameController*>(joystick.get()) != nullptr, c.kind == 1) << c.id;
        EXPECT_EQ(dynamic_cast<CSdlJoystick*>(joystick.get()) != nullptr, c.kind == 2) << c.id;
        if (c.kind == 0)
        {
            EXPECT_EQ(CLogCapture::lines(), c.line.empty() ? std::vector<std::string>() : std::vector<std::string>{c.line}) << c.id;
        }
    }
}

TEST_F(SdlJoysticksTest, AnIdNamesOnePhysicalDeviceWhileItsTwinComesAndGoes)
{
    SDL_Joystick* first = plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0, "Virtual twin");
    SDL_Joystick* second = plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0, "Virtual twin");
    const SJoystickDescriptor firstPad = describe(first), secondPad = describe(second);
    ASSERT_FALSE(firstPad.id == secondPad.id);
    // Each pad's own button is down; the test lets go of its handles so that
    // nothing but the devices holds the pads.
    SDL_JoystickSetVirtualButton(first, 0, 1);
    SDL_JoystickSetVirtualButton(second, 1, 1);
    CManagedPtr<CJoystick> chosen = CManagedPtr<CJoystick>::adopt(createSdlJoystick(nullptr, firstPad, 0));
    ASSERT_TRUE(chosen);
    unplug(first);
    forget(first);
    forget(second);
    chosen->update(0.01f);
    EXPECT_FALSE(chosen->isActive() || chosen->getButton(1)) << "the chosen pad went: idle, not its twin";
    CManagedPtr<CJoystick> other = CManagedPtr<CJoystick>::adopt(createSdlJoystick(nullptr, secondPad, 0));
    ASSERT_TRUE(other) << "the second pad's id still names it";
    other->update(0.01f);
    EXPECT_TRUE(other->isActive() && other->getButton(1));
    EXPECT_EQ(describe(hold(SDL_NumJoysticks() - 1)).name, secondPad.name);
    // Plugged back in, the first pad returns under its id.
    forget(plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0, "Virtual twin"));
    chosen->update(0.01f);
    SDL_JoystickSetVirtualButton(hold(SDL_NumJoysticks() - 1), 0, 1);
    chosen->update(0.01f);
    EXPECT_TRUE(chosen->isActive() && chosen->getButton(0) && !chosen->getButton(1));
    EXPECT_EQ(describe(hold(SDL_NumJoysticks() - 1)).id, firstPad.id);
}
