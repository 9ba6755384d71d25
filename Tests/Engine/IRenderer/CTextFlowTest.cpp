#include "Engine/IRenderer/CTextFlow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tavrin::Engine;

namespace {

// Lines as text ("|" between them), dimmed pieces in brackets, for a font
// whose characters are two units wide in size 0 and one in size 1, with
// lines one unit high.
std::string laidOut(const std::vector<SWindowTextSegment>& list, int32_t width, int32_t height, uint32_t* size = nullptr)
{
    CArray<SWindowTextSegment> segments;
    for (const SWindowTextSegment& segment : list)
        segments.add(segment);
    CTextFlow::TMeasure measure = [](uint32_t s, const char*, uint32_t length) { return static_cast<int32_t>((2 - s) * length); };
    CTextFlow::SLayout layout = CTextFlow::fit(segments, width, height, 2, measure, [](uint32_t) { return 1; });
    if (size)
        *size = layout.size;
    std::string text;
    for (const CTextFlow::SLine& line : layout.lines)
    {
        text += text.empty() ? "" : "|";
        for (const CTextFlow::SPiece& piece : line.pieces)
        {
            std::string part(list[piece.segment].text.c_str() + piece.begin, piece.length);
            text += list[piece.segment].dimmed ? "[" + part + "]" : part;
        }
    }
    return text;
}

SWindowTextSegment held(const char* text)
{
    return {CString(text), false};
}
SWindowTextSegment dimmed(const char* text)
{
    return {CString(text), true};
}

} // namespace

TEST(CTextFlowTest, WrapsAtSpacesAndSegmentsShrinksThenKeepsTheLastLines)
{
    struct SCase
    {
        const char* label;
        std::vector<SWindowTextSegment> segments;
        int32_t width;
        int32_t height;
        const char* expected;
        uint32_t size;
    };
    const SCase cases[] = {
        {"one line", {held("ab"), dimmed(" + c")}, 20, 1, "ab[ + c]", 0},
        {"wraps, separator kept with its name", {held("ab"), dimmed(" + cd"), held(" + ef")}, 12, 3, "ab|[+ cd]|+ ef", 0},
        {"shrinks rather than overflow", {held("ab"), dimmed(" + cd"), held(" + ef")}, 12, 1, "ab[ + cd] + ef", 1},
        {"cuts a word wider than a line", {held("abcdefghij")}, 8, 3, "abcd|efgh|ij", 0},
        {"keeps the latest lines", {held("aaaa"), held(" + bbbb"), held(" + cccc")}, 4, 2, "+|cccc", 1},
        {"nothing to show", {}, 10, 1, "", 0},
    };
    for (const SCase& c : cases)
    {
        uint32_t size = 99;
        EXPECT_EQ(laidOut(c.segments, c.width, c.height, &size), c.expected) << c.label;
        EXPECT_EQ(size, c.size) << c.label;
    }
}
