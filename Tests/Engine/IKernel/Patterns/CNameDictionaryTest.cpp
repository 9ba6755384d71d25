#include "Engine/IKernel/Maths/Hash.h"
#include "Engine/IKernel/Patterns/CNameDictionary.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Tavrin::Engine;

namespace {

TEST(CNameDictionaryTest, EmptyNamesAndNoIdsGiveNothing)
{
    EXPECT_EQ(0u, internName(static_cast<const char*>(nullptr)));
    EXPECT_EQ(0u, internName(""));
    EXPECT_EQ(0u, internName(CString()));
    EXPECT_TRUE(nameText(0).isEmpty());
    EXPECT_TRUE(nameText(0xFFFFFFFF).isEmpty());
    EXPECT_TRUE(nameText(hashName(CString("dictionary never saw this"))).isEmpty());
}

TEST(CNameDictionaryTest, TextsComeBackUnderTheLowerCaseHash)
{
    const char* names[] = {"leftctrl", "Joystick #0:", "a", "\xC9tude Caf\xC9", "Unknown_1f2e3d"};
    for (const char* name : names)
    {
        SCOPED_TRACE(name);
        // Independent reference: the plain byte hash of the lower-cased text.
        char lowered[64];
        size_t length = strlen(name);
        for (size_t i = 0; i <= length; ++i)
            lowered[i] = static_cast<char>(CString::s_lowerCaseTable[static_cast<unsigned char>(name[i])]);
        uint32_t id = internName(name);
        EXPECT_EQ(hashBytes(lowered, static_cast<uint32_t>(length)), id);
        EXPECT_STREQ(name, nameText(id).c_str());
        EXPECT_EQ(id, internName(CString(name)));
    }
}

TEST(CNameDictionaryTest, IdsIgnoreLetterCaseAndTheFirstTextStays)
{
    uint32_t first = internName("DictionaryFoo");
    EXPECT_EQ(first, internName("DICTIONARYFOO"));
    EXPECT_EQ(first, internName("dictionaryfoo"));
    EXPECT_STREQ("DictionaryFoo", nameText(first).c_str());
    EXPECT_NE(first, internName("DictionaryFoo "));
}

TEST(CNameDictionaryTest, ManyNamesSurviveTheTableGrowing)
{
    char text[32];
    uint32_t ids[2000];
    for (int i = 0; i < 2000; ++i)
    {
        snprintf(text, sizeof(text), "grow_%d", i);
        ids[i] = internName(text);
    }
    for (int i = 0; i < 2000; ++i)
    {
        snprintf(text, sizeof(text), "grow_%d", i);
        ASSERT_STREQ(text, nameText(ids[i]).c_str());
    }
}

} // namespace
