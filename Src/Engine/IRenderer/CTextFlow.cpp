#include "Engine/IRenderer/CTextFlow.h"

#include <algorithm>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

bool startsCharacter(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// Places the words of one size on lines of a given width.
class CLineFiller
{
public:
    CLineFiller(uint32_t size, int32_t width, const CTextFlow::TMeasure& measure)
        : m_size(size), m_width(width), m_measure(measure), m_spaceWidth(measure(size, " ", 1)), m_lines(1)
    {
    }

    // Whole on the current line, or else whole on a line of its own; only
    // a segment wider than a line is flowed word by word.
    void addSegment(uint32_t segment, const char* text, uint32_t length)
    {
        uint32_t start = 0;
        while (start < length && text[start] == ' ')
            ++start;
        if (start == length)
            return;
        CTextFlow::SLine& line = m_lines.back();
        if (!line.pieces.empty())
        {
            int32_t whole = m_measure(m_size, text, length);
            if (line.width + whole <= m_width)
            {
                _place(line, segment, 0, length, 0, whole);
                return;
            }
        }
        int32_t alone = m_measure(m_size, text + start, length - start);
        if (alone > m_width)
        {
            _addWords(segment, text, length);
            return;
        }
        if (!line.pieces.empty())
            m_lines.emplace_back();
        _place(m_lines.back(), segment, start, length - start, 0, alone);
    }

    std::vector<CTextFlow::SLine> take()
    {
        if (m_lines.back().pieces.empty())
            m_lines.pop_back();
        return std::move(m_lines);
    }

private:
    void _addWords(uint32_t segment, const char* text, uint32_t length)
    {
        bool spaced = false;
        uint32_t i = 0;
        while (i < length)
        {
            if (text[i] == ' ')
            {
                spaced = true;
                ++i;
                continue;
            }
            uint32_t end = i;
            while (end < length && text[end] != ' ')
                ++end;
            _addWord(segment, text, i, end - i, spaced);
            spaced = false;
            i = end;
        }
    }

    void _addWord(uint32_t segment, const char* text, uint32_t begin, uint32_t length, bool spaced)
    {
        CTextFlow::SLine* line = &m_lines.back();
        int32_t gap = line->pieces.empty() || !spaced ? 0 : m_spaceWidth;
        int32_t width = m_measure(m_size, text + begin, length);
        if (!line->pieces.empty() && line->width + gap + width > m_width)
        {
            m_lines.emplace_back();
            line = &m_lines.back();
            gap = 0;
        }
        // Too wide even alone: cut into pieces that each fill a line.
        while (width > m_width - line->width - gap)
        {
            uint32_t fitting = _fittingPrefix(text + begin, length, m_width - line->width - gap);
            if (fitting == 0 || fitting == length)
                break;
            _place(*line, segment, begin, fitting, gap, m_measure(m_size, text + begin, fitting));
            begin += fitting;
            length -= fitting;
            width = m_measure(m_size, text + begin, length);
            m_lines.emplace_back();
            line = &m_lines.back();
            gap = 0;
        }
        _place(*line, segment, begin, length, gap, width);
    }

    static void _place(CTextFlow::SLine& line, uint32_t segment, uint32_t begin, uint32_t length, int32_t gap, int32_t width)
    {
        int32_t x = line.width + gap;
        line.pieces.push_back({segment, begin, length, x});
        line.width = x + width;
    }

    // The most whole characters that fit, at least one so that the text moves on.
    uint32_t _fittingPrefix(const char* text, uint32_t length, int32_t room) const
    {
        uint32_t best = 0;
        for (uint32_t end = 1; end <= length; ++end)
        {
            if (end < length && !startsCharacter(text[end]))
                continue;
            if (best > 0 && m_measure(m_size, text, end) > room)
                break;
            best = end;
        }
        return best;
    }

    uint32_t m_size;
    int32_t m_width;
    const CTextFlow::TMeasure& m_measure;
    int32_t m_spaceWidth;
    std::vector<CTextFlow::SLine> m_lines;
};

} // namespace

std::vector<CTextFlow::SLine> CTextFlow::wrap(const CArray<SWindowTextSegment>& segments, uint32_t size, int32_t width,
                                              const TMeasure& measure)
{
    CLineFiller filler(size, width, measure);
    for (uint32_t segment = 0; segment < segments.getCount(); ++segment)
    {
        const char* text = segments[segment].text.c_str();
        filler.addSegment(segment, text, static_cast<uint32_t>(strlen(text)));
    }
    return filler.take();
}

CTextFlow::SLayout CTextFlow::fit(const CArray<SWindowTextSegment>& segments, int32_t width, int32_t height,
                                  uint32_t sizeCount, const TMeasure& measure,
                                  const std::function<int32_t(uint32_t size)>& lineHeight)
{
    SLayout layout;
    for (uint32_t size = 0; size < sizeCount; ++size)
    {
        layout.size = size;
        layout.lines = wrap(segments, size, width, measure);
        if (static_cast<int64_t>(layout.lines.size()) * lineHeight(size) <= height)
            return layout;
    }
    size_t room = static_cast<size_t>(std::max(1, height / std::max(1, lineHeight(layout.size))));
    if (layout.lines.size() > room)
        layout.lines.erase(layout.lines.begin(), layout.lines.end() - static_cast<std::ptrdiff_t>(room));
    return layout;
}

} // namespace Engine
} // namespace Tavrin
