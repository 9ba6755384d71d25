#include "Engine/IInput/Windows/CWin32MouseCursor.h"

#include "Engine/IInput/Windows/CWin32CurrentCursor.h"

#include "Engine/IKernel/CException.h"

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_SOURCE = "Engine/IInput/Windows/CWin32MouseCursor";

struct _SCursorState
{
    uint32_t type = CWin32MouseCursor::C_CURSOR_ARROW;
    CManagedPtr<CImage> image;
    uint32_t hotspotX = 0;
    uint32_t hotspotY = 0;
    // The custom cursor stays alive while it is the one shown.
    CWin32CurrentCursor shown;
};

_SCursorState& state()
{
    static _SCursorState s_state;
    return s_state;
}

// The colour bitmap of a cursor: 32-bit BGRA with alpha, rows bottom-up.
BITMAPV5HEADER alphaHeader(uint32_t width, uint32_t height)
{
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof(BITMAPV5HEADER);
    header.bV5Width = static_cast<LONG>(width);
    header.bV5Height = static_cast<LONG>(height);
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    return header;
}

} // namespace

void CWin32MouseCursor::applyCursor()
{
    if (state().type != C_CURSOR_BITMAP)
    {
        applySystemCursor();
        return;
    }
    _SCursorState& current = state();
    current.shown.show(createAlphaCursor(current.hotspotX, current.hotspotY), true);
}

HCURSOR CWin32MouseCursor::applySystemCursor()
{
    _SCursorState& current = state();
    uint32_t type = current.type;
    if (type == C_CURSOR_BITMAP)
        TAVRIN_THROW_AT(CInvalidArgumentException, "Cannot use C_CURSOR_BITMAP with this function\n", C_SOURCE, 238);
    current.image.reset();
    HCURSOR previous = current.shown.show(LoadCursorA(nullptr, MAKEINTRESOURCEA(getSystemCursorId(type))), false);
    current.type = type;
    return previous;
}

HCURSOR CWin32MouseCursor::createAlphaCursor(uint32_t hotspotX, uint32_t hotspotY)
{
    CImage* image = state().image.get();
    if (!image)
        TAVRIN_THROW_AT(CInvalidArgumentException, "Invalid source image to create an alpha cursor\n", C_SOURCE, 74);
    uint32_t width = image->getWidth();
    uint32_t height = image->getHeight();
    if (image->getBytesPerPixel() != 4)
        TAVRIN_THROW_AT(CInvalidArgumentException, "Icon must be RGBA!\n", C_SOURCE, 86);
    BITMAPV5HEADER header = alphaHeader(width, height);
    HDC screen = GetDC(nullptr);
    if (!screen)
        TAVRIN_THROW_AT(CInvalidOperationException, "Cannot create a device context for mouse cursor\n", C_SOURCE, 104);
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!colour)
        TAVRIN_THROW_AT(CInvalidOperationException, "CreateDIBSection failed to create a buffer for the mouse cursor\n", C_SOURCE,
                        108);
    if (!bits)
    {
        DeleteObject(colour);
        TAVRIN_THROW_AT(CInvalidOperationException, "Invalid bits buffer created by CreateDIBSection\n", C_SOURCE, 109);
    }
    // The mask is ignored where the colour bitmap has alpha, but a cursor
    // needs one all the same.
    HBITMAP mask = CreateBitmap(static_cast<int>(width), static_cast<int>(height), 1, 1, nullptr);
    if (!image->getPixels())
    {
        DeleteObject(mask);
        DeleteObject(colour);
        TAVRIN_THROW_AT(CInvalidArgumentException, "Invalid mouse cursor image source data\n", C_SOURCE, 122);
    }
    convertPixels(image->getPixels(), image->getRowSize(width), width, height, static_cast<uint8_t*>(bits));
    ICONINFO info{};
    info.fIcon = FALSE;
    info.xHotspot = hotspotX;
    info.yHotspot = hotspotY;
    info.hbmMask = mask;
    info.hbmColor = colour;
    HCURSOR cursor = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colour);
    return cursor;
}

uint32_t CWin32MouseCursor::getCursorType()
{
    return state().type;
}

void CWin32MouseCursor::setCursorType(uint32_t type)
{
    state().type = type;
}

void CWin32MouseCursor::setCursorImage(const CManagedPtr<CImage>& image, uint32_t hotspotX, uint32_t hotspotY)
{
    _SCursorState& current = state();
    current.image = image;
    current.hotspotX = hotspotX;
    current.hotspotY = hotspotY;
}

const CManagedPtr<CImage>& CWin32MouseCursor::getCursorImage()
{
    return state().image;
}

uint32_t CWin32MouseCursor::getSystemCursorId(uint32_t type)
{
    switch (type)
    {
    case C_CURSOR_WAIT:
        return 32514;
    case C_CURSOR_CROSS:
        return 32515;
    case C_CURSOR_SIZE:
        return 32640;
    default:
        return 32512;
    }
}

void CWin32MouseCursor::convertPixels(const uint8_t* source, uint64_t sourceRowSize, uint32_t width, uint32_t height,
                                      uint8_t* destination)
{
    for (uint32_t r = 0; r < height; ++r)
    {
        const uint8_t* in = source + sourceRowSize * (height - 1 - r);
        for (uint32_t x = 0; x < width; ++x, in += 4, destination += 4)
        {
            destination[0] = in[2];
            destination[1] = in[1];
            destination[2] = in[0];
            destination[3] = in[3];
        }
    }
}

} // namespace Engine
} // namespace Tavrin
