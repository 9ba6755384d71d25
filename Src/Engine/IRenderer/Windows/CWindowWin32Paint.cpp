#include "Engine/IRenderer/Windows/CWindowWin32.h"

#include "Engine/IRenderer/CTextFlow.h"
#include "Engine/IRenderer/Windows/CAccessibleDescription.h"

#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

// Character heights in pixels, largest first: the text shrinks to the first
// that fits the client area.
const LONG C_FONT_HEIGHTS[] = {22, 18, 15, 12};
const uint32_t C_FONT_COUNT = sizeof(C_FONT_HEIGHTS) / sizeof(C_FONT_HEIGHTS[0]);
const int C_MARGIN = 6;

// The user's message font, in each of the sizes.
class CStatusFonts
{
public:
    CStatusFonts()
    {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof(metrics);
        LOGFONTA face{};
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
            face = metrics.lfMessageFont;
        else
            GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(face), &face);
        for (uint32_t i = 0; i < C_FONT_COUNT; ++i)
        {
            face.lfHeight = -C_FONT_HEIGHTS[i];
            face.lfWidth = 0;
            m_fonts[i] = CreateFontIndirectA(&face);
        }
    }
    ~CStatusFonts()
    {
        for (HFONT font : m_fonts)
            if (font)
                DeleteObject(font);
    }
    CStatusFonts(const CStatusFonts&) = delete;
    CStatusFonts& operator=(const CStatusFonts&) = delete;

    // Selects the font of that size (the stock one when it could not be made).
    void select(HDC dc, uint32_t size) const
    {
        SelectObject(dc, m_fonts[size] ? static_cast<HGDIOBJ>(m_fonts[size]) : GetStockObject(DEFAULT_GUI_FONT));
    }

private:
    HFONT m_fonts[C_FONT_COUNT] = {};
};

COLORREF halfway(COLORREF a, COLORREF b)
{
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

CString plainText(const CArray<SWindowTextSegment>& segments)
{
    CString text;
    for (const SWindowTextSegment& segment : segments)
        text += segment.text;
    return text;
}

} // namespace

void CWindowWin32::_showStatusText()
{
    if (m_closed)
        return;
    if (!m_description)
        m_description.reset(new CAccessibleDescription());
    m_description->set(_hwnd(), plainText(m_statusText));
    // Painted now rather than at the next pump, so it shows within this poll.
    InvalidateRect(_hwnd(), nullptr, TRUE);
    UpdateWindow(_hwnd());
}

void CWindowWin32::_onPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(_hwnd(), &paint);
    if (!dc)
        return;
    // A window with a swap chain is drawn by its renderer.
    if (!m_swapChain && m_statusText.getCount() > 0)
        _paintStatusText(dc);
    EndPaint(_hwnd(), &paint);
}

// The status text in the client area, centred, in the window text colour;
// dimmed segments halfway between it and the class's background colour.
void CWindowWin32::_paintStatusText(HDC dc)
{
    RECT client;
    GetClientRect(_hwnd(), &client);
    int width = client.right - 2 * C_MARGIN;
    int height = client.bottom - 2 * C_MARGIN;
    if (width <= 0 || height <= 0)
        return;
    CStatusFonts fonts;
    int saved = SaveDC(dc);
    CTextFlow::TMeasure measure = [&](uint32_t size, const char* text, uint32_t length) {
        fonts.select(dc, size);
        SIZE extent{};
        GetTextExtentPoint32A(dc, text, static_cast<int>(length), &extent);
        return static_cast<int32_t>(extent.cx);
    };
    auto lineHeight = [&](uint32_t size) {
        fonts.select(dc, size);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        return static_cast<int32_t>(metrics.tmHeight + metrics.tmExternalLeading);
    };
    CTextFlow::SLayout layout = CTextFlow::fit(m_statusText, width, height, C_FONT_COUNT, measure, lineHeight);
    int step = lineHeight(layout.size);
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    COLORREF dimmed = halfway(text, GetSysColor(COLOR_INACTIVEBORDER));
    SetBkMode(dc, TRANSPARENT);
    int y = C_MARGIN + (height - step * static_cast<int>(layout.lines.size())) / 2;
    for (const CTextFlow::SLine& line : layout.lines)
    {
        int left = C_MARGIN + (width - line.width) / 2;
        for (const CTextFlow::SPiece& piece : line.pieces)
        {
            const SWindowTextSegment& segment = m_statusText[piece.segment];
            SetTextColor(dc, segment.dimmed ? dimmed : text);
            TextOutA(dc, left + piece.x, y, segment.text.c_str() + piece.begin, static_cast<int>(piece.length));
        }
        y += step;
    }
    RestoreDC(dc, saved);
}

} // namespace Engine
} // namespace Tavrin
