#include "Engine/IKernel/Resources/Procedural/CFractalNoise.h"

#include "Engine/IKernel/IKernel.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/Maths/CSIMD.h"
#include "Engine/IKernel/Resources/Procedural/CNoiseBasis.h"
#include "Engine/IKernel/Resources/Procedural/CValueNoise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <set>

using namespace Tavrin::Engine;

namespace {

const char* const C_INTERFACE_FILE = "Engine/IKernel/Resources/Procedural/CFractalInterface";

// Runs the call and checks the invalid-argument error it must raise.
void expectArgumentError(const std::function<void()>& call, const char* details, int32_t line)
{
    try
    {
        call();
        ADD_FAILURE() << "expected: " << details;
    }
    catch (const CInvalidArgumentException& error)
    {
        EXPECT_STREQ(error.getDetails().c_str(), details);
        EXPECT_STREQ(error.getFile().c_str(), C_INTERFACE_FILE);
        EXPECT_EQ(error.getLine(), line);
    }
}

void setType(CFractalNoise& noise, uint32_t type)
{
    noise.beginUpdate();
    noise.setNoiseType(type);
    noise.endUpdate();
}

float lane(__m128 value, int index)
{
    SVector4 lanes;
    CSIMD::store(lanes, value);
    return lanes.lane[index];
}

} // namespace

TEST(CFractalNoise, DefaultsGiveHalvingWeights)
{
    CFractalNoise noise;
    EXPECT_EQ(noise.getMaxOctaves(), 64u);
    EXPECT_EQ(noise.getNoiseType(), 1u);
    EXPECT_EQ(noise.getOctaveCount(), 8u);
    EXPECT_FALSE(noise.isUpdating());
    EXPECT_EQ(noise.getLacunarity(), 2.0f);
    EXPECT_EQ(noise.getH(), 1.0f);
    EXPECT_EQ(noise.getGain(), 0.5f);
    const float expected[8] = {1.0f, 0.5f, 0.25f, 0.125f, 0.0625f, 0.03125f, 0.015625f, 0.0078125f};
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_EQ(noise.getOctaveWeights()[i], expected[i]) << i;
        EXPECT_EQ(noise.getSIMDBlock()[i], expected[i]) << i;
    }
    EXPECT_TRUE(CSIMD::isAligned(noise.getSIMDBlock()));
}

TEST(CFractalNoise, EndUpdateInstallsTheSlotsOfEachType)
{
    // Which of the six basis slots each noise type fills.
    const bool slots[6][6] = {
        {true, true, false, false, false, false}, {true, true, false, false, true, true},
        {true, true, false, false, false, false}, {true, true, false, false, false, false},
        {true, true, true, true, false, false},   {true, false, false, false, false, false},
    };
    CFractalNoise noise;
    // From the type with the most slots to each other type: stale ones go.
    for (uint32_t type = 0; type < 6; ++type)
    {
        setType(noise, 4);
        setType(noise, 1);
        setType(noise, type);
        EXPECT_EQ(noise.getBasis() != nullptr, slots[type][0]) << type;
        EXPECT_EQ(noise.getBasisDouble() != nullptr, slots[type][1]) << type;
        EXPECT_EQ(noise.getBasis4() != nullptr, slots[type][2]) << type;
        EXPECT_EQ(noise.getBasis4Store() != nullptr, slots[type][3]) << type;
        EXPECT_EQ(noise.getExtraBasis(0) != nullptr, slots[type][4]) << type;
        EXPECT_EQ(noise.getExtraBasis(1) != nullptr, slots[type][5]) << type;
    }
    setType(noise, 4);
    EXPECT_EQ(noise.getBasis(), &CValueNoise::noise);
    EXPECT_EQ(noise.getBasis4(), &CValueNoise::noise4);
}

TEST(CFractalNoise, ParameterProtocolErrors)
{
    CFractalNoise noise;
    const char* outside = "Can't change parameter before a beginUpdate\n";
    expectArgumentError([&] { noise.setNoiseType(4); }, outside, 107);
    expectArgumentError([&] { noise.setOctaveCount(3); }, outside, 107);
    expectArgumentError([&] { noise.setLacunarity(3.0f); }, outside, 107);
    expectArgumentError([&] { noise.setH(0.5f); }, outside, 107);
    expectArgumentError([&] { noise.endUpdate(); }, "beginUpdate wasn't called first\n", 55);
    EXPECT_EQ(noise.getNoiseType(), 1u);
    EXPECT_EQ(noise.getOctaveCount(), 8u);
    EXPECT_EQ(noise.getLacunarity(), 2.0f);

    noise.beginUpdate();
    expectArgumentError([&] { noise.beginUpdate(); }, "Already updating some parameters\n", 46);
    // The first update is still open.
    EXPECT_TRUE(noise.isUpdating());
    noise.setOctaveCount(3);
    noise.endUpdate();
    EXPECT_EQ(noise.getOctaveCount(), 3u);
    expectArgumentError([&] { noise.endUpdate(); }, "beginUpdate wasn't called first\n", 55);
}

TEST(CFractalNoise, UnknownTypeKeepsTheUpdateOpenAndTheBasis)
{
    CFractalNoise noise;
    TNoiseFunction before = noise.getBasis();
    noise.beginUpdate();
    noise.setNoiseType(6);
    expectArgumentError([&] { noise.endUpdate(); }, "Cannot recognize noise type\n", 98);
    EXPECT_TRUE(noise.isUpdating());
    EXPECT_EQ(noise.getBasis(), before);
    noise.setNoiseType(4);
    noise.endUpdate();
    EXPECT_EQ(noise.getBasis(), &CValueNoise::noise);
}

TEST(CFractalNoise, OctaveCountBeyondTheTablesIsRefused)
{
    CFractalNoise noise;
    noise.beginUpdate();
    noise.setOctaveCount(64);
    EXPECT_THROW(noise.setOctaveCount(65), CInvalidArgumentException);
    noise.endUpdate();
    EXPECT_EQ(noise.getOctaveCount(), 64u);
    // All 64 octaves can be evaluated (the sanitizer run checks the reads).
    EXPECT_TRUE(std::isfinite(noise.getValue(0.3f, 0.2f, 0.1f)));
}

TEST(CFractalNoise, TablesFollowLacunarityAndH)
{
    CFractalNoise noise;
    noise.beginUpdate();
    noise.setLacunarity(3.0f);
    noise.setH(0.5f);
    noise.endUpdate();
    const double gain = 1.0 / std::sqrt(3.0);
    EXPECT_FLOAT_EQ(noise.getGain(), static_cast<float>(gain));
    for (int i = 0; i < 64; ++i)
    {
        float expected = static_cast<float>(std::pow(3.0, -0.5 * i));
        EXPECT_FLOAT_EQ(noise.getOctaveWeights()[i], expected) << i;
        EXPECT_EQ(noise.getSIMDBlock()[i], noise.getOctaveWeights()[i]) << i;
    }
    const CFractalNoise::_SSIMDTables& tables = noise.getSIMDTables();
    EXPECT_TRUE(CSIMD::isAligned(&tables));
    EXPECT_FLOAT_EQ(tables.gainPowers[0], static_cast<float>(gain));
    EXPECT_FLOAT_EQ(tables.gainPowers[1], static_cast<float>(gain * gain));
    EXPECT_FLOAT_EQ(tables.gainPowers[2], static_cast<float>(gain * gain * gain));
    EXPECT_EQ(tables.gainPowers[3], 1.0f);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_FLOAT_EQ(tables.gain4[i], static_cast<float>(gain * gain * gain * gain));
        EXPECT_EQ(tables.lacunarity[i], 3.0f);
        EXPECT_EQ(tables.lacunarity4[i], 81.0f);
    }
    EXPECT_EQ(tables.lacunarityDouble[1], 3.0);
    EXPECT_EQ(tables.lacunarity2Double[0], 9.0);
    EXPECT_EQ(tables.lacunarity4Double[1], 81.0);
}

TEST(CFractalNoise, SumsWeightedOctavesOfTheBasis)
{
    CFractalNoise noise;
    noise.beginUpdate();
    noise.setNoiseType(4);
    noise.setOctaveCount(3);
    noise.endUpdate();
    const float x = 1.3f, y = -2.7f, z = 0.45f;
    float expected = CValueNoise::noise(x, y, z) + 0.5f * CValueNoise::noise(2 * x, 2 * y, 2 * z) +
                     0.25f * CValueNoise::noise(4 * x, 4 * y, 4 * z);
    EXPECT_FLOAT_EQ(noise.getValue(x, y, z), expected);
    EXPECT_FLOAT_EQ(noise.getValue(static_cast<double>(x), static_cast<double>(y), static_cast<double>(z)), expected);

    noise.beginUpdate();
    noise.setOctaveCount(0);
    noise.endUpdate();
    EXPECT_EQ(noise.getValue(x, y, z), 0.0f);
}

TEST(CFractalNoise, FourPointsAtOnceMatchFourSingleEvaluations)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<float> range(-20.0f, 20.0f);
    // Both the four-lane basis (once verified) and the lane-by-lane fallback.
    bool wasVerified = IKernel::isSIMDNoiseVerified();
    for (bool verified : {false, true})
    for (uint32_t type : {4u, 1u, 2u})
    {
        IKernel::setSIMDNoiseVerified(verified);
        CFractalNoise noise;
        setType(noise, type);
        for (int round = 0; round < 50; ++round)
        {
            SVector4 x, y, z;
            for (int i = 0; i < 4; ++i)
            {
                x.lane[i] = range(random);
                y.lane[i] = range(random);
                z.lane[i] = range(random);
            }
            __m128 values = noise.getValue4(CSIMD::load(x), CSIMD::load(y), CSIMD::load(z));
            for (int i = 0; i < 4; ++i)
                ASSERT_NEAR(lane(values, i), noise.getValue(x.lane[i], y.lane[i], z.lane[i]), 1e-5) << type;
        }
    }
    IKernel::setSIMDNoiseVerified(wasVerified);
}

TEST(CFractalNoise, EveryBasisIsDeterministicBoundedAndVaried)
{
    for (uint32_t type = 0; type < 6; ++type)
    {
        CFractalNoise noise;
        setType(noise, type);
        std::vector<TNoiseFunction> bases = {noise.getBasis(), noise.getExtraBasis(0), noise.getExtraBasis(1)};
        for (TNoiseFunction basis : bases)
        {
            if (!basis)
                continue;
            std::set<float> seen;
            for (int i = 0; i < 400; ++i)
            {
                float x = i * 0.37f - 70.0f, y = i * 0.11f + 3.0f, z = -i * 0.23f;
                float value = basis(x, y, z);
                ASSERT_EQ(value, basis(x, y, z)) << type;
                ASSERT_GE(value, -1.5f) << type;
                ASSERT_LE(value, 1.5f) << type;
                seen.insert(value);
            }
            EXPECT_GT(seen.size(), 50u) << type;
            // Far points and non-finite ones still give a finite value
            // (value noise alone is defined by its lattice arithmetic).
            if (type != 4)
            {
                EXPECT_TRUE(std::isfinite(basis(1e20f, -3e25f, 7e30f))) << type;
                EXPECT_TRUE(std::isfinite(basis(INFINITY, NAN, 1.0f))) << type;
            }
        }
        if (noise.getBasisDouble())
        {
            EXPECT_NEAR(noise.getBasisDouble()(4.25, -1.5, 7.75), noise.getBasis()(4.25f, -1.5f, 7.75f), 1e-6) << type;
        }
    }
}

TEST(CFractalNoise, SparsePointsLieInsideTheCube)
{
    const float* points = CNoiseBasis::getSparsePoints();
    EXPECT_EQ(points, CNoiseBasis::getSparsePoints());
    std::set<float> distinct;
    for (int i = 0; i < CNoiseBasis::C_SPARSE_POINT_COUNT * 3; ++i)
    {
        EXPECT_GE(points[i], 0.0f);
        EXPECT_LE(points[i], 256.01f);
        distinct.insert(points[i]);
    }
    EXPECT_GT(distinct.size(), 100u);
    // Periodic: one cube width further gives the same value.
    EXPECT_EQ(CNoiseBasis::sparse(10.5f, 20.25f, 30.0f), CNoiseBasis::sparse(266.5f, 20.25f, -226.0f));
}

TEST(CFractalNoise, TypeWithoutDoubleFormFallsBackToTheScalarBasis)
{
    CFractalNoise noise;
    setType(noise, 5);
    EXPECT_EQ(noise.getValue(1.5, 2.5, -3.5), noise.getValue(1.5f, 2.5f, -3.5f));
}
