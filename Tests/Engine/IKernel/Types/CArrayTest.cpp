#include "Engine/IKernel/Types/CArray.h"

#include "Engine/IKernel/Types/CString.h"
#include "Support/ExpectException.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Tavrin::Engine;
using TavrinTests::expectException;

namespace {

const char* const arrayFile = "Engine/IKernel/Types/CArray";
const char* const arrayDetails = "Accessing array element outside range\n";

// Records constructions and destructions by id, in order.
struct SRecorded
{
    static std::vector<int> s_destroyed;
    static int s_copies;

    int id = -1;
    SRecorded() = default;
    explicit SRecorded(int value) : id(value) {}
    SRecorded(const SRecorded& other) : id(other.id) { ++s_copies; }
    SRecorded& operator=(const SRecorded& other) = default;
    ~SRecorded() { s_destroyed.push_back(id); }
};

std::vector<int> SRecorded::s_destroyed;
int SRecorded::s_copies = 0;

void resetRecords()
{
    SRecorded::s_destroyed.clear();
    SRecorded::s_copies = 0;
}

} // namespace

TEST(CArray, ConstructEmptyOrSized)
{
    CArray<int> empty;
    EXPECT_EQ(empty.getData(), nullptr);
    EXPECT_EQ(empty.getCount(), 0u);
    EXPECT_EQ(empty.getCapacity(), 0u);

    CArray<int> none(0);
    EXPECT_EQ(none.getData(), nullptr);
    EXPECT_EQ(none.getCapacity(), 0u);

    // Exactly n elements, each default-constructed (null pointers).
    CArray<void*> pointers(5);
    EXPECT_EQ(pointers.getCount(), 5u);
    EXPECT_EQ(pointers.getCapacity(), 5u);
    for (uint64_t i = 0; i < 5; ++i)
        EXPECT_EQ(pointers[i], nullptr);
    CArray<CString> strings(3);
    EXPECT_EQ(strings[2].getData(), nullptr);
}

TEST(CArray, AddGrowsByDoublingFromOne)
{
    CArray<int> values;
    const uint64_t expected[] = {1, 2, 4, 4, 8};
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(values.add(i * 10), uint64_t(i));
        EXPECT_EQ(values.getCapacity(), expected[i]) << "after " << i + 1;
    }
    for (int i = 5; i < 1000; ++i)
    {
        values.add(i * 10);
        uint64_t power = 1;
        while (power < uint64_t(i + 1))
            power *= 2;
        ASSERT_EQ(values.getCapacity(), power) << "after " << i + 1;
    }
    EXPECT_EQ(values.getCount(), 1000u);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(values[i], i * 10);
}

TEST(CArray, AddOfAnOwnElementWhileGrowing)
{
    CArray<CString> strings;
    strings.add(CString("first"));
    strings.add(CString("second"));
    ASSERT_EQ(strings.getCount(), strings.getCapacity());
    strings.add(strings[0]);
    EXPECT_STREQ(strings[2].getData(), "first");
    EXPECT_NE(strings[2].getData(), strings[0].getData());
}

TEST(CArray, SetCountGrowsWithoutConstructing)
{
    CArray<int> values;
    values.setCount(3);
    EXPECT_EQ(values.getCount(), 3u);
    EXPECT_EQ(values.getCapacity(), 4u);
    values.setCount(1);
    EXPECT_EQ(values.getCount(), 1u);
    EXPECT_EQ(values.getCapacity(), 4u);
    values.setCount(9);
    EXPECT_EQ(values.getCapacity(), 16u);
    values.setCount(0);
    EXPECT_EQ(values.getCapacity(), 16u);
    EXPECT_NE(values.getData(), nullptr);

    resetRecords();
    {
        CArray<SRecorded> records;
        records.add(SRecorded(1));
        records.add(SRecorded(2));
        resetRecords();
        records.setCount(1);
        EXPECT_TRUE(SRecorded::s_destroyed.empty());
        // The dropped element is not destroyed; put the count back so that
        // the array's destruction balances.
        records.setCount(2);
    }
    EXPECT_EQ(SRecorded::s_destroyed, (std::vector<int>{1, 2}));
}

TEST(CArray, CopyIsExactSize)
{
    CArray<int> source;
    for (int i = 0; i < 5; ++i)
        source.add(i);
    CArray<int> copy(source);
    EXPECT_EQ(copy.getCount(), 5u);
    EXPECT_EQ(copy.getCapacity(), 5u);
    EXPECT_NE(copy.getData(), source.getData());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(copy[i], i);

    CArray<CString> strings;
    strings.add(CString("a"));
    strings.add(CString("b"));
    CArray<CString> stringCopy(strings);
    EXPECT_STREQ(stringCopy[1].getData(), "b");
    EXPECT_NE(stringCopy[1].getData(), strings[1].getData());

    CArray<int> emptied;
    emptied.setCount(4);
    emptied.setCount(0);
    CArray<int> emptyCopy(emptied);
    EXPECT_EQ(emptyCopy.getData(), nullptr);
    EXPECT_EQ(emptyCopy.getCapacity(), 0u);
}

TEST(CArray, RemoveAtKeepsOrder)
{
    CArray<CString> strings;
    for (const char* text : {"a", "b", "c", "d"})
        strings.add(CString(text));
    strings.removeAt(1);
    ASSERT_EQ(strings.getCount(), 3u);
    EXPECT_STREQ(strings[0].getData(), "a");
    EXPECT_STREQ(strings[1].getData(), "c");
    EXPECT_STREQ(strings[2].getData(), "d");
    strings.removeAt(CArray<CString>::C_NOT_FOUND);
    EXPECT_EQ(strings.getCount(), 3u);
    strings.removeAt(2);
    EXPECT_EQ(strings.getCount(), 2u);
    EXPECT_EQ(strings.getCapacity(), 4u);
    EXPECT_EQ(strings.indexOf(CString("c")), 1u);
    EXPECT_EQ(strings.indexOf(CString("d")), CArray<CString>::C_NOT_FOUND);
}

TEST(CArray, ClearAndDestroyGoUpward)
{
    resetRecords();
    {
        CArray<SRecorded> records;
        for (int i = 0; i < 3; ++i)
            records.add(SRecorded(i));
        resetRecords();
        records.clear();
        EXPECT_EQ(SRecorded::s_destroyed, (std::vector<int>{0, 1, 2}));
        EXPECT_EQ(records.getCount(), 0u);
        EXPECT_EQ(records.getCapacity(), 4u);
        records.add(SRecorded(7));
        records.add(SRecorded(8));
        resetRecords();
    }
    EXPECT_EQ(SRecorded::s_destroyed, (std::vector<int>{7, 8}));
}

TEST(CArray, CheckedAccessThrowsOutsideTheRange)
{
    CArray<int> values;
    expectException<CInvalidArgumentException>([&] { values.at(0); }, arrayDetails, arrayFile, 1014);
    values.add(5);
    values.add(6);
    EXPECT_EQ(values.at(1), 6);
    values.at(0) = 9;
    expectException<CInvalidArgumentException>([&] { values.at(2); }, arrayDetails, arrayFile, 1014);
    expectException<CInvalidArgumentException>([&] { values.at(~uint64_t(0)); }, arrayDetails, arrayFile, 1014);
    const CArray<int>& constant = values;
    EXPECT_EQ(constant.at(0), 9);
    expectException<CInvalidArgumentException>([&] { constant.at(uint64_t(1) << 40); }, arrayDetails, arrayFile, 1014);
    EXPECT_EQ(values.getCount(), 2u);
    EXPECT_EQ(values.getCapacity(), 2u);
    EXPECT_EQ(values[0], 9);
    EXPECT_EQ(values[1], 6);
}
