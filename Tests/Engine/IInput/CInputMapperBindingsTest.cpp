#include "Engine/IInput/CInputMapper.h"

#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IKernel/Patterns/CNameDictionary.h"
#include "Engine/IKernel/System/CTimer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

const TKeyCode A = TKeyCode(0x41);
const TKeyCode B = TKeyCode(0x42);
const TKeyCode C = TKeyCode(0x43);
const TKeyCode AXIS = TKeyCode(372);

CArray<TKeyCode> combo(std::initializer_list<TKeyCode> keys)
{
    CArray<TKeyCode> result;
    for (TKeyCode key : keys)
        result.add(key);
    return result;
}

CArray<TKeyCode> toArray(const std::vector<TKeyCode>& keys)
{
    CArray<TKeyCode> result;
    for (TKeyCode key : keys)
        result.add(key);
    return result;
}

// Records every callback as "+name" (activate) or "-name" (deactivate).
struct SCallLog
{
    std::vector<std::string> calls;
    std::vector<float> values;

    static bool record(void* object, SInputEvent& event, bool released)
    {
        SCallLog* log = static_cast<SCallLog*>(object);
        log->calls.push_back((released ? "-" : "+") + std::string(nameText(event.nameId).c_str()));
        log->values.push_back(event.value);
        return true;
    }
};

uint32_t addEvent(CInputMapper& mapper, SCallLog& log, const char* name, bool inverted = false, bool doublePress = false)
{
    uint32_t event = mapper.createEvent(CString(name), inverted, doublePress);
    SInputEventCallback callback;
    callback.object = &log;
    callback.function = &SCallLog::record;
    mapper.setEventCallbacks(event, callback, callback);
    return event;
}

} // namespace

TEST(CInputMapperBindingsTest, LargerHeldCombinationCoversItsPart)
{
    CInputMapper mapper;
    SCallLog log;
    uint32_t single = addEvent(mapper, log, "evsingle");
    uint32_t pair = addEvent(mapper, log, "evpair");
    mapper.bindKeys(single, 0, combo({A}));
    mapper.bindKeys(pair, 0, combo({A, B}));

    mapper.keyDown(A);
    EXPECT_TRUE(mapper.getEvent(single).active);
    mapper.keyDown(B);
    EXPECT_TRUE(mapper.getEvent(pair).active);
    EXPECT_FALSE(mapper.getEvent(single).active);
    mapper.keyUp(B);
    EXPECT_FALSE(mapper.getEvent(pair).active);
    EXPECT_TRUE(mapper.getEvent(single).active);
    mapper.keyUp(A);
    EXPECT_FALSE(mapper.getEvent(single).active);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"+evsingle", "+evpair", "-evsingle", "-evpair", "+evsingle", "-evsingle"}));
}

// Keys let go together (focus lost, window gone, a new run) end each event
// they held once and start none, whatever the order of their codes; only a
// combination still held through other keys may take over.
TEST(CInputMapperBindingsTest, KeysReleasedTogetherEndEachHeldEventOnceAndStartNone)
{
    // The generic Ctrl code sorts before S.
    const TKeyCode CTRL = TKeyCode(0x11);
    const TKeyCode S = TKeyCode(0x53);
    struct SCase
    {
        const char* name;
        // Event name and combination; a name met again binds its slot 1.
        std::vector<std::pair<std::string, std::vector<TKeyCode>>> bindings;
        std::vector<TKeyCode> held;
        // Empty: every key.
        std::vector<TKeyCode> released;
        std::vector<std::string> calls;
    };
    const SCase cases[] = {
        {"ctrl+s over s", {{"save", {CTRL, S}}, {"salone", {S}}}, {CTRL, S}, {}, {"-save"}},
        {"s pressed first", {{"save", {CTRL, S}}, {"salone", {S}}}, {S, CTRL}, {}, {"-save"}},
        {"three nested", {{"c", {C}}, {"bc", {B, C}}, {"abc", {A, B, C}}}, {A, B, C}, {}, {"-abc"}},
        {"overlapping", {{"ab", {A, B}}, {"bc", {B, C}}}, {A, B, C}, {}, {"-ab", "-bc"}},
        {"one event by both combinations", {{"either", {A}}, {"either", {B}}}, {A, B}, {}, {"-either"}},
        {"a part still held takes over", {{"a", {A}}, {"ab", {A, B}}}, {A, B}, {B}, {"-ab", "+a"}},
        {"nothing held of a group", {{"ab", {A, B}}}, {C}, {A, B}, {}},
    };
    for (const SCase& c : cases)
    {
        CInputMapper mapper;
        SCallLog log;
        for (const auto& binding : c.bindings)
        {
            CString name(binding.first.c_str());
            uint32_t event = mapper.findEvent(name);
            uint32_t slot = event == CInputMapper::C_NO_INDEX ? 0 : 1;
            if (slot == 0)
                event = addEvent(mapper, log, binding.first.c_str());
            mapper.bindKeys(event, slot, toArray(binding.second));
        }
        for (TKeyCode key : c.held)
            mapper.keyDown(key);
        log.calls.clear();
        if (c.released.empty())
            mapper.releaseAllKeys();
        else
            mapper.releaseKeys(toArray(c.released));
        EXPECT_EQ(log.calls, c.calls) << c.name;
        for (TKeyCode key : c.released.empty() ? c.held : c.released)
        {
            EXPECT_FALSE(mapper.getKeyStatus(key).pressed) << c.name;
            EXPECT_EQ(mapper.getKeyStatus(key).value, 0.0f) << c.name;
        }
    }
}

TEST(CInputMapperBindingsTest, EqualCombinationsCoverEachOther)
{
    CInputMapper mapper;
    SCallLog log;
    uint32_t first = addEvent(mapper, log, "evtwin1");
    uint32_t second = addEvent(mapper, log, "evtwin2");
    mapper.bindKeys(first, 0, combo({A, B}));
    mapper.bindKeys(second, 1, combo({B, A}));
    mapper.keyDown(A);
    mapper.keyDown(B);
    EXPECT_FALSE(mapper.getEvent(first).active);
    EXPECT_FALSE(mapper.getEvent(second).active);
    EXPECT_TRUE(log.calls.empty());
}

TEST(CInputMapperBindingsTest, UnrelatedCombinationsActivateIndependently)
{
    CInputMapper mapper;
    SCallLog log;
    uint32_t ab = addEvent(mapper, log, "evab");
    uint32_t bc = addEvent(mapper, log, "evbc");
    mapper.bindKeys(ab, 0, combo({A, B}));
    mapper.bindKeys(bc, 0, combo({B, C}));
    mapper.keyDown(A);
    mapper.keyDown(B);
    mapper.keyDown(C);
    // Overlap without inclusion: neither covers the other.
    EXPECT_TRUE(mapper.getEvent(ab).active);
    EXPECT_TRUE(mapper.getEvent(bc).active);
    mapper.keyUp(A);
    EXPECT_FALSE(mapper.getEvent(ab).active);
    EXPECT_TRUE(mapper.getEvent(bc).active);
}

TEST(CInputMapperBindingsTest, EitherOfTheTwoCombinationsDrivesTheEvent)
{
    CInputMapper mapper;
    SCallLog log;
    uint32_t event = addEvent(mapper, log, "evtwoways");
    mapper.bindKeys(event, 0, combo({A}));
    mapper.bindKeys(event, 1, combo({C}));
    mapper.keyDown(C);
    EXPECT_TRUE(mapper.getEvent(event).active);
    mapper.keyUp(C);
    EXPECT_FALSE(mapper.getEvent(event).active);
    mapper.keyDown(A);
    EXPECT_TRUE(mapper.getEvent(event).active);
}

TEST(CInputMapperBindingsTest, EventValueFollowsItsKeysAndTheLargerCombination)
{
    CInputMapper mapper;
    SCallLog log;
    uint32_t plain = addEvent(mapper, log, "evaxis");
    uint32_t inverted = addEvent(mapper, log, "evaxisinverted", true);
    mapper.bindKeys(plain, 0, combo({AXIS}));
    mapper.bindKeys(plain, 1, combo({B}));
    mapper.bindKeys(inverted, 0, combo({AXIS, C}));

    mapper.setKey(AXIS, true, 0.5f);
    EXPECT_FLOAT_EQ(mapper.getEvent(plain).value, 0.5f);
    EXPECT_FLOAT_EQ(log.values.back(), 0.5f);
    // A value change without a press change refreshes the value.
    mapper.setKey(AXIS, true, -0.25f);
    EXPECT_FLOAT_EQ(mapper.getEvent(plain).value, -0.25f);
    // The second combination (B, value 1) has the larger magnitude.
    mapper.keyDown(B);
    EXPECT_FLOAT_EQ(mapper.getEvent(plain).value, 1.0f);

    // AXIS + C covers the single AXIS; its value is the product, negated.
    mapper.setKey(C, true, 0.5f);
    EXPECT_TRUE(mapper.getEvent(inverted).active);
    EXPECT_FLOAT_EQ(mapper.getEvent(inverted).value, 0.125f);
    mapper.setKey(AXIS, true, 0.8f);
    EXPECT_FLOAT_EQ(mapper.getEvent(inverted).value, -0.4f);

    mapper.keyUp(C);
    mapper.keyUp(B);
    mapper.setKey(AXIS, false, 0.0f);
    EXPECT_FALSE(mapper.getEvent(plain).active);
    EXPECT_EQ(mapper.getEvent(plain).value, 0.0f);
    EXPECT_EQ(mapper.getEvent(inverted).value, 0.0f);
}

TEST(CInputMapperBindingsTest, DoublePressWithinThreeTenthsOfASecond)
{
    CInputMapper mapper;
    SCallLog log;
    uint32_t event = addEvent(mapper, log, "evdouble", false, true);
    mapper.bindKeys(event, 0, combo({A}));

    mapper.keyDown(A);
    EXPECT_FALSE(mapper.getKeyStatus(A).doublePressed);
    EXPECT_FALSE(mapper.getEvent(event).active);
    mapper.keyUp(A);
    mapper.keyDown(A);
    EXPECT_TRUE(mapper.getKeyStatus(A).doublePressed);
    EXPECT_TRUE(mapper.getEvent(event).active);
    // Value changes while held keep the flag.
    mapper.setKey(A, true, 0.5f);
    EXPECT_TRUE(mapper.getKeyStatus(A).doublePressed);
    mapper.keyUp(A);
    EXPECT_FALSE(mapper.getKeyStatus(A).doublePressed);
    EXPECT_FALSE(mapper.getEvent(event).active);

    CTimer::sleepMilliseconds(350);
    mapper.keyDown(A);
    EXPECT_FALSE(mapper.getKeyStatus(A).doublePressed);
    EXPECT_FALSE(mapper.getEvent(event).active);
}

TEST(CInputMapperBindingsTest, BindingMarksTheIndexDirtyAndTheNextKeyChangeReindexes)
{
    CInputMapper mapper;
    SCallLog log;
    uint32_t small = addEvent(mapper, log, "evsmall");
    uint32_t large = addEvent(mapper, log, "evlarge");
    mapper.bindKeys(small, 1, combo({A}));
    EXPECT_TRUE(mapper.areBindingsDirty());
    mapper.bindKeys(large, 0, combo({A, B, C}));
    EXPECT_EQ(mapper.getEvent(large).bindingIndex[0], SInputEvent::C_NO_BINDING);

    mapper.keyDown(C);
    EXPECT_FALSE(mapper.areBindingsDirty());
    // Largest sort key first.
    EXPECT_EQ(mapper.getBinding(0).eventIndex, large);
    EXPECT_EQ(mapper.getBinding(1).eventIndex, small);
    EXPECT_EQ(mapper.getEvent(large).bindingIndex[0], 0u);
    EXPECT_EQ(mapper.getEvent(small).bindingIndex[1], 1u);
    EXPECT_EQ(mapper.getEvent(small).bindingIndex[0], SInputEvent::C_NO_BINDING);
}

TEST(CInputMapperBindingsTest, RebindingUnbindingAndRemovingEvents)
{
    CInputMapper mapper;
    SCallLog log;
    uint32_t first = addEvent(mapper, log, "evfirst");
    uint32_t second = addEvent(mapper, log, "evsecond");
    uint32_t third = addEvent(mapper, log, "evthird");
    EXPECT_EQ(mapper.findEvent(CString("EVSECOND")), second);
    mapper.bindKeys(first, 0, combo({A}));
    mapper.bindKeys(second, 0, combo({B}));
    mapper.bindKeys(third, 0, combo({C}));
    // Rebinding a slot replaces its combination.
    mapper.bindKeys(first, 0, combo({C, A}));
    EXPECT_EQ(mapper.getBindingCount(), 3u);

    mapper.keyDown(B);
    EXPECT_TRUE(mapper.getEvent(second).active);
    // Unbinding an active event's combination switches it off.
    mapper.unbindKeys(second, 0);
    EXPECT_FALSE(mapper.getEvent(second).active);
    EXPECT_EQ(log.calls.back(), "-evsecond");
    EXPECT_EQ(mapper.getBindingCount(), 2u);
    mapper.unbindKeys(second, 1);

    mapper.removeEvent(first);
    EXPECT_EQ(mapper.getEventCount(), 2u);
    EXPECT_EQ(mapper.getBindingCount(), 1u);
    EXPECT_EQ(mapper.findEvent(CString("evthird")), 1u);
    EXPECT_EQ(mapper.findEvent(CString("evfirst")), CInputMapper::C_NO_INDEX);
    // The remaining binding follows its event to its new index.
    EXPECT_EQ(mapper.getBinding(0).eventIndex, 1u);
    EXPECT_EQ(mapper.getEvent(1).bindingIndex[0], 0u);
    mapper.keyDown(C);
    EXPECT_TRUE(mapper.getEvent(1).active);
    mapper.removeEvent(1);
    EXPECT_EQ(log.calls.back(), "-evthird");
    EXPECT_EQ(mapper.getBindingCount(), 0u);
    mapper.keyUp(C);
}

TEST(CInputMapperBindingsTest, BadEventOperationsThrowAndChangeNothing)
{
    CInputMapper mapper;
    SCallLog log;
    uint32_t event = addEvent(mapper, log, "evchecked");
    mapper.bindKeys(event, 0, combo({A}));
    const char* file = "Engine/IInput/CInputMapper";

    expectRangeError([&] { mapper.bindKeys(5, 0, combo({A})); });
    expectException<CInvalidArgumentException>([&] { mapper.bindKeys(event, 2, combo({A})); }, "Invalid binding slot\n", file, -1);
    expectException<CInvalidArgumentException>([&] { mapper.bindKeys(event, 0, combo({})); }, "Empty key combination\n", file, -1);
    expectException<CInvalidArgumentException>([&] { mapper.bindKeys(event, 0, combo({B, TKeyCode(482)})); }, "Invalid key code\n", file, -1);
    expectException<CInvalidArgumentException>([&] { mapper.bindKeys(event, 0, combo({TKeyCode(-1)})); }, "Invalid key code\n", file, -1);
    expectException<CInvalidArgumentException>([&] { mapper.createEvent(CString("EvChecked")); }, "Input event already exists\n", file, -1);
    expectRangeError([&] { mapper.unbindKeys(1, 0); });
    expectRangeError([&] { mapper.removeEvent(1); });

    EXPECT_EQ(mapper.getEventCount(), 1u);
    ASSERT_EQ(mapper.getBindingCount(), 1u);
    EXPECT_EQ(mapper.getBinding(0).keys.getCount(), 1u);
    EXPECT_EQ(mapper.getBinding(0).keys[0], A);
    mapper.keyDown(A);
    EXPECT_TRUE(mapper.getEvent(event).active);
}

TEST(CInputMapperBindingsTest, CallbacksNeedBothObjectAndFunction)
{
    CInputMapper mapper;
    SCallLog log;
    uint32_t event = mapper.createEvent(CString("evhalfcallback"));
    SInputEventCallback noObject;
    noObject.function = &SCallLog::record;
    SInputEventCallback noFunction;
    noFunction.object = &log;
    mapper.setEventCallbacks(event, noObject, noFunction);
    mapper.bindKeys(event, 0, combo({A}));
    mapper.keyDown(A);
    mapper.keyUp(A);
    EXPECT_TRUE(log.calls.empty());
}
