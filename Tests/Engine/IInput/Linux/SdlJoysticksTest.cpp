#include "Engine/IInput/Linux/SdlJoysticks.h"

#include "Engine/IInput/Linux/CSdlGameController.h"
#include "Engine/IInput/Linux/CSdlJoystick.h"
#include "Engine/IInput/Linux/SdlJoysticksTestSupport.h"

#include <string>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

using SdlJoysticksTest = CSdlVirtualJoysticks;

std::string guidOf(SDL_Joystick* handle)
{
    char text[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(handle), text, sizeof(text));
    return text;
}

} // namespace

TEST_F(SdlJoysticksTest, ListsEveryDeviceWithAnIdThatSurvivesReplugging)
{
    CLogCapture capture;
    SDL_Joystick* pad = plugPad("Virtual pad");
    SDL_Joystick* stick = plug(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 3, 8, 1, "Virtual stick");
    SDL_Joystick* twin = plug(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 3, 8, 1, "Virtual stick");
    CArray<SJoystickDescriptor> list;
    list.add(SJoystickDescriptor{CString("kept"), CString("kept:0")});
    enumerateSdlJoysticks(list);
    // Devices already there come first; ours are SDL's last three.
    ASSERT_EQ(list.getCount(), static_cast<uint64_t>(SDL_NumJoysticks()) + 1);
    EXPECT_STREQ(list[0].id.c_str(), "kept:0");
    const uint64_t first = list.getCount() - 3;
    const std::string padId = "SDL:" + guidOf(pad) + "#0";
    struct SEntry
    {
        const char* name;
        std::string id;
        const char* line;
    };
    const SEntry expected[3] = {
        {"Virtual pad", padId, "SDL game controller found: 'Virtual pad' as "},
        {"Virtual stick", "SDL:" + guidOf(stick) + "#0", "SDL joystick found: 'Virtual stick' as "},
        {"Virtual stick #2", "SDL:" + guidOf(twin) + "#1", "SDL joystick found: 'Virtual stick #2' as "},
    };
    const std::vector<std::string>& lines = CLogCapture::lines();
    ASSERT_GE(lines.size(), 3u);
    for (uint64_t i = 0; i < 3; ++i)
    {
        EXPECT_STREQ(list[first + i].name.c_str(), expected[i].name);
        EXPECT_EQ(list[first + i].id.c_str(), expected[i].id);
        EXPECT_EQ(lines[lines.size() - 3 + i], expected[i].line + expected[i].id + "\n");
    }

    // Unplugged and plugged in again, the pad keeps its id (and goes last).
    unplug(pad);
    plugPad("Virtual pad");
    CArray<SJoystickDescriptor> again;
    enumerateSdlJoysticks(again);
    EXPECT_EQ(again[again.getCount() - 1].id.c_str(), padId);
    EXPECT_EQ(again[again.getCount() - 2].id.c_str(), expected[2].id);
}

TEST_F(SdlJoysticksTest, CreateOpensEachKindOrSaysWhyNot)
{
    SDL_Joystick* pad = plugPad();
    SDL_Joystick* stick = plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 2, 0, "Virtual stick");
    const CString padId = describe(pad).id;
    const CString stickId = describe(stick).id;
    const std::string missing = "Could not locate a SDL joystick of name ";
    const CString unknownId("SDL:00000000000000000000000000000000#0");
    struct SCase
    {
        CString id;
        int kind; // 0 nothing, 1 game controller, 2 joystick
        std::string line; // logged when nothing opens; empty: nothing logged
    };
    const SCase cases[] = {
        {padId, 1, ""},
        {stickId, 2, ""},
        {unknownId, 0, missing + unknownId.c_str() + "\n"},
        // No second stick of that kind is plugged in.
        {stickId + "7", 0, missing + stickId.c_str() + "7\n"},
        // Other backends' ids and malformed ones are not looked for.
        {"", 0, ""},
        {"XInput:0", 0, ""},
        {"sdl:x", 0, ""},
    };
    for (const SCase& c : cases)
    {
        CLogCapture capture;
        CManagedPtr<CJoystick> joystick =
            CManagedPtr<CJoystick>::adopt(createSdlJoystick(nullptr, SJoystickDescriptor{CString("x"), c.id}, 0));
        EXPECT_EQ(dynamic_cast<CSdlGameController*>(joystick.get()) != nullptr, c.kind == 1) << c.id.c_str();
        EXPECT_EQ(dynamic_cast<CSdlJoystick*>(joystick.get()) != nullptr, c.kind == 2) << c.id.c_str();
        if (c.kind != 0)
            continue;
        std::vector<std::string> expected;
        if (!c.line.empty())
            expected.push_back(c.line);
        EXPECT_EQ(CLogCapture::lines(), expected) << c.id.c_str();
    }
}
