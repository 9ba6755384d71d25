#include "Engine/IInput/Linux/CSdlKeyboardLayout.h"

#include "Engine/IInput/Linux/CSdlKeyCodes.h"
#include "Engine/IInput/Linux/CWindowsKeyboardTable.h"

namespace Tavrin {
namespace Engine {

const SDL_Scancode CSdlKeyboardLayout::C_SCANCODES[C_KEY_COUNT] = {
    SDL_SCANCODE_GRAVE, SDL_SCANCODE_1, SDL_SCANCODE_2, SDL_SCANCODE_3, SDL_SCANCODE_4, SDL_SCANCODE_5,
    SDL_SCANCODE_6, SDL_SCANCODE_7, SDL_SCANCODE_8, SDL_SCANCODE_9, SDL_SCANCODE_0, SDL_SCANCODE_MINUS,
    SDL_SCANCODE_EQUALS, SDL_SCANCODE_Q, SDL_SCANCODE_W, SDL_SCANCODE_E, SDL_SCANCODE_R, SDL_SCANCODE_T,
    SDL_SCANCODE_Y, SDL_SCANCODE_U, SDL_SCANCODE_I, SDL_SCANCODE_O, SDL_SCANCODE_P, SDL_SCANCODE_LEFTBRACKET,
    SDL_SCANCODE_RIGHTBRACKET, SDL_SCANCODE_A, SDL_SCANCODE_S, SDL_SCANCODE_D, SDL_SCANCODE_F, SDL_SCANCODE_G,
    SDL_SCANCODE_H, SDL_SCANCODE_J, SDL_SCANCODE_K, SDL_SCANCODE_L, SDL_SCANCODE_SEMICOLON,
    SDL_SCANCODE_APOSTROPHE, SDL_SCANCODE_BACKSLASH, SDL_SCANCODE_NONUSBACKSLASH, SDL_SCANCODE_Z,
    SDL_SCANCODE_X, SDL_SCANCODE_C, SDL_SCANCODE_V, SDL_SCANCODE_B, SDL_SCANCODE_N, SDL_SCANCODE_M,
    SDL_SCANCODE_COMMA, SDL_SCANCODE_PERIOD, SDL_SCANCODE_SLASH,
};

namespace {

const uint32_t C_FIRST_DIGIT = 1;
const uint32_t C_DIGIT_COUNT = 10;
const uint32_t C_CODE_COUNT = 256;
static_assert(CWindowsKeyboardTable::C_KEY_COUNT == CSdlKeyboardLayout::C_KEY_COUNT, "tables cover every character key");

// Letters, and the four characters Windows codes alike on every layout.
TKeyCode characterCode(SDL_Keycode character)
{
    if (character >= 'a' && character <= 'z')
        return static_cast<TKeyCode>('A' + (character - 'a'));
    if (character >= 'A' && character <= 'Z')
        return static_cast<TKeyCode>(character);
    switch (character)
    {
    case '+':
        return static_cast<TKeyCode>(0xBB);
    case ',':
        return static_cast<TKeyCode>(0xBC);
    case '-':
        return static_cast<TKeyCode>(0xBD);
    case '.':
        return static_cast<TKeyCode>(0xBE);
    default:
        return C_KEY_NONE;
    }
}

// The US code of a punctuation character: the best guess at what Windows
// gives a key that lost its position's code.
TKeyCode usPunctuationCode(SDL_Keycode character)
{
    static const char C_CHARACTERS[] = "`-=[]\\;',./";
    static const uint8_t C_CODES[] = {0xC0, 0xBD, 0xBB, 0xDB, 0xDD, 0xDC, 0xBA, 0xDE, 0xBC, 0xBE, 0xBF};
    for (uint32_t i = 0; i < sizeof(C_CODES); ++i)
        if (character == static_cast<unsigned char>(C_CHARACTERS[i]))
            return static_cast<TKeyCode>(C_CODES[i]);
    return C_KEY_NONE;
}

// The codes a displaced key may take, named ones first.
const uint8_t C_SPARE_CODES[] = {0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xE2};

TKeyCode positionCode(uint32_t index)
{
    return CSdlKeyCodes::byPosition(CSdlKeyboardLayout::C_SCANCODES[index]);
}

} // namespace

CSdlKeyboardLayout::CSdlKeyboardLayout() : m_table(nullptr)
{
    for (uint32_t i = 0; i < C_KEY_COUNT; ++i)
    {
        m_characters[i] = SDLK_UNKNOWN;
        m_codes[i] = positionCode(i);
    }
}

CSdlKeyboardLayout::CSdlKeyboardLayout(const SDL_Keycode* characters) : m_table(nullptr)
{
    for (uint32_t i = 0; i < C_KEY_COUNT; ++i)
        m_characters[i] = characters[i];
    if (!_applyKnownTable())
        _applyRule();
}

TKeyCode CSdlKeyboardLayout::codeOf(SDL_Scancode scancode) const
{
    for (uint32_t i = 0; i < C_KEY_COUNT; ++i)
        if (C_SCANCODES[i] == scancode)
            return m_codes[i];
    return C_KEY_NONE;
}

bool CSdlKeyboardLayout::isFor(const SDL_Keycode* characters) const
{
    for (uint32_t i = 0; i < C_KEY_COUNT; ++i)
        if (m_characters[i] != characters[i])
            return false;
    return true;
}

const char* CSdlKeyboardLayout::windowsTable() const
{
    return m_table == nullptr ? nullptr : m_table->name();
}

bool CSdlKeyboardLayout::_applyKnownTable()
{
    const CWindowsKeyboardTable* table = CWindowsKeyboardTable::match(m_characters);
    if (table == nullptr)
        return false;
    bool taken[C_CODE_COUNT] = {};
    for (uint32_t i = 0; i < C_KEY_COUNT; ++i)
    {
        TKeyCode code = table->code(i);
        if (code == C_KEY_NONE)
            code = positionCode(i);
        // No table may give two keys one code, whatever its data says.
        if (taken[code])
            return false;
        taken[code] = true;
        m_codes[i] = code;
    }
    m_table = table;
    return true;
}

void CSdlKeyboardLayout::_applyRule()
{
    bool taken[C_CODE_COUNT] = {};
    for (uint32_t i = 0; i < C_KEY_COUNT; ++i)
        m_codes[i] = C_KEY_NONE;
    _claimDigits(taken);
    // A key already at its character's position keeps it before another
    // key typing the same character may take it.
    _claimCharacters(taken, true);
    _claimCharacters(taken, false);
    _keepPositions(taken);
    _placeDisplaced(taken);
}

void CSdlKeyboardLayout::_claimDigits(bool* taken)
{
    for (uint32_t i = C_FIRST_DIGIT; i < C_FIRST_DIGIT + C_DIGIT_COUNT; ++i)
    {
        m_codes[i] = positionCode(i);
        taken[m_codes[i]] = true;
    }
}

void CSdlKeyboardLayout::_claimCharacters(bool* taken, bool inPlaceOnly)
{
    for (uint32_t i = 0; i < C_KEY_COUNT; ++i)
    {
        TKeyCode code = characterCode(m_characters[i]);
        if (m_codes[i] != C_KEY_NONE || code == C_KEY_NONE || taken[code])
            continue;
        if (inPlaceOnly && code != positionCode(i))
            continue;
        m_codes[i] = code;
        taken[code] = true;
    }
}

void CSdlKeyboardLayout::_keepPositions(bool* taken)
{
    for (uint32_t i = 0; i < C_KEY_COUNT; ++i)
    {
        TKeyCode code = positionCode(i);
        if (m_codes[i] != C_KEY_NONE || taken[code])
            continue;
        m_codes[i] = code;
        taken[code] = true;
    }
}

void CSdlKeyboardLayout::_placeDisplaced(bool* taken)
{
    for (uint32_t i = 0; i < C_KEY_COUNT; ++i)
    {
        if (m_codes[i] != C_KEY_NONE)
            continue;
        TKeyCode code = usPunctuationCode(m_characters[i]);
        for (uint32_t spare = 0; spare < sizeof(C_SPARE_CODES) && (code == C_KEY_NONE || taken[code]); ++spare)
            code = static_cast<TKeyCode>(C_SPARE_CODES[spare]);
        // Then the letters: a layout with letters on the digit row leaves
        // theirs unclaimed. Every code taken here is a key's position code
        // or a spare, so one is always left for each key.
        for (uint32_t other = 0; other < C_KEY_COUNT && taken[code]; ++other)
            code = positionCode(other);
        m_codes[i] = code;
        taken[code] = true;
    }
}

} // namespace Engine
} // namespace Tavrin
