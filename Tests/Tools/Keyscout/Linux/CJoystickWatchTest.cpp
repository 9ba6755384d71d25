#include "Tools/Keyscout/Linux/Dialog/CJoystickWatch.h"

#include "Support/Linux/SdlJoysticksTestSupport.h"
#include "Support/Linux/SdlTestSupport.h"
#include "Tools/Keyscout/CKeyscout.h"

#include <SDL.h>
#include <gtest/gtest.h>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

// Devices of SDL's virtual driver, plugged and unplugged while the
// application's lists are kept up to date through the input manager.
class CJoystickWatchTest : public CSdlVirtualJoysticks
{
protected:
    SDL_Joystick* plug(const char* name) { return CSdlVirtualJoysticks::plug(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0, name); }
    std::string listed() const
    {
        std::string names;
        for (uint64_t i = 0; i < m_application.getJoysticks().getCount(); ++i)
            names += std::string(names.empty() ? "" : ",") + m_application.getJoysticks()[i].name.c_str();
        return names;
    }

    CSdlVideoDriver m_driver{"dummy"};
    CKeyscout m_application;
    CJoystickWatch m_watch;
};

TEST_F(CJoystickWatchTest, ListsFollowDevicesPluggedAndUnplugged)
{
    // The devices present at start are reported once.
    m_watch.hasChanged();
    m_application.refreshJoysticks();
    ASSERT_EQ(listed(), "");
    EXPECT_FALSE(m_watch.hasChanged());

    SDL_Joystick* padOne = plug("Pad one");
    SDL_Joystick* padTwo = plug("Pad two");
    EXPECT_TRUE(m_watch.hasChanged());
    EXPECT_TRUE(m_application.refreshJoysticks());
    EXPECT_EQ(listed(), "Pad one,Pad two");
    m_application.setJoystickSelection(0, 0);
    m_application.setJoystickSelection(1, 1);

    unplug(padOne);
    EXPECT_TRUE(m_watch.hasChanged());
    EXPECT_TRUE(m_application.refreshJoysticks());
    EXPECT_EQ(listed(), "Pad two");
    EXPECT_EQ(m_application.getJoystickSelection(0), CKeyscout::C_NO_SELECTION);
    EXPECT_EQ(m_application.getJoystickSelection(1), 0u);
    EXPECT_FALSE(m_watch.hasChanged());

    unplug(padTwo);
    EXPECT_TRUE(m_watch.hasChanged());
    m_application.refreshJoysticks();
    EXPECT_EQ(m_application.getJoystickSelection(1), CKeyscout::C_NO_SELECTION);
}

} // namespace
