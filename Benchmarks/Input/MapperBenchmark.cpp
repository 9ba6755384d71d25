// The mapper's share of a detection run's 10 ms poll period, and the cost
// of bindings to a key change against a mapper without any.
#include "Engine/IInput/CInputMapper.h"
#include "Engine/IInput/CJoystick.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace Tavrin::Engine;

namespace {

// A joystick with every button, axis and arrow the mapper reads present.
class CFullJoystick : public CJoystick
{
public:
    explicit CFullJoystick(bool holdLastArrow) : CJoystick(nullptr, 1)
    {
        for (uint32_t i = 0; i < C_AXIS_COUNT; ++i)
            m_axisPresent[i] = true;
        for (uint32_t i = 0; i < C_ARROW_COUNT; ++i)
            m_arrowPresent[i] = true;
        m_axes[0] = -0.3f;
        m_axes[1] = 0.01f;
        m_buttons[2] = true;
        // Held positive at the very last code, so that update scans every status.
        if (holdLastArrow)
            m_arrows[3] = 0.5f;
    }
};

const double C_POLL_PERIOD_SECONDS = 0.01;

void BM_DetectionPollPass(benchmark::State& state)
{
    CInputMapper mapper;
    CFullJoystick first(false);
    CFullJoystick second(true);
    mapper.startDetection(CArray<TKeyCode>());
    mapper.feedJoystick(1, second);
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
    {
        mapper.update(0.01f);
        mapper.feedMouseMotion(1.0f, -1.0f);
        mapper.feedMouseWheel(0.0f);
        mapper.feedJoystick(0, first);
        mapper.feedJoystick(1, second);
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (mapper.getDetectionState() != CInputMapper::Recording)
        state.SkipWithError("detection ended");
    // Wall time of one pass over the poll period; must stay below 0.0002.
    state.counters["PollFraction"] = elapsed.count() / static_cast<double>(state.iterations()) / C_POLL_PERIOD_SECONDS;
}
BENCHMARK(BM_DetectionPollPass);

// 100 events, each bound to a distinct letter + digit pair.
void bindHundredPairs(CInputMapper& mapper)
{
    for (uint32_t i = 0; i < 100; ++i)
    {
        CString name;
        name.format("_bench_event_%u", i);
        uint32_t event = mapper.createEvent(name);
        CArray<TKeyCode> keys;
        keys.add(static_cast<TKeyCode>(0x41 + i % 26));
        keys.add(static_cast<TKeyCode>(0x30 + i % 10));
        mapper.bindKeys(event, 0, keys);
    }
}

// Press and release of A while 0 is held: with bindings, A + 0 turns on and off.
void runKeyChanges(benchmark::State& state, CInputMapper& mapper)
{
    mapper.keyDown(TKeyCode(0x30));
    for (auto _ : state)
    {
        mapper.setKey(TKeyCode(0x41), true, 1.0f);
        mapper.setKey(TKeyCode(0x41), false, 0.0f);
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

void BM_SetKeyBaselineNoBindings(benchmark::State& state)
{
    CInputMapper mapper;
    runKeyChanges(state, mapper);
}
BENCHMARK(BM_SetKeyBaselineNoBindings);

void BM_SetKeyHundredTwoKeyBindings(benchmark::State& state)
{
    CInputMapper mapper;
    bindHundredPairs(mapper);
    runKeyChanges(state, mapper);
    if (mapper.getEventCount() != 100 || mapper.getEvent(0).active)
        state.SkipWithError("bindings not in the expected state");
}
BENCHMARK(BM_SetKeyHundredTwoKeyBindings);

} // namespace
