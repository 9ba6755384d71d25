#include "Engine/IKernel/Types/CString.h"

#include "Engine/IKernel/CException.h"
#include "Support/ExpectException.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

using namespace Tavrin::Engine;
using TavrinTests::expectException;

namespace {

const char* const stringFile = "Engine/IKernel/Types/CString";
const char* const rangeDetails = "Argument is not in string range\n";

// The case rules written out by ranges, apart from the tables' own form.
int expectedLower(int c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if ((c >= 192 && c <= 214) || (c >= 216 && c <= 222))
        return c + 32;
    return c;
}

int expectedUpper(int c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if ((c >= 224 && c <= 246) || (c >= 248 && c <= 254))
        return c - 32;
    return c;
}

void expectOwnedEmpty(const CString& text)
{
    EXPECT_EQ(text.getLength(), 0);
    ASSERT_NE(text.getData(), nullptr);
    EXPECT_EQ(text.getData()[0], '\0');
}

} // namespace

TEST(CString, CaseTablesFollowTheLatin1Rule)
{
    for (int c = 0; c < 256; ++c)
    {
        EXPECT_EQ(CString::s_lowerCaseTable[c], expectedLower(c)) << "byte " << c;
        EXPECT_EQ(CString::s_upperCaseTable[c], expectedUpper(c)) << "byte " << c;
    }
    // The upper table undoes the lower one on every letter it folds.
    for (int c = 0; c < 256; ++c)
    {
        if (CString::s_lowerCaseTable[c] != c)
        {
            EXPECT_EQ(CString::s_upperCaseTable[CString::s_lowerCaseTable[c]], c) << "byte " << c;
        }
    }
}

TEST(CString, ConstructFromText)
{
    CString none(nullptr, 1);
    EXPECT_EQ(none.getData(), nullptr);
    EXPECT_EQ(none.getLength(), 0);
    EXPECT_EQ(none.getUTF8(), 1u);
    expectOwnedEmpty(CString(""));

    const char* source = "abc";
    CString copy(source, 1);
    EXPECT_NE(copy.getData(), source);
    EXPECT_STREQ(copy.getData(), "abc");
    EXPECT_EQ(copy.getLength(), 3);
    EXPECT_EQ(copy.getUTF8(), 1u);
}

TEST(CString, CopyConstruct)
{
    CString source("xyz", 1);
    CString copy(source);
    EXPECT_NE(copy.getData(), source.getData());
    EXPECT_STREQ(copy.getData(), "xyz");
    EXPECT_EQ(copy.getUTF8(), 1u);
    // An empty source with a one-byte buffer gives no buffer.
    CString ownedEmpty("", 1);
    CString emptyCopy(ownedEmpty);
    EXPECT_EQ(emptyCopy.getData(), nullptr);
    EXPECT_EQ(emptyCopy.getUTF8(), 1u);
}

TEST(CString, AssignText)
{
    CString text("abcdef", 1);
    const char* buffer = text.getData();
    text = text.getData();
    EXPECT_EQ(text.getData(), buffer);
    EXPECT_STREQ(text.getData(), "abcdef");
    EXPECT_EQ(text.getUTF8(), 1u);

    // A text inside the own buffer is copied before the buffer goes.
    text = text.getData() + 2;
    EXPECT_STREQ(text.getData(), "cdef");
    EXPECT_EQ(text.getLength(), 4);
    EXPECT_EQ(text.getUTF8(), 0u);

    text.setUTF8(1);
    text = static_cast<const char*>(nullptr);
    EXPECT_EQ(text.getData(), nullptr);
    EXPECT_EQ(text.getLength(), 0);
    EXPECT_EQ(text.getUTF8(), 1u);

    text = "q";
    EXPECT_STREQ(text.getData(), "q");
    EXPECT_EQ(text.getUTF8(), 0u);
}

TEST(CString, AssignString)
{
    CString text("abc", 1);
    const CString& same = text;
    text = same;
    EXPECT_STREQ(text.getData(), "abc");

    CString target("old", 0);
    target = text;
    EXPECT_STREQ(target.getData(), "abc");
    EXPECT_NE(target.getData(), text.getData());
    EXPECT_EQ(target.getUTF8(), 1u);

    // An empty source empties the target and keeps its flag.
    CString emptySource("", 0);
    target = emptySource;
    EXPECT_EQ(target.getData(), nullptr);
    EXPECT_EQ(target.getLength(), 0);
    EXPECT_EQ(target.getUTF8(), 1u);
}

TEST(CString, Concatenate)
{
    CString left("ab", 1);
    CString withNull = left + static_cast<const char*>(nullptr);
    EXPECT_STREQ(withNull.getData(), "ab");
    EXPECT_EQ(withNull.getUTF8(), 1u);

    CString both = left + "cd";
    EXPECT_STREQ(both.getData(), "abcd");
    EXPECT_EQ(both.getLength(), 4);
    EXPECT_EQ(both.getUTF8(), 1u);

    CString emptyLeft(nullptr, 1);
    CString fromText = emptyLeft + "cd";
    EXPECT_STREQ(fromText.getData(), "cd");
    EXPECT_EQ(fromText.getUTF8(), 0u);

    CString strings = left + CString("ef", 0);
    EXPECT_STREQ(strings.getData(), "abef");
    EXPECT_EQ(strings.getUTF8(), 1u);

    CString textFirst = "xy" + left;
    EXPECT_STREQ(textFirst.getData(), "xyab");
    EXPECT_EQ(textFirst.getUTF8(), 0u);
    EXPECT_EQ((left + CString()).getLength(), 2);
}

TEST(CString, Append)
{
    CString text("ab", 1);
    text += static_cast<const char*>(nullptr);
    EXPECT_STREQ(text.getData(), "ab");
    text += "cd";
    EXPECT_STREQ(text.getData(), "abcd");
    EXPECT_EQ(text.getLength(), 4);
    EXPECT_EQ(text.getUTF8(), 1u);
    text += text.getData();
    EXPECT_STREQ(text.getData(), "abcdabcd");
    text += text;
    EXPECT_EQ(text.getLength(), 16);

    CString empty(nullptr, 1);
    empty += "xy";
    EXPECT_STREQ(empty.getData(), "xy");
    EXPECT_EQ(empty.getUTF8(), 1u);
}

TEST(CString, Format)
{
    CString text("previous", 1);
    text.format("%d-%s", 7, "x");
    EXPECT_STREQ(text.getData(), "7-x");
    EXPECT_EQ(text.getLength(), 3);
    EXPECT_EQ(text.getUTF8(), 1u);

    text.format("%s", "");
    EXPECT_EQ(text.getData(), nullptr);
    EXPECT_EQ(text.getLength(), 0);

    text = "abc";
    text.format(nullptr);
    EXPECT_EQ(text.getData(), nullptr);
    EXPECT_EQ(text.getLength(), 0);

    // Formatting the own text into itself.
    text = "abc";
    text.format("[%s|%s]", text.c_str(), text.getData() + 1);
    EXPECT_STREQ(text.getData(), "[abc|bc]");

    CString wide;
    wide.format("%05.1f%%", 2.25);
    EXPECT_STREQ(wide.getData(), "002.2%");
}

TEST(CString, FormatFailureLeavesAValidEmptyString)
{
    // A lone surrogate cannot be converted to bytes: glibc reports the
    // failure (-1); other runtimes may skip the character instead. Either
    // way the string must follow what the runtime measured.
    wchar_t invalid[2] = {static_cast<wchar_t>(0xD800), 0};
    int measured = snprintf(nullptr, 0, "a%lsb", invalid);
    CString text("previous");
    text.format("a%lsb", invalid);
    if (measured < 0)
    {
        EXPECT_EQ(text.getData(), nullptr);
        EXPECT_EQ(text.getLength(), 0);
    }
    else
    {
        EXPECT_EQ(text.getLength(), measured);
        ASSERT_NE(text.getData(), nullptr);
        EXPECT_EQ(text.getData()[measured], '\0');
    }
    // The string stays usable.
    text += "z";
    EXPECT_EQ(text.getLength(), (measured < 0 ? 0 : measured) + 1);
}

TEST(CString, LeftTakesHeadOrTail)
{
    CString text("abcdef", 1);
    EXPECT_STREQ(text.left(3).c_str(), "abc");
    EXPECT_STREQ(text.left(-2).c_str(), "ef");
    EXPECT_STREQ(text.left(10).c_str(), "abcdef");
    EXPECT_STREQ(text.left(-10).c_str(), "abcdef");
    EXPECT_EQ(text.left(3).getUTF8(), 1u);
    EXPECT_EQ(text.left(-2).getUTF8(), 1u);
    expectOwnedEmpty(text.left(0));
    EXPECT_EQ(CString().left(3).getData(), nullptr);
    EXPECT_EQ(CString("").left(-3).getData(), nullptr);
    EXPECT_STREQ(text.left(INT32_MIN).c_str(), "abcdef");
    EXPECT_STREQ(text.left(INT32_MAX).c_str(), "abcdef");
    EXPECT_STREQ(text.left(INT32_MIN + 1).c_str(), "abcdef");
}

TEST(CString, SubStringBoundsAreInclusive)
{
    CString text("abcdef", 1);
    CString middle = text.subString(1, 3);
    EXPECT_STREQ(middle.getData(), "bcd");
    EXPECT_EQ(middle.getUTF8(), 1u);
    EXPECT_STREQ(text.subString(0, 5).getData(), "abcdef");
    EXPECT_STREQ(text.subString(5, 5).getData(), "f");
    EXPECT_EQ(text.subString(2, 1).getData(), nullptr);
    EXPECT_EQ(text.subString(6, 5).getData(), nullptr);
    EXPECT_EQ(CString().subString(0, -1).getData(), nullptr);
}

TEST(CString, SubStringOutOfRangeThrowsAndChangesNothing)
{
    CString text("abcdef", 1);
    const char* buffer = text.getData();
    expectException<CInvalidArgumentException>([&] { text.subString(0, 6); }, rangeDetails, stringFile, 410);
    expectException<CInvalidArgumentException>([&] { text.subString(-1, 2); }, rangeDetails, stringFile, 410);
    expectException<CInvalidArgumentException>([&] { text.subString(INT32_MIN, INT32_MAX); }, rangeDetails, stringFile, 410);
    expectException<CInvalidArgumentException>([&] { CString().subString(0, 0); }, rangeDetails, stringFile, 410);
    EXPECT_EQ(text.getData(), buffer);
    EXPECT_STREQ(text.getData(), "abcdef");
    EXPECT_EQ(text.getLength(), 6);
    EXPECT_EQ(text.getUTF8(), 1u);
}

TEST(CString, ToLowerMapsEveryByteThroughTheTable)
{
    EXPECT_STREQ(CString("ABC").toLower().getData(), "abc");
    EXPECT_STREQ(CString("\xC4\xD7").toLower().getData(), "\xE4\xD7");
    EXPECT_EQ(CString().toLower().getData(), nullptr);
    EXPECT_EQ(CString("").toLower().getData(), nullptr);

    char all[256];
    for (int c = 1; c < 256; ++c)
        all[c - 1] = static_cast<char>(c);
    all[255] = '\0';
    CString lower = CString(all, 1).toLower();
    ASSERT_EQ(lower.getLength(), 255);
    EXPECT_EQ(lower.getUTF8(), 1u);
    for (int c = 1; c < 256; ++c)
        EXPECT_EQ(static_cast<unsigned char>(lower.getData()[c - 1]), expectedLower(c)) << "byte " << c;
}

TEST(CString, ToWide)
{
    int32_t length = -1;
    uint16_t* wide = CString("A\xE9\xFF").toWide(&length);
    ASSERT_EQ(length, 3);
    EXPECT_EQ(wide[0], 0x41);
    EXPECT_EQ(wide[1], 0xE9);
    EXPECT_EQ(wide[2], 0xFF);
    EXPECT_EQ(wide[3], 0);
    free(wide);

    // U+00E9, U+20AC and U+1F600 (a surrogate pair).
    wide = CString("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 1).toWide(&length);
    ASSERT_EQ(length, 4);
    EXPECT_EQ(wide[0], 0xE9);
    EXPECT_EQ(wide[1], 0x20AC);
    EXPECT_EQ(wide[2], 0xD83D);
    EXPECT_EQ(wide[3], 0xDE00);
    EXPECT_EQ(wide[4], 0);
    free(wide);

    wide = CString().toWide(&length);
    EXPECT_EQ(length, 0);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide[0], 0);
    free(wide);
}

TEST(CString, FindIsCaseInsensitive)
{
    CString text("abcdef");
    EXPECT_EQ(text.find(CString("CD"), 0), 2);
    EXPECT_EQ(text.find(CString("cd"), 3), -1);
    EXPECT_EQ(text.find(CString("cd"), 2), 2);
    EXPECT_EQ(text.find(CString("abcdefg"), 0), -1);
    EXPECT_EQ(text.find(CString("ABCDEF"), 0), 0);
    EXPECT_EQ(text.find(CString("f"), 5), 5);
    EXPECT_EQ(text.find(CString("efg"), 0), -1);
    EXPECT_EQ(text.find(CString("a"), 6), -1);
    EXPECT_EQ(text.find(CString("a"), INT32_MAX), -1);
    EXPECT_EQ(text.find(CString(), 0), -1);
    EXPECT_EQ(text.find(CString(""), 0), -1);
    EXPECT_EQ(CString().find(CString("a"), 0), -1);
    EXPECT_EQ(CString("caf\xC9").find(CString("\xE9"), 0), 3);
    EXPECT_EQ(CString("a\xD7").find(CString("\xF7"), 0), -1);
}

TEST(CString, FindWithANegativeStartSearchesFromTheBeginning)
{
    CString text("abcabc");
    EXPECT_EQ(text.find(CString("ab"), -1), 0);
    EXPECT_EQ(text.find(CString("bc"), -100), 1);
    EXPECT_EQ(text.find(CString("c"), INT32_MIN), 2);
    EXPECT_EQ(text.find(CString("x"), -1), -1);
}

TEST(CString, Replace)
{
    EXPECT_STREQ(CString("abcABab").replace(CString("ab"), CString("X")).getData(), "XcXX");
    EXPECT_STREQ(CString("aaa").replace(CString("aa"), CString("b")).getData(), "ba");
    EXPECT_STREQ(CString("a.b.c").replace(CString("."), CString()).getData(), "abc");
    // The replacement is inserted unchanged and never searched again.
    EXPECT_STREQ(CString("xAx").replace(CString("a"), CString("aA")).getData(), "xaAx");
    CString unchanged("abc", 1);
    CString copy = unchanged.replace(CString("z"), CString("y"));
    EXPECT_STREQ(copy.getData(), "abc");
    EXPECT_NE(copy.getData(), unchanged.getData());
    EXPECT_STREQ(unchanged.replace(CString(), CString("y")).getData(), "abc");
    EXPECT_EQ(unchanged.replace(CString(), CString("y")).getUTF8(), 1u);
    EXPECT_EQ(CString().replace(CString("a"), CString("b")).getData(), nullptr);
    EXPECT_STREQ(CString("abc").replace(CString("abc"), CString("")).c_str(), "");
}

TEST(CString, EmptyInstanceHoldsNothing)
{
    EXPECT_EQ(CString::empty().getData(), nullptr);
    EXPECT_EQ(CString::empty().getLength(), 0);
    EXPECT_EQ(CString::empty().getUTF8(), 0u);
}
