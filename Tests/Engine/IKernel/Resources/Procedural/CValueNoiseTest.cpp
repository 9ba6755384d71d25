#include "Engine/IKernel/Resources/Procedural/CValueNoise.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/Maths/CSIMD.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

using namespace Tavrin::Engine;

namespace {

struct SReferencePoint
{
    float x, y, z;
    float expected;
};

// The engine's start-up check uses these points and values.
const SReferencePoint C_REFERENCES[4] = {
    {5.693838596343994f, -3.8651692867279053f, -2.2037415504455566f, -0.078250f},
    {6.46107292175293f, -8.302560806274414f, -4.236884593963623f, -0.082621f},
    {-6.161381721496582f, 9.9969482421875f, -3.233436346054077f, 0.191137f},
    {1.5359961986541748f, 9.56114387512207f, -4.214911460876465f, -0.080354f},
};

float lane(__m128 value, int index)
{
    SVector4 lanes;
    CSIMD::store(lanes, value);
    return lanes.lane[index];
}

// Independent model of a lattice point's value: the hash of the point's
// 16-bit index, scaled by 0.707 / 16383.
float latticeValue(int32_t x, int32_t y, int32_t z)
{
    int16_t m = static_cast<int16_t>(static_cast<uint16_t>(x + 57 * y + 113 * z));
    int64_t mm = m;
    int64_t h = ((mm * mm * 15731 + 2789) * mm - 8947) & 0x7FFF;
    uint32_t bits = 0x38800200u;
    float scale;
    memcpy(&scale, &bits, sizeof(scale));
    return 0.707f - (static_cast<float>(h) * 0.707f) * scale;
}

} // namespace

TEST(CValueNoise, MatchesTheReferenceValuesInEveryForm)
{
    for (const SReferencePoint& point : C_REFERENCES)
    {
        EXPECT_NEAR(CValueNoise::noise(point.x, point.y, point.z), point.expected, 5e-6) << point.x;
        EXPECT_NEAR(CValueNoise::noiseDouble(point.x, point.y, point.z), point.expected, 5e-6) << point.x;
    }
    // Lanes 0..3 hold p3..p0, as the start-up check lays them out.
    const SReferencePoint* p = C_REFERENCES;
    __m128 x = _mm_setr_ps(p[3].x, p[2].x, p[1].x, p[0].x);
    __m128 y = _mm_setr_ps(p[3].y, p[2].y, p[1].y, p[0].y);
    __m128 z = _mm_setr_ps(p[3].z, p[2].z, p[1].z, p[0].z);
    SVector4 result;
    CValueNoise::noise4Store(x, y, z, result.lane);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(result.lane[3 - i], p[i].expected, 5e-6) << i;
}

TEST(CValueNoise, FourLaneFormEqualsScalarFormBitForBit)
{
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> small(-40.0f, 40.0f);
    std::uniform_real_distribution<float> large(-3.0e6f, 3.0e6f);
    for (int round = 0; round < 2000; ++round)
    {
        std::uniform_real_distribution<float>& range = round % 4 == 3 ? large : small;
        SVector4 x, y, z;
        for (int i = 0; i < 4; ++i)
        {
            x.lane[i] = range(random);
            y.lane[i] = range(random);
            z.lane[i] = range(random);
        }
        // Ties of the lattice rounding (x - 0.5 halfway between integers).
        if (round % 5 == 0)
        {
            x.lane[0] = static_cast<float>(round % 17);
            y.lane[1] = -static_cast<float>(round % 13) - 1.0f;
        }
        __m128 values = CValueNoise::noise4(CSIMD::load(x), CSIMD::load(y), CSIMD::load(z));
        for (int i = 0; i < 4; ++i)
        {
            float scalar = CValueNoise::noise(x.lane[i], y.lane[i], z.lane[i]);
            ASSERT_EQ(lane(values, i), scalar) << x.lane[i] << ", " << y.lane[i] << ", " << z.lane[i];
        }
    }
}

TEST(CValueNoise, DoubleFormAgreesWhereTheFloatFormIsExact)
{
    std::mt19937 random(99);
    std::uniform_real_distribution<float> range(-1000.0f, 1000.0f);
    for (int i = 0; i < 2000; ++i)
    {
        float x = range(random), y = range(random), z = range(random);
        ASSERT_EQ(CValueNoise::noiseDouble(x, y, z), CValueNoise::noise(x, y, z)) << x << ", " << y << ", " << z;
    }
    // Far from the origin single precision cannot hold the fraction; double can.
    double x = 16777216.25, y = 3.75, z = -2.5;
    float coarse = CValueNoise::noise(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    EXPECT_NE(CValueNoise::noiseDouble(x, y, z), coarse);
}

TEST(CValueNoise, LatticePointsGiveTheirCornerValue)
{
    const int32_t points[][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {3, -7, 12}, {-5, 9, -3},
                                 {1000, 2001, -3003}, {-32768, 32767, 5}, {70000, -70001, 65536}};
    for (const auto& p : points)
    {
        float x = static_cast<float>(p[0]), y = static_cast<float>(p[1]), z = static_cast<float>(p[2]);
        float expected = latticeValue(p[0], p[1], p[2]);
        EXPECT_EQ(CValueNoise::noise(x, y, z), expected) << p[0] << ", " << p[1] << ", " << p[2];
        EXPECT_EQ(lane(CValueNoise::noise4(_mm_set1_ps(x), _mm_set1_ps(y), _mm_set1_ps(z)), 2), expected);
    }
}

TEST(CValueNoise, ResultsStayWithinTheAmplitude)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> range(-500.0f, 500.0f);
    float lowest = 1.0f, highest = -1.0f;
    for (int i = 0; i < 20000; ++i)
    {
        float value = CValueNoise::noise(range(random), range(random), range(random));
        lowest = value < lowest ? value : lowest;
        highest = value > highest ? value : highest;
    }
    EXPECT_GE(lowest, -0.7071f);
    EXPECT_LE(highest, 0.7071f);
    // The noise spreads over most of its range.
    EXPECT_LT(lowest, -0.5f);
    EXPECT_GT(highest, 0.5f);
}

TEST(CValueNoise, UnalignedDestinationThrowsWithoutWriting)
{
    alignas(16) float buffer[8] = {};
    __m128 zero = _mm_setzero_ps();
    EXPECT_THROW(CValueNoise::noise4Store(zero, zero, zero, buffer + 1), CInternalErrorException);
    for (float value : buffer)
        EXPECT_EQ(value, 0.0f);
}

TEST(CValueNoise, NonFiniteInputGivesAValueInsteadOfFaulting)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    __m128 values = CValueNoise::noise4(_mm_setr_ps(inf, -inf, nan, 1e30f), _mm_set1_ps(0.25f), _mm_set1_ps(0.5f));
    for (int i = 0; i < 4; ++i)
    {
        float scalar = CValueNoise::noise(lane(_mm_setr_ps(inf, -inf, nan, 1e30f), i), 0.25f, 0.5f);
        if (scalar == scalar)
            EXPECT_EQ(lane(values, i), scalar);
        else
            EXPECT_NE(lane(values, i), lane(values, i));
    }
}
