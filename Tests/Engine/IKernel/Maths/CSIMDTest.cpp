#include "Engine/IKernel/Maths/CSIMD.h"

#include "Engine/IKernel/CException.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Tavrin::Engine;

TEST(CSIMD, AlignedBlocksOfEverySizeAreAlignedAndUsable)
{
    for (size_t size : {1u, 15u, 16u, 17u, 368u, 4096u})
    {
        void* block = CSIMD::allocateAligned(size);
        ASSERT_NE(block, nullptr);
        EXPECT_TRUE(CSIMD::isAligned(block)) << size;
        // The whole block is writable (the sanitizer run catches overruns).
        memset(block, 0xAB, size);
        CSIMD::freeAligned(block);
    }
    CSIMD::freeAligned(nullptr);
}

TEST(CSIMD, UnalignedStoreThrowsAndLeavesMemoryUntouched)
{
    alignas(16) float buffer[8] = {};
    try
    {
        CSIMD::store(buffer + 1, _mm_set1_ps(1.0f));
        FAIL() << "an unaligned store must throw";
    }
    catch (const CInternalErrorException& error)
    {
        EXPECT_STREQ(error.getDetails().c_str(), "Address isn't aligned\n");
        EXPECT_STREQ(error.getFile().c_str(), "Engine/IKernel/Maths/CSIMD");
        EXPECT_EQ(error.getLine(), 609);
    }
    for (float value : buffer)
        EXPECT_EQ(value, 0.0f);
    EXPECT_THROW(CSIMD::load(buffer + 2), CInternalErrorException);

    CSIMD::store(buffer + 4, _mm_setr_ps(1.0f, 2.0f, 3.0f, 4.0f));
    SVector4 back;
    CSIMD::store(back, CSIMD::load(buffer + 4));
    EXPECT_EQ(back.lane[0], 1.0f);
    EXPECT_EQ(back.lane[3], 4.0f);
}
