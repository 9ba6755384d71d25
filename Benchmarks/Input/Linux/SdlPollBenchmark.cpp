// The SDL layer's share of a detection run's 10 ms poll period: one input
// manager update (which reads SDL's events, on X11 only when the server sent
// something or 50 ms went by) and one window pump with nothing pending,
// against the same pass over the null window and input manager.
// SDL's dummy video driver unless SDL_VIDEODRIVER names another one (run
// under an X server with SDL_VIDEODRIVER=x11 to include its round trips).
#include "Engine/IInput/CNullInputManager.h"
#include "Engine/IInput/Linux/CSdlInputManager.h"
#include "Engine/IRenderer/CNullWindow.h"
#include "Engine/IRenderer/CWindowManager.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

using namespace Tavrin::Engine;

namespace {

const double C_POLL_PERIOD_SECONDS = 0.01;

void runPollPasses(benchmark::State& state, CInputManager& input, CWindow& window)
{
    CManagedPtr<CMouse> mouse = input.createMouse(window.getHandle(), 1);
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
    {
        input.update(0.01f);
        window.processMessages();
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (window.isClosed())
        state.SkipWithError("the window closed");
    // Wall time of one pass over the poll period; aim: below 0.0002.
    state.counters["PollFraction"] = elapsed.count() / static_cast<double>(state.iterations()) / C_POLL_PERIOD_SECONDS;
}

void BM_SdlPollPassNothingPending(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    CSdlInputManager input;
    CWindowManager windows;
    CManagedPtr<CWindow> window = windows.createWindow("Press one or many keys..", 320, 100, 68);
    window->show();
    if (!input.isReady())
        state.SkipWithError("SDL did not start");
    runPollPasses(state, input, *window);
}
BENCHMARK(BM_SdlPollPassNothingPending);

void BM_NullPollPassBaseline(benchmark::State& state)
{
    CNullInputManager input;
    CManagedPtr<CNullWindow> window = CManagedPtr<CNullWindow>::adopt(new CNullWindow("Null", nullptr, 320, 100, 68));
    window->show();
    runPollPasses(state, input, *window);
}
BENCHMARK(BM_NullPollPassBaseline);

} // namespace
