#pragma once

#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IRenderer/SWindowTextSegment.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace Tavrin {
namespace Engine {

// Lays status text out in a box for a painter that knows only how wide a
// piece of text is in each of its sizes: lines break between segments (a
// segment starting a line drops its leading spaces); a segment wider than a
// line breaks at its spaces, and a word wider than a line between characters.
class CTextFlow
{
public:
    // Bytes [begin, begin + length) of one segment, `x` from the line's start.
    struct SPiece
    {
        uint32_t segment;
        uint32_t begin;
        uint32_t length;
        int32_t x;
    };
    struct SLine
    {
        std::vector<SPiece> pieces;
        int32_t width = 0;
    };
    struct SLayout
    {
        std::vector<SLine> lines;
        // Index of the size chosen (0 is the largest).
        uint32_t size = 0;
    };
    // Width of `length` bytes of text in the given size.
    typedef std::function<int32_t(uint32_t size, const char* text, uint32_t length)> TMeasure;

    // The lines of the segments in one size.
    static std::vector<SLine> wrap(const CArray<SWindowTextSegment>& segments, uint32_t size, int32_t width,
                                   const TMeasure& measure);
    // The largest of `sizeCount` sizes whose lines fit the box; when none
    // does, the smallest, keeping the last lines: the latest input matters most.
    static SLayout fit(const CArray<SWindowTextSegment>& segments, int32_t width, int32_t height, uint32_t sizeCount,
                       const TMeasure& measure, const std::function<int32_t(uint32_t size)>& lineHeight);
};

} // namespace Engine
} // namespace Tavrin
