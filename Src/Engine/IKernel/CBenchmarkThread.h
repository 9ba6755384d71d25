#pragma once

#include "Engine/IKernel/System/CThread.h"

namespace Tavrin {
namespace Engine {

// The install's 0.05 s benchmark, run beside the program's start instead of
// before it: its line reaches the log when it ends. On a single processor
// the two would share one core (a slower start and a spoilt figure), so it
// runs in the caller's thread there.
class CBenchmarkThread : public CThread
{
public:
    uint32_t run() override;

    // Starts the benchmark, in a thread when more than one processor runs.
    static void begin(uint32_t processorCount);
    // Waits until the benchmark has logged its figure. Called by the
    // uninstall, and at exit for a program that ends without one.
    static void finish();
};

} // namespace Engine
} // namespace Tavrin
