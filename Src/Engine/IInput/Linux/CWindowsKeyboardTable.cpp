#include "Engine/IInput/Linux/CWindowsKeyboardTable.h"

namespace Tavrin {
namespace Engine {

namespace {

const uint32_t C_FIRST_DIGIT = 1;
const uint32_t C_DIGIT_COUNT = 10;
// Keys other than letters that may differ between a backend's keymap and
// Windows' table of the same layout: an accent typed plainly, another symbol
// on the key left of Z.
const int32_t C_MAX_MISMATCHES = 3;
const char32_t C_LAST_CHARACTER = 0x10FFFF;

// Each kind of key in the data file, by the character of the US key that has
// that virtual key.
TKeyCode virtualKey(char key)
{
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return static_cast<TKeyCode>(key);
    static const char C_KEYS[] = "`-=[];'\\<,./!";
    static const uint8_t C_CODES[] = {0xC0, 0xBD, 0xBB, 0xDB, 0xDD, 0xBA, 0xDE, 0xDC, 0xE2, 0xBC, 0xBE, 0xBF, 0xDF};
    for (size_t i = 0; i < sizeof(C_CODES); ++i)
        if (C_KEYS[i] == key)
            return static_cast<TKeyCode>(C_CODES[i]);
    return C_KEY_NONE;
}

// Letters of the scripts the tables cover, and Armenian and Georgian:
// characters that name what a key is, so no table may disagree on them.
// Presentation forms are left out: a backend may type a ligature as one.
bool isLetter(char32_t character)
{
    static const char32_t C_RANGES[][2] = {
        {'a', 'z'},       {'A', 'Z'},       {0xC0, 0xD6},     {0xD8, 0xF6},     {0xF8, 0x24F},
        {0x386, 0x386},   {0x388, 0x3FF},   {0x400, 0x52F},   {0x531, 0x587},   {0x5D0, 0x5EA},
        {0x620, 0x64A},   {0x671, 0x6D3},   {0x10A0, 0x10FF},
    };
    for (const auto& range : C_RANGES)
        if (character >= range[0] && character <= range[1])
            return true;
    return false;
}

// SDL gives a key that types no character a keycode with its scancode bit.
char32_t typedCharacter(SDL_Keycode key)
{
    if (key <= 0 || (key & SDLK_SCANCODE_MASK) != 0 || static_cast<char32_t>(key) > C_LAST_CHARACTER)
        return CWindowsKeyboardTable::C_NO_CHARACTER;
    return static_cast<char32_t>(key);
}

bool isDigitRow(uint32_t key)
{
    return key >= C_FIRST_DIGIT && key < C_FIRST_DIGIT + C_DIGIT_COUNT;
}

} // namespace

template <size_t CHARACTER_COUNT, size_t KEY_COUNT>
CWindowsKeyboardTable::CWindowsKeyboardTable(const char* name, const char32_t (&characters)[CHARACTER_COUNT],
                                             const char (&keys)[KEY_COUNT])
    : m_name(name), m_characters(characters), m_keys(keys)
{
    static_assert(CHARACTER_COUNT == C_KEY_COUNT + 1, "a table gives one character per key");
    static_assert(KEY_COUNT == C_KEY_COUNT + 1, "a table gives one virtual key per key");
}

// The data names each table's source for its readers.
#define TAVRIN_WINDOWS_TABLE(name, source, characters, keys) CWindowsKeyboardTable(name, characters, keys),
const CWindowsKeyboardTable CWindowsKeyboardTable::C_TABLES[] = {
#include "Engine/IInput/Linux/WindowsKeyboardTables.inc"
};
#undef TAVRIN_WINDOWS_TABLE

const CWindowsKeyboardTable* CWindowsKeyboardTable::match(const SDL_Keycode* characters)
{
    const CWindowsKeyboardTable* best = nullptr;
    int32_t bestDistance = 0;
    for (const CWindowsKeyboardTable& table : C_TABLES)
    {
        int32_t distance = table._distance(characters);
        if (distance >= 0 && (best == nullptr || distance < bestDistance))
        {
            best = &table;
            bestDistance = distance;
        }
    }
    return best;
}

uint32_t CWindowsKeyboardTable::count()
{
    return static_cast<uint32_t>(sizeof(C_TABLES) / sizeof(C_TABLES[0]));
}

const CWindowsKeyboardTable& CWindowsKeyboardTable::at(uint32_t index)
{
    return C_TABLES[index];
}

const char* CWindowsKeyboardTable::name() const
{
    return m_name;
}

char32_t CWindowsKeyboardTable::character(uint32_t key) const
{
    return m_characters[key];
}

TKeyCode CWindowsKeyboardTable::code(uint32_t key) const
{
    return virtualKey(m_keys[key]);
}

int32_t CWindowsKeyboardTable::_distance(const SDL_Keycode* characters) const
{
    int32_t mismatches = 0;
    int32_t distance = 0;
    for (uint32_t key = 0; key < C_KEY_COUNT; ++key)
    {
        char32_t mine = m_characters[key];
        char32_t theirs = typedCharacter(characters[key]);
        if (isDigitRow(key) || mine == theirs)
            continue;
        TKeyCode code = virtualKey(m_keys[key]);
        bool letter = isLetter(mine) || isLetter(theirs) || (code >= 'A' && code <= 'Z');
        // A key typing nothing (a ligature of ours among them) tells nothing,
        // but may not stand for a letter.
        if (letter && (mine != C_NO_CHARACTER || isLetter(theirs)))
            return -1;
        if (mine == C_NO_CHARACTER || theirs == C_NO_CHARACTER)
        {
            distance += 1;
            continue;
        }
        ++mismatches;
        distance += 2;
    }
    return mismatches > C_MAX_MISMATCHES ? -1 : distance;
}

} // namespace Engine
} // namespace Tavrin
