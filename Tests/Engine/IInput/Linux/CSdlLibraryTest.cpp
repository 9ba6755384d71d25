#include "Engine/IInput/Linux/CSdlLibrary.h"

#include <gtest/gtest.h>

using namespace Tavrin::Engine;

// SDL 2's Wayland driver crashes on a compositor without a seat: it is left
// out of what SDL may try, and the rest of the user's choice is kept.
TEST(CSdlLibraryTest, VideoDriversLeaveOutWaylandWithoutASeat)
{
    struct SCase
    {
        const char* requested;  // SDL_VIDEODRIVER
        bool x11Display;
        bool waylandSeat;
        bool usable;
        const char* drivers;    // empty: SDL's own choice
    };
    const SCase cases[] = {
        {"", true, true, true, ""},
        {"", false, true, true, ""},
        {"", true, false, true, "x11"},
        {"", false, false, false, "x11"},
        {"wayland", false, true, true, ""},
        {"wayland", true, false, false, ""},
        {"Wayland,x11", true, false, true, "x11"},
        {"x11,wayland", false, false, true, "x11"},
        {"way,dummy", false, false, true, "dummy"},
        {"x11", false, false, true, ""},
        {"dummy", false, false, true, ""},
        {",,", true, false, true, "x11"},
    };
    for (const SCase& testCase : cases)
    {
        std::string drivers = "stale";
        EXPECT_EQ(CSdlLibrary::safeVideoDrivers(testCase.requested, testCase.x11Display, testCase.waylandSeat, drivers),
                  testCase.usable)
            << testCase.requested << " " << testCase.x11Display << testCase.waylandSeat;
        EXPECT_EQ(drivers, testCase.drivers) << testCase.requested << " " << testCase.x11Display << testCase.waylandSeat;
    }
}
