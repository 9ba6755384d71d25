#include "Engine/IInput/CKeyNameMaps.h"
#include "Engine/IInput/CKeyNames.h"
#include "Engine/IKernel/Maths/Hash.h"
#include "Engine/IKernel/Patterns/CNameDictionary.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace Tavrin::Engine;

namespace {

CArray<TKeyCode> codes(std::initializer_list<int32_t> list)
{
    CArray<TKeyCode> result;
    for (int32_t code : list)
        result.add(static_cast<TKeyCode>(code));
    return result;
}

std::string lower(const char* text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(CString::s_lowerCaseTable[static_cast<unsigned char>(c)]);
    return result;
}

} // namespace

TEST(CKeyNamesTest, TableHas166UniqueEntriesInItsFixedOrderThenTheSentinel)
{
    std::set<int32_t> seenCodes;
    std::set<std::string> seenNames;
    uint32_t count = 0;
    while (s_keyNameTable[count].code != C_KEY_NONE)
    {
        EXPECT_TRUE(seenCodes.insert(s_keyNameTable[count].code).second) << s_keyNameTable[count].name;
        EXPECT_TRUE(seenNames.insert(lower(s_keyNameTable[count].name)).second) << s_keyNameTable[count].name;
        EXPECT_GE(s_keyNameTable[count].code, 0);
        EXPECT_LT(s_keyNameTable[count].code, C_KEY_COUNT);
        ++count;
    }
    EXPECT_EQ(count, C_KEY_NAME_COUNT);
    EXPECT_STREQ(s_keyNameTable[count].name, "");

    // The first entry of every group, and the last entry.
    struct
    {
        uint32_t index;
        const char* name;
        int32_t code;
    } anchors[] = {{0, "MouseAxisX", 256},         {5, "MouseButtonLeft", 1}, {10, "Joystick0Button0", 356},
                   {35, "Joystick0Arrow3", 381},   {36, "Joystick1Button0", 456}, {61, "Joystick1Arrow3", 481},
                   {62, "a", 0x41},                {87, "z", 0x5A},           {88, "0", 0x30},
                   {98, "F1", 0x70},               {110, "KeyPad0", 0x60},    {120, "KeyPadMultiply", 0x6A},
                   {128, "LeftCtrl", 0xA2},        {164, "KeyPadEnter", 261}, {165, "Command", 0x5B}};
    for (const auto& anchor : anchors)
    {
        EXPECT_STREQ(s_keyNameTable[anchor.index].name, anchor.name);
        EXPECT_EQ(s_keyNameTable[anchor.index].code, anchor.code) << anchor.name;
    }
    EXPECT_STREQ(s_keyKindNames[C_KEY_KIND_UNKNOWN], "Unknown");
    EXPECT_STREQ(s_keyKindNames[C_KEY_KIND_ARROW], "Arrow");
}

TEST(CKeyNamesTest, KeyNamesReadBackInLowerCase)
{
    CKeyNameMaps maps;
    EXPECT_EQ(maps.getCount(), C_KEY_NAME_COUNT);
    struct
    {
        int32_t code;
        const char* name;
    } cases[] = {{0xA2, "leftctrl"},         {261, "keypadenter"}, {481, "joystick1arrow3"}, {359, "joystick0button3"},
                 {259, "mousewheelup"},      {0x74, "f5"},         {0x41, "a"},               {0x7C, ""},
                 {0x5C, ""},                 {3, ""},              {556, ""},                 {-1, ""},
                 {C_KEY_COUNT, ""}};
    for (const auto& entry : cases)
        EXPECT_STREQ(maps.keyName(static_cast<TKeyCode>(entry.code)).c_str(), entry.name) << entry.code;
}

TEST(CKeyNamesTest, BuildingInternsTheLowerCaseTextUnlessTheIdAlreadyHasOne)
{
    // Names no other test interns: the dictionary holds nothing for them yet.
    static const SKeyName table[] = {{"FreshKeyName", TKeyCode(10)}, {"SecondKeyName", TKeyCode(11)}, {"", C_KEY_NONE}};
    uint32_t earlier = internName("SECONDKEYNAME");
    CKeyNameMaps maps(table);
    EXPECT_STREQ(nameText(hashName(CString("FreshKeyName"))).c_str(), "freshkeyname");
    EXPECT_STREQ(maps.keyName(TKeyCode(10)).c_str(), "freshkeyname");
    EXPECT_EQ(maps.getNameId(TKeyCode(11)), earlier);
    EXPECT_STREQ(maps.keyName(TKeyCode(11)).c_str(), "SECONDKEYNAME");
}

TEST(CKeyNamesTest, LaterEntriesOverwriteAndAnEmptyTableAddsNothing)
{
    static const SKeyName empty[] = {{"", C_KEY_NONE}};
    CKeyNameMaps none(empty);
    EXPECT_EQ(none.getCount(), 0u);
    EXPECT_STREQ(none.keyName(TKeyCode(0xA2)).c_str(), "");

    static const SKeyName twice[] = {{"OverwrittenKey", TKeyCode(20)}, {"overwrittenkey", TKeyCode(21)}, {"", C_KEY_NONE}};
    CKeyNameMaps maps(twice);
    EXPECT_EQ(maps.findKeyCode(CString("OverwrittenKey")), TKeyCode(21));
    EXPECT_EQ(maps.getNameId(TKeyCode(20)), maps.getNameId(TKeyCode(21)));
}

TEST(CKeyNamesTest, FindKeyCodeIgnoresLetterCase)
{
    CKeyNameMaps maps;
    struct
    {
        const char* name;
        int32_t code;
    } cases[] = {{"leftctrl", 0xA2}, {"LEFTCTRL", 0xA2}, {"LeftCtrl", 0xA2}, {"KeyPadEnter", 261},
                 {"JOYSTICK1ARROW3", 481}, {"f12", 0x7B}, {"", -1}, {"leftctr", -1}, {"F13", -1}};
    for (const auto& entry : cases)
        EXPECT_EQ(maps.findKeyCode(CString(entry.name)), entry.code) << entry.name;
}

TEST(CKeyNamesTest, FormatKeysJoinsNamesWithTheSeparator)
{
    CKeyNameMaps maps;
    CString plus("+");
    struct
    {
        CArray<TKeyCode> keys;
        const char* separator;
        const char* expected;
    } cases[] = {
        {codes({}), "+", ""},
        {codes({0xA2, 0x41}), "+", "leftctrl + a"},
        {codes({0x41}), "+", "a"},
        {codes({0xA4, 0x0D, 258, 259}), "+", "leftalt + return + mousewheel + mousewheelup"},
        // A nameless first key adds nothing, so no separator follows it...
        {codes({0x7C, 0x41}), "+", "a"},
        // ...but a nameless later key still brings its separator.
        {codes({0x41, 0x7C}), "+", "a + "},
        {codes({0x41, 0x42}), "and", "a and b"},
    };
    for (const auto& entry : cases)
        EXPECT_STREQ(maps.formatKeys(entry.keys, CString(entry.separator)).c_str(), entry.expected);
}

TEST(CKeyNamesTest, JoystickArrowsAreTheLastFourCodesOfJoysticksZeroAndOne)
{
    for (int32_t code : {378, 379, 380, 381, 478, 479, 480, 481})
        EXPECT_TRUE(isJoystickArrow(TKeyCode(code))) << code;
    for (int32_t code : {-1, 0, 377, 382, 477, 482, 578, 581})
        EXPECT_FALSE(isJoystickArrow(TKeyCode(code))) << code;
}
