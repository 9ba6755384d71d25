#include "Tools/Keyscout/Linux/CJoystickWatch.h"

#include "Support/Linux/SdlTestSupport.h"
#include "Tools/Keyscout/CKeyscout.h"

#include <SDL.h>
#include <gtest/gtest.h>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

// Devices of SDL's virtual driver, plugged and unplugged while the
// application's lists are kept up to date through the input manager.
class CJoystickWatchTest : public testing::Test
{
protected:
    CJoystickWatchTest() : m_driver("dummy") {}

    int plug(const char* name)
    {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = 2;
        desc.nbuttons = 4;
        desc.name = name;
        return SDL_JoystickAttachVirtualEx(&desc);
    }
    static void unplug(const char* name)
    {
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
        {
            if (SDL_strcmp(SDL_JoystickNameForIndex(i), name) == 0)
            {
                ASSERT_EQ(SDL_JoystickDetachVirtual(i), 0) << SDL_GetError();
            }
        }
    }
    std::string listed() const
    {
        std::string names;
        for (uint64_t i = 0; i < m_application.getJoysticks().getCount(); ++i)
            names += std::string(names.empty() ? "" : ",") + m_application.getJoysticks()[i].name.c_str();
        return names;
    }

    CSdlVideoDriver m_driver;
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

    ASSERT_GE(plug("Pad one"), 0) << SDL_GetError();
    ASSERT_GE(plug("Pad two"), 0) << SDL_GetError();
    EXPECT_TRUE(m_watch.hasChanged());
    EXPECT_TRUE(m_application.refreshJoysticks());
    EXPECT_EQ(listed(), "Pad one,Pad two");
    m_application.setJoystickSelection(0, 0);
    m_application.setJoystickSelection(1, 1);

    unplug("Pad one");
    EXPECT_TRUE(m_watch.hasChanged());
    EXPECT_TRUE(m_application.refreshJoysticks());
    EXPECT_EQ(listed(), "Pad two");
    EXPECT_EQ(m_application.getJoystickSelection(0), CKeyscout::C_NO_SELECTION);
    EXPECT_EQ(m_application.getJoystickSelection(1), 0u);
    EXPECT_FALSE(m_watch.hasChanged());

    unplug("Pad two");
    EXPECT_TRUE(m_watch.hasChanged());
    m_application.refreshJoysticks();
    EXPECT_EQ(m_application.getJoystickSelection(1), CKeyscout::C_NO_SELECTION);
}

} // namespace
