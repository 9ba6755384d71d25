#include "Engine/IKernel/Types/CPool.h"

#include "Support/ExpectException.h"

#include <gtest/gtest.h>

using namespace Tavrin::Engine;
using TavrinTests::expectException;

namespace {

const char* const poolFile = "Engine/IKernel/Types/CPool";

int a, b, c, d;

} // namespace

TEST(CPool, FreedIndicesAreReusedLastFirst)
{
    CPool<int*> pool;
    EXPECT_EQ(pool.add(&a), 0u);
    EXPECT_EQ(pool.add(&b), 1u);
    EXPECT_EQ(pool.add(&c), 2u);
    EXPECT_EQ(pool.get(1), &b);

    pool.set(1, nullptr);
    pool.free(1);
    EXPECT_EQ(pool.getFreeCount(), 1u);
    EXPECT_EQ(pool.getSlotCount(), 3u);
    EXPECT_EQ(pool.add(&d), 1u);
    EXPECT_EQ(pool.get(1), &d);
    EXPECT_EQ(pool.getFreeCount(), 0u);

    pool.set(0, nullptr);
    pool.free(0);
    pool.set(1, nullptr);
    pool.free(1);
    EXPECT_EQ(pool.add(&a), 1u);
    EXPECT_EQ(pool.add(&b), 0u);
    EXPECT_EQ(pool.add(&c), 3u);
}

TEST(CPool, FreeingTheLastSlotTrimsIt)
{
    CPool<int*> pool;
    pool.add(&a);
    pool.add(&b);
    pool.add(&c);
    pool.set(2, nullptr);
    pool.free(2);
    EXPECT_EQ(pool.getSlotCount(), 2u);
    EXPECT_EQ(pool.getFreeCount(), 0u);
    // The trimmed index is handed out again by growing.
    EXPECT_EQ(pool.add(&d), 2u);
    EXPECT_EQ(pool.get(2), &d);
}

TEST(CPool, OutOfRangeThrowsAndChangesNothing)
{
    CPool<int*> pool;
    pool.add(&a);
    pool.add(&b);
    pool.add(&c);
    pool.set(1, nullptr);
    pool.free(1);
    expectException<CInvalidArgumentException>([&] { pool.set(5, &d); }, "Cannot set an element outside array range\n", poolFile, 159);
    expectException<CInvalidArgumentException>([&] { pool.set(3, &d); }, "Cannot set an element outside array range\n", poolFile, 159);
    expectException<CInvalidArgumentException>([&] { pool.free(5); }, "Cannot free an element outside array range\n", poolFile, 120);
    expectException<CInvalidArgumentException>([&] { pool.free(3); }, "Cannot free an element outside array range\n", poolFile, 120);
    expectException<CInvalidArgumentException>([&] { pool.free(0xFFFFFFFFu); }, "Cannot free an element outside array range\n", poolFile, 120);
    EXPECT_EQ(pool.getSlotCount(), 3u);
    EXPECT_EQ(pool.getFreeCount(), 1u);
    EXPECT_EQ(pool.get(0), &a);
    EXPECT_EQ(pool.get(2), &c);
    EXPECT_EQ(pool.add(&d), 1u);
}

TEST(CPool, EmptyPoolRejectsEverything)
{
    CPool<int*> pool;
    EXPECT_EQ(pool.getSlotCount(), 0u);
    expectException<CInvalidArgumentException>([&] { pool.set(0, &a); }, "Cannot set an element outside array range\n", poolFile, 159);
    expectException<CInvalidArgumentException>([&] { pool.free(0); }, "Cannot free an element outside array range\n", poolFile, 120);
    EXPECT_EQ(pool.add(&a), 0u);
}
