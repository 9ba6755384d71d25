#include "Tools/Keyscout/CDetectionRun.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/Patterns/CNameDictionary.h"
#include "Tools/Keyscout/CKeyscout.h"
#include "Tools/Keyscout/KeyscoutTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace Tavrin::Engine;
using namespace KeyscoutTesting;

namespace {

class CDetectionRunTest : public testing::Test
{
protected:
    CDetectionRunTest()
        : m_windows(m_trace), m_input(new CScriptedInputManager(m_trace)),
          m_application(CManagedPtr<CInputManager>::adopt(m_input))
    {
    }

    TKeyCode code(const char* name) const { return m_application.getMapper()->findKeyCode(CString(name)); }

    // Runs one detection; devices are bound to the window the run opened.
    std::string run()
    {
        CRecordingFrontEnd frontEnd(m_trace);
        CString result = m_application.detectKeys(frontEnd);
        return result.c_str();
    }

    bool traced(const std::string& line) const
    {
        for (const std::string& entry : m_trace)
            if (entry == line)
                return true;
        return false;
    }

    TTrace m_trace;
    CScriptedWindowManager m_windows;
    CScriptedInputManager* m_input;
    CKeyscout m_application;
};

TEST_F(CDetectionRunTest, KeyboardAndButtonSequencesGiveTheirNamesInPressOrder)
{
    struct SCase
    {
        const char* label;
        std::vector<CScriptedWindow::TStep> steps;
        const char* expected;
    };
    const SCase cases[] = {
        {"ctrl first", {keyDown(code("leftctrl")), keyDown(code("a")), keyUp(code("a")), keyUp(code("leftctrl"))}, "leftctrl + a"},
        {"a first", {keyDown(code("a")), keyDown(code("leftctrl")), keyUp(code("leftctrl")), keyUp(code("a"))}, "a + leftctrl"},
        {"auto-repeat", {keyDown(code("a")), keyDown(code("a")), keyDown(code("a")), keyDown(code("a")), keyUp(code("a"))}, "a"},
        {"alt return", {keyDown(code("leftalt")), keyDown(code("return")), keyUp(code("return")), keyUp(code("leftalt"))}, "leftalt + return"},
        {"left click", {buttonDown(1), buttonUp(1)}, "mousebuttonleft"},
        {"right and x2", {buttonDown(2), buttonDown(6), buttonUp(6), buttonUp(2)}, "mousebuttonright + mousebuttonx2"},
    };
    for (const SCase& c : cases)
    {
        m_windows.m_script = c.steps;
        EXPECT_EQ(run(), c.expected) << c.label;
        EXPECT_TRUE(traced(std::string("finished '") + c.expected + "'")) << c.label;
        // The mapper is idle again and the window is gone between runs.
        EXPECT_EQ(m_application.getMapper()->getDetectionState(), CInputMapper::Idle) << c.label;
        EXPECT_EQ(m_application.getWindow(), nullptr) << c.label;
        EXPECT_EQ(m_application.getReferenceCount(), 1u) << c.label;
    }
}

TEST_F(CDetectionRunTest, TheWindowShowsEachPollWhatIsRecordedAndWhatIsStillHeld)
{
    struct SCase
    {
        const char* label;
        std::vector<CScriptedWindow::TStep> steps;
        TTrace shown;
        const char* result;
    };
    const TKeyCode menu = static_cast<TKeyCode>(0x5D);
    const TKeyCode f13 = static_cast<TKeyCode>(0x7C);
    const SCase cases[] = {
        {"chord", {keyDown(code("leftctrl")), idle(), keyDown(code("a")), keyUp(code("a")), keyUp(code("leftctrl"))},
         {"leftctrl", "leftctrl + a", "leftctrl[ + a]"}, "leftctrl + a"},
        {"no name, last", {keyDown(code("a")), keyDown(menu), keyUp(code("a")), keyUp(menu)},
         {"a", "a + (key 0x5D)", "[a] + (key 0x5D)"}, "a + "},
        {"no name, first", {keyDown(f13), keyDown(code("a")), keyDown(f13), keyUp(code("a")), keyUp(f13)},
         {"(key 0x7C)", "(key 0x7C) + a", "(key 0x7C)[ + a]"}, "a"},
        {"buttons, closed while held", {buttonDown(2), buttonDown(1), buttonUp(2), closeWindow()},
         {"mousebuttonright", "mousebuttonright + mousebuttonleft", "[mousebuttonright] + mousebuttonleft"},
         "mousebuttonright + mousebuttonleft"},
    };
    for (const SCase& c : cases)
    {
        m_windows.m_script = c.steps;
        m_windows.m_shown.clear();
        EXPECT_EQ(run(), c.result) << c.label;
        EXPECT_EQ(m_windows.m_shown, c.shown) << c.label;
    }
}

TEST_F(CDetectionRunTest, OpensTheWindowAndDevicesBeforeSteppingAsideAndReleasesThemInOrder)
{
    m_input->m_padIds = {"p0", "p1"};
    m_application.refreshJoysticks();
    m_application.setJoystickSelection(0, 1);
    m_application.setJoystickSelection(1, 0);
    m_windows.m_script = {keyDown(code("a")), keyUp(code("a"))};
    CRecordingFrontEnd frontEnd(m_trace, [this] {
        // The front end steps aside only once the window listens.
        CWindow* window = m_application.getWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->getListenerCount(), 1u);
        EXPECT_EQ(window->getListener(0), &m_application);
        EXPECT_EQ(m_application.getMapper()->getDetectionState(), CInputMapper::Idle);
    });
    EXPECT_EQ(m_application.detectKeys(frontEnd), CString("a"));
    const TTrace expected = {
        "window 'Press one or many keys..' 320x100 flags 68",
        "joystick p1 fg1",
        "joystick p0 fg1",
        "mouse fg1",
        "started",
        "finished 'a'",
        "window released",
        "mouse released",
        "p0 released",  // slot 1's pad
        "p1 released",
    };
    EXPECT_EQ(m_trace, expected);
}

TEST_F(CDetectionRunTest, DevicesAreBoundToTheDetectionWindowInForegroundMode)
{
    m_input->m_padIds = {"p0"};
    m_application.refreshJoysticks();
    m_application.setJoystickSelection(0, 0);
    m_windows.m_script = {closeWindow()};
    run();
    void* handle = static_cast<void*>(m_windows.m_lastWindow);
    ASSERT_EQ(m_input->m_handles.size(), 2u);
    EXPECT_EQ(m_input->m_handles[0], handle);
    EXPECT_EQ(m_input->m_handles[1], handle);
    EXPECT_TRUE(traced("joystick p0 fg1"));
    EXPECT_TRUE(traced("mouse fg1"));
}

TEST_F(CDetectionRunTest, ClosingTheWindowBeforeAnyInputGivesAnEmptyText)
{
    m_windows.m_script = {idle(), closeWindow(), keyDown(code("a"))};
    EXPECT_EQ(run(), "");
    EXPECT_TRUE(traced("finished ''"));
    EXPECT_TRUE(traced("window released"));
}

TEST_F(CDetectionRunTest, ClosingTheWindowKeepsWhatWasRecordedSoFar)
{
    m_windows.m_script = {keyDown(code("leftshift")), keyDown(code("b")), closeWindow()};
    EXPECT_EQ(run(), "leftshift + b");
}

TEST_F(CDetectionRunTest, MouseMotionCountsOnlyWhenNotExcluded)
{
    const std::vector<SMouseStep> motion = {{0, 0, 0.0f}, {40, 0, 0.0f}, {0, 25, 0.0f}};
    m_input->m_mouseScript = motion;
    m_windows.m_script = {idle(), idle(), idle(), idle(), closeWindow()};
    EXPECT_TRUE(m_application.getExcludeMouseMovements());
    EXPECT_EQ(run(), "");

    m_application.setExcludeMouseMovements(false);
    EXPECT_EQ(run(), "mouseaxisx + mouseaxisy");
}

// Whatever a run leaves held (motion or a wheel notch fed in its last pass, a
// pad button, a key whose release came after the window closed) must not keep
// the next run, which may not read that device at all, from ending.
TEST_F(CDetectionRunTest, NothingLeftHeldByARunHoldsTheNextOneOpen)
{
    struct SCase
    {
        const char* label;
        std::function<void()> arrangeFirst;
        std::vector<CScriptedWindow::TStep> firstSteps;
        const char* firstResult;
        std::function<void()> arrangeSecond;
    };
    const SCase cases[] = {
        {"motion in the last pass",
         [this] {
             m_application.setExcludeMouseMovements(false);
             m_input->m_mouseScript = {{40, 0, 0.0f}, {0, 0, 0.0f}, {40, 0, 0.0f}};
         },
         {idle(), idle(), idle(), idle(), closeWindow()}, "mouseaxisx",
         [this] {
             m_application.setExcludeMouseMovements(true);
             m_input->m_mouseScript = {};
         }},
        {"wheel in the last pass, then no mouse", [this] { m_input->m_mouseScript = {{0, 0, 1.0f}, {0, 0, 0.0f}, {0, 0, 1.0f}}; },
         {idle(), idle(), idle(), idle(), closeWindow()}, "mousewheel + mousewheelup",
         [this] {
             m_input->m_mouseScript = {};
             m_input->m_hasMouse = false;
         }},
        {"pad button held, then no pad",
         [this] {
             m_input->m_padIds = {"p0"};
             m_input->m_padButtons = {1, 1, 1, 1, 1, 1};
             m_application.refreshJoysticks();
             m_application.setJoystickSelection(0, 0);
         },
         {idle(), idle(), closeWindow()}, "joystick0button0", [this] { m_application.setJoystickSelection(0, CKeyscout::C_NO_SELECTION); }},
        {"key released after the window closed", [] {}, {keyDown(code("a")), closeWindow()}, "a", [] {}},
    };
    for (const SCase& c : cases)
    {
        c.arrangeFirst();
        m_windows.m_script = c.firstSteps;
        EXPECT_EQ(run(), c.firstResult) << c.label;

        c.arrangeSecond();
        m_trace.clear();
        TTrace& trace = m_trace;
        m_windows.m_script = {keyDown(code("b")), keyUp(code("b")), idle(), idle(), idle(), [&trace](CWindow& window) {
                                  trace.push_back("closed by the script");
                                  window.close();
                              }};
        EXPECT_EQ(run(), "b") << c.label;
        EXPECT_FALSE(traced("closed by the script")) << c.label << ": the run only ended because its window was closed";
        m_input->m_hasMouse = true;
    }
}

// A request that arrives while a run pumps messages (another program can send
// the dialog its command) must not start a run inside the run.
TEST_F(CDetectionRunTest, ARequestDuringARunStartsNothing)
{
    CKeyscout& application = m_application;
    TTrace nested;
    m_windows.m_script = {keyDown(code("a")), [&application, &nested](CWindow&) {
                              CRecordingFrontEnd frontEnd(nested);
                              nested.push_back("returned '" + std::string(application.detectKeys(frontEnd).c_str()) + "'");
                          },
                          keyUp(code("a"))};
    EXPECT_EQ(run(), "a");
    EXPECT_EQ(nested, (TTrace{"returned ''"}));
    EXPECT_FALSE(m_application.isDetecting());
    EXPECT_EQ(std::count(m_trace.begin(), m_trace.end(), "window released"), 1);
}

// The renderer's uninstall deletes windows whatever references are left, so a
// failed run must not leave the application holding its window or devices.
TEST_F(CDetectionRunTest, AFailedRunReleasesItsWindowAndDevicesAndBringsTheFrontEndBack)
{
    m_windows.m_script = {keyDown(code("a")), [](CWindow&) {
                              TAVRIN_THROW(CInvalidOperationException, "Scripted failure\n", "Tools/Keyscout/CDetectionRunTest");
                          }};
    EXPECT_THROW(run(), CInvalidOperationException);
    EXPECT_EQ(m_application.getWindow(), nullptr);
    EXPECT_FALSE(m_application.isDetecting());
    EXPECT_EQ(m_application.getMapper()->getDetectionState(), CInputMapper::Idle);
    const TTrace tail(m_trace.end() - 3, m_trace.end());
    EXPECT_EQ(tail, (TTrace{"window released", "mouse released", "finished ''"}));

    m_windows.m_script = {keyDown(code("b")), keyUp(code("b"))};
    EXPECT_EQ(run(), "b");
}

// A front end with its own loop drives the run one pass at a time, and can
// end it early, as it must before the modules go.
TEST_F(CDetectionRunTest, ARunDrivenPassByPassOrCancelled)
{
    CRecordingFrontEnd frontEnd(m_trace);
    m_windows.m_script = {keyDown(code("a")), keyUp(code("a"))};
    ASSERT_TRUE(m_application.beginDetection(frontEnd));
    EXPECT_FALSE(m_application.beginDetection(frontEnd));
    uint32_t passes = 1;
    while (m_application.pollDetection())
        ++passes;
    EXPECT_EQ(passes, 2u);
    EXPECT_FALSE(m_application.isDetecting());
    EXPECT_EQ(m_application.getLastResult(), CString("a"));
    EXPECT_TRUE(traced("finished 'a'"));

    m_trace.clear();
    m_windows.m_script = {keyDown(code("b"))};
    ASSERT_TRUE(m_application.beginDetection(frontEnd));
    EXPECT_TRUE(m_application.pollDetection());
    m_application.cancelDetection();
    EXPECT_FALSE(m_application.isDetecting());
    EXPECT_EQ(m_application.getWindow(), nullptr);
    const TTrace tail(m_trace.end() - 3, m_trace.end());
    EXPECT_EQ(tail, (TTrace{"window released", "mouse released", "finished ''"}));
}

TEST_F(CDetectionRunTest, OneWheelNotchUpCountsEvenWithMotionExcluded)
{
    m_input->m_mouseScript = {{0, 0, 0.0f}, {0, 0, 1.0f}};
    m_windows.m_script = {idle(), idle(), idle(), idle(), closeWindow()};
    EXPECT_EQ(run(), "mousewheel + mousewheelup");
    m_input->m_mouseScript = {{0, 0, -1.0f}};
    EXPECT_EQ(run(), "mousewheel + mousewheeldown");
}

TEST_F(CDetectionRunTest, AMissingMouseIsNeverRead)
{
    m_input->m_hasMouse = false;
    m_application.setExcludeMouseMovements(false);
    m_windows.m_script = {keyDown(code("x")), keyUp(code("x"))};
    EXPECT_EQ(run(), "x");
    EXPECT_TRUE(traced("mouse fg1"));
}

TEST_F(CDetectionRunTest, JoystickCodesFollowTheSlot)
{
    m_input->m_padIds = {"p0", "p1"};
    m_input->m_padButtons = {0, 1, 1, 0};
    m_application.refreshJoysticks();
    m_application.setJoystickSelection(1, 0);
    m_windows.m_script = {idle(), idle(), idle(), idle(), idle(), closeWindow()};
    CString slot1Button0 = m_application.getMapper()->keyName(joystickButtonCode(1, 0));
    EXPECT_EQ(run(), slot1Button0.c_str());
    EXPECT_FALSE(traced("joystick p1 fg1"));
}

TEST_F(CDetectionRunTest, NoSelectionABrokenPadOrAStaleIndexCreatesNoJoystick)
{
    m_input->m_padIds = {"broken0"};
    m_input->m_padButtons = {1, 0};
    m_application.refreshJoysticks();
    m_windows.m_script = {keyDown(code("a")), keyUp(code("a"))};

    EXPECT_EQ(run(), "a");
    EXPECT_FALSE(traced("joystick broken0 fg1"));

    // Creation fails: the slot stays empty and the run goes on.
    m_application.setJoystickSelection(0, 0);
    EXPECT_EQ(run(), "a");
    EXPECT_TRUE(traced("joystick broken0 fg1"));

    // An index past the list is no choice at all.
    m_trace.clear();
    m_application.setJoystickSelection(0, CKeyscout::C_NO_SELECTION);
    m_application.setJoystickSelection(1, 7);
    EXPECT_EQ(run(), "a");
    for (const std::string& line : m_trace)
        EXPECT_EQ(line.rfind("joystick", 0), std::string::npos) << line;
}

TEST_F(CDetectionRunTest, RefreshingReplacesTheJoystickList)
{
    m_input->m_padIds = {"p0", "p1", "p2"};
    m_application.refreshJoysticks();
    m_application.refreshJoysticks();
    ASSERT_EQ(m_application.getJoysticks().getCount(), 3u);
    EXPECT_STREQ(m_application.getJoysticks()[2].name.c_str(), "Pad p2");
}

TEST(CDetectionRunWithoutManagerTest, NeedsADefaultWindowManager)
{
    TTrace trace;
    CKeyscout application(CManagedPtr<CInputManager>::adopt(new CScriptedInputManager(trace)));
    CRecordingFrontEnd frontEnd(trace);
    ASSERT_EQ(CWindowManager::getDefault(), nullptr);
    EXPECT_THROW(application.detectKeys(frontEnd), CInvalidOperationException);
    EXPECT_TRUE(trace.empty());
}

bool traceEvent(void* trace, SInputEvent& event, bool released)
{
    static_cast<TTrace*>(trace)->push_back((released ? "-" : "+") + std::string(nameText(event.nameId).c_str()));
    return true;
}

// What the window lets go of when its focus or itself goes is one change for
// the mapper: no part of a combination takes over on the way.
TEST(CKeyscoutTest, KeysTheWindowLetsGoTogetherStartNoEvent)
{
    TTrace trace;
    CKeyscout application(CManagedPtr<CInputManager>::adopt(new CScriptedInputManager(trace)));
    CInputMapper* mapper = application.getMapper();
    const TKeyCode ctrl = mapper->findKeyCode(CString("leftctrl"));
    const TKeyCode s = mapper->findKeyCode(CString("s"));
    SInputEventCallback callback{&trace, &traceEvent};
    // S sorts first: released alone, it would leave Ctrl alone held.
    const std::pair<const char*, std::vector<TKeyCode>> bindings[] = {{"save", {ctrl, s}}, {"ctrlalone", {ctrl}}};
    for (const auto& binding : bindings)
    {
        uint32_t event = mapper->createEvent(CString(binding.first));
        mapper->setEventCallbacks(event, callback, callback);
        CArray<TKeyCode> keys;
        for (TKeyCode key : binding.second)
            keys.add(key);
        mapper->bindKeys(event, 0, keys);
    }
    CManagedPtr<CWindow> window = CManagedPtr<CWindow>::adopt(new CNullWindow(CString("keys"), nullptr, 10, 10, 0));
    window->addListener(&application);
    for (const std::function<void()>& letGo : std::vector<std::function<void()>>{[&] { window->onFocusLost(); }, [&] { window.reset(); }})
    {
        for (TKeyCode key : {ctrl, s})
        {
            SWindowEvent event;
            event.code = static_cast<uint32_t>(key);
            window->onKeyDown(event);
        }
        EXPECT_EQ(trace.back(), "-ctrlalone");
        trace.clear();
        letGo();
        EXPECT_EQ(trace, (TTrace{"-save"}));
        trace.clear();
    }
}

TEST(CKeyscoutTest, DestructionReleasesAWindowLeftBehind)
{
    TTrace trace;
    CScriptedWindowManager windows(trace);
    {
        CKeyscout application(CManagedPtr<CInputManager>::adopt(new CScriptedInputManager(trace)));
        application.setWindow(windows.createWindow(CString("left"), 10, 10, 0));
        EXPECT_EQ(application.getInputManager()->getReferenceCount(), 1u);
    }
    EXPECT_EQ(trace.back(), "window released");
}

} // namespace
