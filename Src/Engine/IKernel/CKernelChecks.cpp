#include "Engine/IKernel/CKernelChecks.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/Maths/CFastMath.h"
#include "Engine/IKernel/Maths/CSIMD.h"
#include "Engine/IKernel/Resources/Procedural/CFractalNoise.h"
#include "Engine/IKernel/Resources/Procedural/CValueNoise.h"
#include "Engine/IKernel/System/CProcess.h"
#include "Engine/IKernel/System/CTimer.h"

#include <cmath>

namespace Tavrin {
namespace Engine {

namespace {

const char* const kernelSource = "Engine/IKernel/IKernel";

struct _SConversionCase
{
    const char* message;
    int32_t line;
    bool (*passes)(double input, double expected);
    double input;
    double expected;
};

bool floatToInt(double input, double expected)
{
    return CFastMath::floatToInt(static_cast<float>(input)) == static_cast<int32_t>(expected);
}

bool doubleToInt(double input, double expected)
{
    return CFastMath::doubleToInt(input) == static_cast<int32_t>(expected);
}

bool floatToNearest(double input, double expected)
{
    return CFastMath::floatToNearestInt(static_cast<float>(input)) == static_cast<int32_t>(expected);
}

bool doubleToNearest(double input, double expected)
{
    return CFastMath::doubleToNearestInt(input) == static_cast<int32_t>(expected);
}

bool nextPowerOfTwo(double input, double expected)
{
    return CFastMath::nextPowerOfTwo(static_cast<uint32_t>(input)) == static_cast<uint32_t>(expected);
}

bool fastFloor(double input, double expected)
{
    float value = static_cast<float>(input);
    float exact = std::floor(value);
    return std::fabs(static_cast<float>(CFastMath::floor(value)) - exact) <= 1.1920929e-07f &&
           static_cast<int32_t>(exact) == static_cast<int32_t>(expected);
}

bool floatToByte(double input, double expected)
{
    return CFastMath::floatToByte(static_cast<float>(input)) == static_cast<uint8_t>(expected);
}

const _SConversionCase conversionCases[] = {
    {"Fast float-to-int test 1 failure\n", 410, floatToInt, 4.06, 4},
    {"Fast float-to-int test 2 failure\n", 411, floatToInt, -0.95, 0},
    {"Fast float-to-int test 3 failure\n", 412, floatToInt, 8.87, 8},
    {"Fast float-to-int test 4 failure\n", 413, floatToInt, -11.27, -11},
    {"Fast double-to-int test 1 failure\n", 415, doubleToInt, 4.06, 4},
    {"Fast double-to-int test 2 failure\n", 416, doubleToInt, -0.95, 0},
    {"Fast double-to-int test 3 failure\n", 417, doubleToInt, 8.87, 8},
    {"Fast double-to-int test 4 failure\n", 418, doubleToInt, -11.27, -11},
    {"Fast float-to-nearest-int test 1 failure\n", 420, floatToNearest, 4.06, 4},
    {"Fast float-to-nearest-int test 2 failure\n", 421, floatToNearest, -0.95, -1},
    {"Fast float-to-nearest-int test 3 failure\n", 422, floatToNearest, 8.87, 9},
    {"Fast float-to-nearest-int test 4 failure\n", 423, floatToNearest, -11.27, -11},
    {"Fast double-to-nearest-int test 1 failure\n", 425, doubleToNearest, 4.06, 4},
    {"Fast double-to-nearest-int test 2 failure\n", 426, doubleToNearest, -0.95, -1},
    {"Fast double-to-nearest-int test 3 failure\n", 427, doubleToNearest, 8.87, 9},
    {"Fast double-to-nearest-int test 4 failure\n", 428, doubleToNearest, -11.27, -11},
    {"Next pow-of-2 test 1 failure\n", 430, nextPowerOfTwo, 512, 1024},
    {"Next pow-of-2 test 2 failure\n", 431, nextPowerOfTwo, 72, 128},
    {"Next pow-of-2 test 3 failure\n", 432, nextPowerOfTwo, 2047, 2048},
    {"Fast floor test 1 failure\n", 434, fastFloor, 4.06, 4},
    {"Fast floor test 2 failure\n", 435, fastFloor, -0.95, -1},
    {"Fast floor test 3 failure\n", 436, fastFloor, 8.87, 8},
    {"Fast floor test 4 failure\n", 437, fastFloor, -11.27, -12},
    // Sums with 12582912.0 of 12582916.0, 12583000.0 and 12583167.0.
    {"Fast float-to-byte test 1 failure\n", 439, floatToByte, 4.0, 4},
    {"Fast float-to-byte test 2 failure\n", 440, floatToByte, 88.0, 88},
    {"Fast float-to-byte test 3 failure\n", 441, floatToByte, 255.0, 255},
};

const char* precisionText(CProcess::TPrecision precision)
{
    switch (precision)
    {
    case CProcess::C_PRECISION_64: return "64-bit extended precision";
    case CProcess::C_PRECISION_53: return "53-bit double precision";
    case CProcess::C_PRECISION_24: return "24-bit single precision";
    default: return "Unknown";
    }
}

const char* roundingText(CProcess::TRounding rounding)
{
    switch (rounding)
    {
    case CProcess::C_ROUNDING_NEAREST: return "Round to nearest";
    case CProcess::C_ROUNDING_DOWN: return "Round down toward negative infinity";
    case CProcess::C_ROUNDING_UP: return "Round up toward positive infinity";
    case CProcess::C_ROUNDING_CHOP: return "Truncate toward 0";
    default: return "Unknown";
    }
}

// Single precision, as the engine's noise is evaluated.
const float simdPoints[4][3] = {
    {5.693838596343994f, -3.8651692867279053f, -2.2037415504455566f},
    {6.46107292175293f, -8.302560806274414f, -4.236884593963623f},
    {-6.161381721496582f, 9.9969482421875f, -3.233436346054077f},
    {1.5359961986541748f, 9.56114387512207f, -4.214911460876465f},
};
const float simdReferences[4] = {-0.07825f, -0.082621f, 0.191137f, -0.080354f};

bool simdNoiseMatches()
{
    float scalar[4];
    for (int i = 0; i < 4; ++i)
        scalar[i] = CValueNoise::noise(simdPoints[i][0], simdPoints[i][1], simdPoints[i][2]);
    // Lanes 0 to 3 hold the points in reverse order.
    __m128 x = _mm_setr_ps(simdPoints[3][0], simdPoints[2][0], simdPoints[1][0], simdPoints[0][0]);
    __m128 y = _mm_setr_ps(simdPoints[3][1], simdPoints[2][1], simdPoints[1][1], simdPoints[0][1]);
    __m128 z = _mm_setr_ps(simdPoints[3][2], simdPoints[2][2], simdPoints[1][2], simdPoints[0][2]);
    SVector4 lanes;
    CValueNoise::noise4Store(x, y, z, lanes.lane);
    log("SIMD Noise test\n");
    log("  Expected: %f %f %f %f\n", scalar[0], scalar[1], scalar[2], scalar[3]);
    log("  Got:      %f %f %f %f\n", lanes.lane[3], lanes.lane[2], lanes.lane[1], lanes.lane[0]);
    for (int i = 0; i < 4; ++i)
        if (std::fabs(scalar[i] - lanes.lane[3 - i]) >= 0.001f || std::fabs(scalar[i] - simdReferences[i]) >= 0.001f)
            return false;
    return true;
}

} // namespace

void CKernelChecks::runBenchmark()
{
    CFractalNoise noise;
    uint64_t start = CTimer::readCounter();
    int32_t points = 0;
    float sum = 0.0f;
    float z = 0.0f;
    while (CTimer::secondsBetween(start, CTimer::readCounter()) <= 0.05)
    {
        float x = 0.0f;
        for (int i = 0; i < 100; ++i)
        {
            sum += noise.getValue(x, 0.5812f, z);
            x += 0.001f;
        }
        z += 0.001f;
        ++points;
    }
    log("Raw monocore performance: %d points [%.3f]\n", points, static_cast<double>(sum));
}

void CKernelChecks::runSIMDNoiseTest()
{
    try
    {
        if (simdNoiseMatches())
        {
            log("SIMD Noise test success!\n");
            IKernel::setSIMDNoiseVerified(true);
        }
        else
            logLevel(2, "SIMD noise implementation does not yield expected values\n");
    }
    catch (...)
    {
        log("SIMD noise test failed\n");
    }
}

void CKernelChecks::reportFloatingPointControl()
{
    CProcess::TPrecision precision;
    CProcess::TRounding rounding;
    CProcess::getFloatingPointControl(precision, rounding);
    log("\nx87 FPU Flags\n-------------\nPrecision Control: %s\nRounding Control: %s\n\n", precisionText(precision),
        roundingText(rounding));
}

void CKernelChecks::runFastConversionTests()
{
    for (const _SConversionCase& test : conversionCases)
        if (!test.passes(test.input, test.expected))
            TAVRIN_THROW_AT(CInvalidOperationException, test.message, kernelSource, test.line);
    log("Fast operations tests: passed\n");
}

} // namespace Engine
} // namespace Tavrin
