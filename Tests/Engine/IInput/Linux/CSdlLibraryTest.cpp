#include "Engine/IInput/Linux/CSdlLibrary.h"
#include "Engine/IInput/Linux/WaylandSeat.h"
#include "Support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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

// A compositor that accepts the connection and never answers is no
// compositor: the question has a time limit (a child: without one it hangs).
TEST(CSdlLibraryTest, MuteCompositorHasNoSeat)
{
    TavrinTests::CTempFolder runtime;
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    snprintf(address.sun_path, sizeof(address.sun_path), "%s", runtime.file("mute").c_str());
    int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    EXPECT_EXIT(
        {
            alarm(10);
            setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
            setenv("WAYLAND_DISPLAY", "mute", 1);
            unsetenv("WAYLAND_SOCKET");
            exit(waylandHasSeat() ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
    close(listener);
}
