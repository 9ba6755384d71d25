#include "Engine/IInput/CInputMapper.h"

#include "Engine/IInput/InputTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace Tavrin::Engine;
using Tavrin::Engine::Testing::CScriptedJoystick;

namespace {

const TKeyCode A = TKeyCode(0x41);
const TKeyCode B = TKeyCode(0x42);
const TKeyCode LEFT_CTRL = TKeyCode(0xA2);
const TKeyCode ESCAPE = TKeyCode(0x1B);

// One 10 ms pass of a detection run, in the order the tool polls: device
// state, window key events, mapper update, mouse motion, wheel, joystick.
struct SPass
{
    std::vector<std::pair<TKeyCode, bool>> keys;
    float dx = 0.0f;
    float dy = 0.0f;
    float wheel = 0.0f;
    std::function<void(CScriptedJoystick&)> joystick;
};

struct SScenario
{
    const char* name;
    std::vector<SPass> passes;
    std::vector<int32_t> expected;
    int32_t state;
    // Passes run before the loop stopped (state 2 or less).
    size_t passesRun;
    std::vector<int32_t> abortKeys;
};

SPass keys(std::vector<std::pair<TKeyCode, bool>> changes)
{
    SPass pass;
    pass.keys = std::move(changes);
    return pass;
}

SPass mouse(float dx, float wheel = 0.0f)
{
    SPass pass;
    pass.dx = dx;
    pass.wheel = wheel;
    return pass;
}

SPass joystick(std::function<void(CScriptedJoystick&)> change)
{
    SPass pass;
    pass.joystick = std::move(change);
    return pass;
}

const SPass IDLE;

std::vector<SScenario> scenarios()
{
    return {
        {"leftctrl then a", {keys({{LEFT_CTRL, true}}), keys({{A, true}}), keys({{A, false}, {LEFT_CTRL, false}}), IDLE},
         {0xA2, 0x41}, CInputMapper::Finished, 3, {}},
        {"a then leftctrl", {keys({{A, true}}), keys({{LEFT_CTRL, true}}), keys({{LEFT_CTRL, false}}), keys({{A, false}}), IDLE},
         {0x41, 0xA2}, CInputMapper::Finished, 4, {}},
        {"held key repeats are recorded once", {keys({{A, true}}), keys({{A, true}}), keys({{A, true}, {B, true}}), keys({{B, false}, {B, true}}), keys({{A, false}, {B, false}}), IDLE},
         {0x41, 0x42}, CInputMapper::Finished, 5, {}},
        {"one wheel notch up", {mouse(0.0f, 1.0f), IDLE, IDLE, IDLE}, {258, 259}, CInputMapper::Finished, 3, {}},
        {"one wheel notch down", {mouse(0.0f, -1.0f), IDLE, IDLE}, {258, 260}, CInputMapper::Finished, 3, {}},
        {"one mouse unit per step stays below the threshold", {mouse(1.0f), mouse(1.0f), mouse(1.0f), IDLE},
         {}, CInputMapper::Waiting, 4, {}},
        {"two mouse units per step are recorded", {mouse(2.0f), mouse(2.0f), IDLE, IDLE, IDLE}, {256}, CInputMapper::Finished, 4, {}},
        {"leftward motion does not keep the run alive", {keys({{A, true}}), mouse(-2.0f), [] { SPass p = mouse(-2.0f); p.keys = {{A, false}}; return p; }(), mouse(-2.0f)},
         {0x41, 256}, CInputMapper::Finished, 3, {}},
        {"negative axis does not keep the run alive",
         {joystick([](CScriptedJoystick& j) { j.setAxisValue(1, -1.0f); }), IDLE, IDLE}, {373}, CInputMapper::Finished, 2, {}},
        {"positive axis keeps the run alive until let go",
         {joystick([](CScriptedJoystick& j) { j.setAxisValue(0, 0.5f); }), IDLE, joystick([](CScriptedJoystick& j) { j.setAxisValue(0, 0.0f); }), IDLE, IDLE},
         {372}, CInputMapper::Finished, 4, {}},
        {"small axis deflection is ignored", {joystick([](CScriptedJoystick& j) { j.setAxisValue(0, 0.15f); }), IDLE, IDLE},
         {}, CInputMapper::Waiting, 3, {}},
        {"arrow pointing up is recorded but does not hold the run",
         {joystick([](CScriptedJoystick& j) { j.setArrow(0, 0.0f); }), IDLE, IDLE}, {378}, CInputMapper::Finished, 2, {}},
        {"arrow pointing right holds the run", {joystick([](CScriptedJoystick& j) { j.setArrow(2, 0.25f); }), IDLE, joystick([](CScriptedJoystick& j) { j.setArrow(2, -1.0f); }), IDLE},
         {380}, CInputMapper::Finished, 4, {}},
        {"joystick button then key", {joystick([](CScriptedJoystick& j) { j.setButton(3, true); }), keys({{A, true}}), [] { SPass p = keys({{A, false}}); p.joystick = [](CScriptedJoystick& j) { j.setButton(3, false); }; return p; }(), IDLE, IDLE},
         {359, 0x41}, CInputMapper::Finished, 4, {}},
        {"abort key empties the record", {keys({{A, true}}), keys({{ESCAPE, true}}), IDLE}, {}, CInputMapper::Aborted, 2, {0x1B}},
        {"abort key before anything", {keys({{ESCAPE, true}}), IDLE}, {}, CInputMapper::Aborted, 1, {0x1B, 0x0D}},
        {"non-abort keys with an abort list", {keys({{A, true}}), keys({{A, false}}), IDLE}, {0x41}, CInputMapper::Finished, 2, {0x1B}},
    };
}

} // namespace

TEST(CInputMapperDetectionTest, Scenarios)
{
    for (const SScenario& scenario : scenarios())
    {
        SCOPED_TRACE(scenario.name);
        CInputMapper mapper;
        CScriptedJoystick device;
        CArray<TKeyCode> abortKeys;
        for (int32_t code : scenario.abortKeys)
            abortKeys.add(TKeyCode(code));
        mapper.startDetection(abortKeys);

        size_t run = 0;
        for (const SPass& pass : scenario.passes)
        {
            if (mapper.getDetectionState() <= CInputMapper::Finished)
                break;
            ++run;
            if (pass.joystick)
                pass.joystick(device);
            for (const auto& change : pass.keys)
                change.second ? mapper.keyDown(change.first) : mapper.keyUp(change.first);
            mapper.update(0.01f);
            mapper.feedMouseMotion(pass.dx, pass.dy);
            mapper.feedMouseWheel(pass.wheel);
            mapper.feedJoystick(0, device);
        }
        EXPECT_EQ(run, scenario.passesRun);
        EXPECT_EQ(mapper.getDetectionState(), scenario.state);
        CArray<TKeyCode> detected = mapper.takeDetectedKeys();
        std::vector<int32_t> got(detected.begin(), detected.end());
        EXPECT_EQ(got, scenario.expected);
        EXPECT_EQ(mapper.getDetectionState(), CInputMapper::Idle);
    }
}

TEST(CInputMapperDetectionTest, ResultIsFormattedAsLowerCaseNames)
{
    CInputMapper mapper;
    mapper.startDetection(CArray<TKeyCode>());
    mapper.keyDown(LEFT_CTRL);
    mapper.mouseButtonDown(1);
    mapper.keyDown(A);
    mapper.keyUp(A);
    mapper.mouseButtonUp(1);
    mapper.keyUp(LEFT_CTRL);
    mapper.update(0.01f);
    ASSERT_EQ(mapper.getDetectionState(), CInputMapper::Finished);
    EXPECT_STREQ(mapper.formatKeys(mapper.takeDetectedKeys(), CString("+")).c_str(), "leftctrl + mousebuttonleft + a");
}

TEST(CInputMapperDetectionTest, TakingTheResultKeepsItUntilTheNextStart)
{
    CInputMapper mapper;
    mapper.startDetection(CArray<TKeyCode>());
    EXPECT_EQ(mapper.takeDetectedKeys().getCount(), 0u);
    EXPECT_EQ(mapper.getDetectionState(), CInputMapper::Idle);

    mapper.startDetection(CArray<TKeyCode>());
    EXPECT_EQ(mapper.getDetectionState(), CInputMapper::Waiting);
    mapper.keyDown(A);
    EXPECT_EQ(mapper.getDetectionState(), CInputMapper::Recording);
    EXPECT_EQ(mapper.takeDetectedKeys().getCount(), 1u);
    // Idle again: presses no longer record.
    mapper.keyDown(B);
    EXPECT_EQ(mapper.takeDetectedKeys().getCount(), 1u);
    mapper.startDetection(CArray<TKeyCode>());
    EXPECT_EQ(mapper.takeDetectedKeys().getCount(), 0u);
}

TEST(CInputMapperDetectionTest, PressesDuringDetectionLeaveTimesAndEventsAlone)
{
    CInputMapper mapper;
    uint32_t event = mapper.createEvent(CString("DetectionIgnoredEvent"));
    CArray<TKeyCode> combination;
    combination.add(A);
    mapper.bindKeys(event, 0, combination);
    mapper.startDetection(CArray<TKeyCode>());
    mapper.keyDown(A);
    EXPECT_TRUE(mapper.getKeyStatus(A).pressed);
    EXPECT_EQ(mapper.getKeyStatus(A).pressTime, 0);
    EXPECT_FALSE(mapper.getEvent(event).active);
}
