#pragma once

namespace Tavrin {
namespace Engine {

// The measurements and self-tests that the kernel install runs on the machine.
class CKernelChecks
{
public:
    // Noise sums for 0.05 s; logs "Raw monocore performance".
    static void runBenchmark();
    // Logs the floating-point precision and rounding settings.
    static void reportFloatingPointControl();
    // Throws CInvalidOperationException at the first fast conversion that
    // disagrees with its expected result.
    static void runFastConversionTests();
    // Compares the four-lane value noise with the scalar one; never throws.
    static void runSIMDNoiseTest();
};

} // namespace Engine
} // namespace Tavrin
