#include "Engine/IKernel/Maths/Hash.h"

#include "Engine/IKernel/Maths/MurmurReference.h"
#include "Engine/IKernel/Types/CString.h"

#include <gtest/gtest.h>

#include <string>

using namespace Tavrin::Engine;

namespace {

const uint32_t engineSeed = 0x0BADF00D;

// The folding rule written out by ranges: ASCII capitals and the Latin-1
// capitals except the multiplication sign.
unsigned char foldByte(unsigned char c)
{
    bool capital = (c >= 'A' && c <= 'Z') || (c >= 192 && c <= 214) || (c >= 216 && c <= 222);
    return capital ? static_cast<unsigned char>(c + 32) : c;
}

uint32_t referenceName(const std::string& text)
{
    std::string folded = text;
    for (char& c : folded)
        c = static_cast<char>(foldByte(static_cast<unsigned char>(c)));
    return murmurReference(folded.data(), static_cast<uint32_t>(folded.size()), engineSeed);
}

} // namespace

TEST(Hash, ByteHashUsesTheEngineSeed)
{
    EXPECT_EQ(hashBytes("hello", 5), murmurReference("hello", 5, engineSeed));
    EXPECT_EQ(hashBytes("The quick brown fox", 19), murmurReference("The quick brown fox", 19, engineSeed));
    // Zero bytes: the final mix of the seed alone, not 0.
    EXPECT_EQ(hashBytes(nullptr, 0), murmurFinalMix(engineSeed));
    EXPECT_EQ(hashBytes("", 0), murmurFinalMix(engineSeed));
    EXPECT_NE(hashBytes("", 0), 0u);
}

TEST(Hash, CStringHashIsZeroForNothing)
{
    EXPECT_EQ(hashCString(nullptr), 0u);
    EXPECT_EQ(hashCString(""), 0u);
    EXPECT_EQ(hashCString("a"), murmurReference("a", 1, engineSeed));
    EXPECT_EQ(hashCString("leftctrl"), hashBytes("leftctrl", 8));
}

TEST(Hash, NameHashFoldsCase)
{
    EXPECT_EQ(hashName(CString("LeftCtrl")), hashName(CString("leftctrl")));
    EXPECT_EQ(hashName(CString("LEFTCTRL")), hashBytes("leftctrl", 8));
    EXPECT_NE(hashName(CString("leftctrl")), hashName(CString("leftctrm")));
    // 192 folds to 224; 215 and 223 have no lower case.
    EXPECT_EQ(hashName(CString("\xC0")), hashBytes("\xE0", 1));
    EXPECT_EQ(hashName(CString("\xD7")), hashBytes("\xD7", 1));
    EXPECT_EQ(hashName(CString("\xDF")), hashBytes("\xDF", 1));
    EXPECT_NE(hashName(CString("\xD7")), hashName(CString("\xF7")));
}

TEST(Hash, NameHashOfEveryByte)
{
    for (int c = 1; c < 256; ++c)
    {
        std::string text(3, static_cast<char>(c));
        EXPECT_EQ(hashName(CString(text.c_str())), referenceName(text)) << "byte " << c;
    }
}

TEST(Hash, NameHashOfLongNames)
{
    // Longer than any internal piece, with lengths around piece edges.
    for (size_t length : {255u, 256u, 257u, 1000u, 4099u})
    {
        std::string text;
        for (size_t i = 0; i < length; ++i)
            text += static_cast<char>("AbCdEfGh\xC9\xE9Z_0"[i % 13]);
        EXPECT_EQ(hashName(CString(text.c_str())), referenceName(text)) << length;
    }
}

TEST(Hash, EmptyNameHashesTheEmptyText)
{
    EXPECT_EQ(hashName(CString()), murmurFinalMix(engineSeed));
    EXPECT_EQ(hashName(CString("")), murmurFinalMix(engineSeed));
}
