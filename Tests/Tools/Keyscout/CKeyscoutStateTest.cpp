#include "Tools/Keyscout/CKeyscout.h"

#include "Engine/IKernel/CException.h"
#include "Tools/Keyscout/KeyscoutTestSupport.h"

#include <gtest/gtest.h>

using namespace Tavrin::Engine;
using namespace KeyscoutTesting;

namespace {

class CKeyscoutStateTest : public testing::Test
{
protected:
    CKeyscoutStateTest()
        : m_windows(m_trace), m_input(new CScriptedInputManager(m_trace)), m_application(CManagedPtr<CInputManager>::adopt(m_input))
    {
    }

    TTrace m_trace;
    CScriptedWindowManager m_windows;
    CScriptedInputManager* m_input;
    CKeyscout m_application;
};

TEST_F(CKeyscoutStateTest, SelectionsFollowTheirDevicesThroughTheList)
{
    const uint32_t none = CKeyscout::C_NO_SELECTION;
    struct SCase
    {
        std::vector<std::string> before, after;
        uint32_t selected[2];
        bool changed;
        uint32_t expected[2];
    };
    const SCase cases[] = {
        {{"a", "b"}, {"a", "b"}, {0, 1}, false, {0, 1}},
        // A device plugged in before the chosen ones moves them down.
        {{"a", "b"}, {"c", "a", "b"}, {0, 1}, true, {1, 2}},
        // The chosen one unplugged: its slot is free, the other keeps its own.
        {{"a", "b"}, {"b"}, {0, 1}, true, {none, 0}},
        {{"a"}, {}, {0, none}, true, {none, none}},
        {{"a"}, {"a"}, {none, 7}, false, {none, none}},
    };
    for (const SCase& c : cases)
    {
        m_input->m_padIds = c.before;
        m_application.refreshJoysticks();
        m_application.setJoystickSelection(0, c.selected[0]);
        m_application.setJoystickSelection(1, c.selected[1]);
        m_input->m_padIds = c.after;
        EXPECT_EQ(m_application.refreshJoysticks(), c.changed);
        EXPECT_EQ(m_application.getJoystickSelection(0), c.expected[0]) << c.after.size();
        EXPECT_EQ(m_application.getJoystickSelection(1), c.expected[1]) << c.after.size();
    }
}

// The result follows the last run: none before any run, none when nothing
// was recorded or the run failed (said in words), a recorded key even
// without a name (the menu key) is one.
TEST_F(CKeyscoutStateTest, OnlyARunThatRecordedGivesAResult)
{
    CRecordingFrontEnd frontEnd(m_trace);
    EXPECT_FALSE(m_application.hasResult());
    m_windows.m_script = {closeWindow()};
    m_application.detectKeys(frontEnd);
    EXPECT_FALSE(m_application.hasResult());
    m_windows.m_script = {keyDown(static_cast<TKeyCode>(0x5D)), keyUp(static_cast<TKeyCode>(0x5D))};
    EXPECT_STREQ(m_application.detectKeys(frontEnd).c_str(), "");
    EXPECT_TRUE(m_application.hasResult());
    EXPECT_TRUE(m_application.getLastFailure().isEmpty());
    m_windows.m_script = {[](CWindow&) { TAVRIN_THROW(CInvalidOperationException, "Device gone\n", "Tools/Keyscout/CKeyscoutStateTest"); }};
    EXPECT_THROW(m_application.detectKeys(frontEnd), CInvalidOperationException);
    EXPECT_STREQ(m_application.getLastFailure().c_str(), "The detection stopped: Device gone");
    EXPECT_FALSE(m_application.hasResult());
    EXPECT_EQ(m_trace.back(), "finished ''");
}

TEST(CKeyscoutFailureTest, AWindowThatCannotOpenIsSaidSo)
{
    TTrace trace;
    CKeyscout application(CManagedPtr<CInputManager>::adopt(new CScriptedInputManager(trace)));
    CRecordingFrontEnd frontEnd(trace);
    EXPECT_THROW(application.detectKeys(frontEnd), CInvalidOperationException);
    EXPECT_STREQ(application.getLastFailure().c_str(), "The detection window could not open: No default window manager");
}

} // namespace
