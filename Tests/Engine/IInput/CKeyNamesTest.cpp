#include "Engine/IInput/CKeyNameMaps.h"
#include "Engine/IInput/CKeyNames.h"
#include "Engine/IKernel/Maths/Hash.h"
#include "Engine/IKernel/Patterns/CNameDictionary.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

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

typedef std::vector<std::pair<std::string, int32_t>> TNamedCodes;

// name + (first .. first + count - 1), on consecutive codes from code.
void addRange(TNamedCodes& table, const std::string& name, int first, int count, int32_t code)
{
    for (int i = 0; i < count; ++i)
        table.emplace_back(name + std::to_string(first + i), code + i);
}

// The key-name table written out group by group, kept apart from the
// engine's own copy so that a wrong or swapped entry shows.
TNamedCodes expectedKeyNames()
{
    TNamedCodes table = {{"MouseAxisX", 256},       {"MouseAxisY", 257},       {"MouseWheel", 258},
                         {"MouseWheelUp", 259},     {"MouseWheelDown", 260},   {"MouseButtonLeft", 1},
                         {"MouseButtonRight", 2},   {"MouseButtonMiddle", 4},  {"MouseButtonX1", 5},
                         {"MouseButtonX2", 6}};
    for (int j = 0; j < 2; ++j)
    {
        std::string joystick = "Joystick" + std::to_string(j);
        addRange(table, joystick + "Button", 0, 16, 356 + 100 * j);
        addRange(table, joystick + "Axis", 0, 6, 372 + 100 * j);
        addRange(table, joystick + "Arrow", 0, 4, 378 + 100 * j);
    }
    for (int i = 0; i < 26; ++i)
        table.emplace_back(std::string(1, static_cast<char>('a' + i)), 0x41 + i);
    for (int i = 0; i < 10; ++i)
        table.emplace_back(std::string(1, static_cast<char>('0' + i)), 0x30 + i);
    addRange(table, "F", 1, 12, 0x70);
    addRange(table, "KeyPad", 0, 10, 0x60);
    const TNamedCodes rest = {
        {"KeyPadMultiply", 0x6A}, {"Equal", 0xBB},       {"Separator", 0xDC},    {"Subtract", 0xBD},     {"Decimal", 0xBE},
        {"Divide", 0xBF},         {"Space", 0x20},       {"Return", 0x0D},       {"LeftCtrl", 0xA2},     {"RightCtrl", 0xA3},
        {"LeftShift", 0xA0},      {"RightShift", 0xA1},  {"LeftAlt", 0xA4},      {"RightAlt", 0xA5},     {"Up", 0x26},
        {"Down", 0x28},           {"Left", 0x25},        {"Right", 0x27},        {"Numlock", 0x90},      {"Capslock", 0x14},
        {"Escape", 0x1B},         {"PageUp", 0x21},      {"PageDown", 0x22},     {"End", 0x23},          {"Home", 0x24},
        {"Insert", 0x2D},         {"Delete", 0x2E},      {"Help", 0x2F},         {"Tab", 0x09},          {"Backspace", 0x08},
        {"Print", 0x2A},          {"Scroll", 0x91},      {"Pause", 0x13},        {"LeftBracket", 0xDB},  {"RightBracket", 0xDD},
        {"Quote", 0xDE},          {"SemiColon", 0xBA},   {"Comma", 0xBC},        {"Tilde", 0xC0},        {"KeyPadDecimal", 0x6E},
        {"KeyPadPlus", 0x6B},     {"KeyPadClear", 0x0C}, {"KeyPadDivide", 0x6F}, {"KeyPadMinus", 0x6D},  {"KeyPadEnter", 261},
        {"Command", 0x5B}};
    table.insert(table.end(), rest.begin(), rest.end());
    return table;
}

} // namespace

TEST(CKeyNamesTest, WholeTableInOrderAndNoOtherCodeHasAName)
{
    const TNamedCodes expected = expectedKeyNames();
    ASSERT_EQ(expected.size(), 166u);
    TNamedCodes actual;
    for (uint32_t i = 0; i <= C_KEY_NAME_COUNT && s_keyNameTable[i].code != C_KEY_NONE; ++i)
        actual.emplace_back(s_keyNameTable[i].name, s_keyNameTable[i].code);
    EXPECT_EQ(actual, expected);
    EXPECT_STREQ(s_keyNameTable[C_KEY_NAME_COUNT].name, "");
    EXPECT_EQ(s_keyNameTable[C_KEY_NAME_COUNT].code, C_KEY_NONE);

    std::map<int32_t, std::string> names;
    for (const auto& entry : expected)
        names[entry.second] = lower(entry.first.c_str());
    CKeyNameMaps maps;
    for (int32_t code = -5; code <= 700; ++code)
        EXPECT_EQ(maps.keyName(static_cast<TKeyCode>(code)).c_str(), names.count(code) ? names[code] : "") << code;
}

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
