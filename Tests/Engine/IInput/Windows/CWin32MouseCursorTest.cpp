#include "Engine/IInput/Windows/CWin32MouseCursor.h"

#include "Engine/IInput/Windows/CWin32CurrentCursor.h"

#include "Engine/IInput/InputTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

const char* const C_SOURCE = "Engine/IInput/Windows/CWin32MouseCursor";

// Every test leaves the process-wide setting as the program starts with it.
class CWin32MouseCursorTest : public testing::Test
{
protected:
    void TearDown() override
    {
        CWin32MouseCursor::setCursorImage(CManagedPtr<CImage>(), 0, 0);
        CWin32MouseCursor::setCursorType(CWin32MouseCursor::C_CURSOR_ARROW);
    }
    static HCURSOR system(uint32_t id) { return LoadCursorA(nullptr, MAKEINTRESOURCEA(id)); }
};

CManagedPtr<CImage> rgbaImage(uint32_t width, uint32_t height)
{
    CManagedPtr<CImage> image = CManagedPtr<CImage>::adopt(new CImage(width, height, C_PIXEL_FORMAT_RGBA8));
    for (uint64_t i = 0; i < image->getPixelBytes(); ++i)
        image->getPixels()[i] = static_cast<uint8_t>(i);
    return image;
}

// A destroyed cursor no longer answers GetIconInfo.
bool isAlive(HCURSOR cursor)
{
    ICONINFO info{};
    if (!GetIconInfo(cursor, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

HCURSOR newCursor()
{
    ICONINFO info{};
    info.hbmMask = CreateBitmap(1, 1, 1, 1, nullptr);
    info.hbmColor = CreateBitmap(1, 1, 1, 32, nullptr);
    HCURSOR cursor = CreateIconIndirect(&info);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return cursor;
}

} // namespace

// Replacement is covered through the mouse cursor below; here the owner's end.
TEST(CWin32CurrentCursorTest, TheLastOwnedCursorGoesWithItsOwner)
{
    HCURSOR last = newCursor();
    ASSERT_NE(last, nullptr);
    {
        CWin32CurrentCursor current;
        current.show(last, true);
        current.show(last, true); // shown again: still the same live cursor
        EXPECT_TRUE(isAlive(last));
    }
    EXPECT_FALSE(isAlive(last));
}

TEST_F(CWin32MouseCursorTest, CustomCursorStaysAliveWhileShown)
{
    CWin32MouseCursor::setCursorImage(rgbaImage(2, 2), 0, 0);
    CWin32MouseCursor::setCursorType(CWin32MouseCursor::C_CURSOR_BITMAP);
    CWin32MouseCursor::applyCursor();
    HCURSOR first = GetCursor();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(isAlive(first));
    CWin32MouseCursor::applyCursor();
    HCURSOR second = GetCursor();
    EXPECT_NE(second, first);
    EXPECT_TRUE(isAlive(second));
    EXPECT_FALSE(isAlive(first));
    CWin32MouseCursor::setCursorType(CWin32MouseCursor::C_CURSOR_ARROW);
    CWin32MouseCursor::applyCursor();
    EXPECT_EQ(GetCursor(), system(32512));
    EXPECT_FALSE(isAlive(second));
}

TEST_F(CWin32MouseCursorTest, StartsAtTheArrow)
{
    EXPECT_EQ(CWin32MouseCursor::getCursorType(), CWin32MouseCursor::C_CURSOR_ARROW);
    EXPECT_FALSE(CWin32MouseCursor::getCursorImage());
    CWin32MouseCursor::applyCursor();
    EXPECT_EQ(GetCursor(), system(32512));
    EXPECT_EQ(CWin32MouseCursor::getCursorType(), CWin32MouseCursor::C_CURSOR_ARROW);
}

TEST_F(CWin32MouseCursorTest, SystemCursorsByType)
{
    struct SCase
    {
        uint32_t type;
        uint32_t id;
    };
    const SCase cases[] = {{1, 32512}, {2, 32514}, {3, 32515}, {4, 32640}, {7, 32512}, {0xFFFFFFFF, 32512}};
    for (const SCase& c : cases)
    {
        EXPECT_EQ(CWin32MouseCursor::getSystemCursorId(c.type), c.id);
        CWin32MouseCursor::setCursorType(c.type);
        CWin32MouseCursor::applyCursor();
        EXPECT_EQ(GetCursor(), system(c.id)) << c.type;
        EXPECT_EQ(CWin32MouseCursor::getCursorType(), c.type);
    }
}

TEST_F(CWin32MouseCursorTest, ApplyingASystemCursorReturnsThePreviousOne)
{
    CWin32MouseCursor::setCursorType(CWin32MouseCursor::C_CURSOR_WAIT);
    CWin32MouseCursor::applySystemCursor();
    CWin32MouseCursor::setCursorType(CWin32MouseCursor::C_CURSOR_CROSS);
    EXPECT_EQ(CWin32MouseCursor::applySystemCursor(), system(32514));
}

TEST_F(CWin32MouseCursorTest, ApplyingASystemCursorDropsTheCustomImage)
{
    CManagedPtr<CImage> image = rgbaImage(2, 2);
    CWin32MouseCursor::setCursorImage(image, 0, 0);
    EXPECT_EQ(image->getReferenceCount(), 2u);
    CWin32MouseCursor::applySystemCursor();
    EXPECT_FALSE(CWin32MouseCursor::getCursorImage());
    EXPECT_EQ(image->getReferenceCount(), 1u);
}

TEST_F(CWin32MouseCursorTest, BitmapTypeIsNotASystemCursor)
{
    CWin32MouseCursor::setCursorType(CWin32MouseCursor::C_CURSOR_BITMAP);
    expectException<CInvalidArgumentException>([] { CWin32MouseCursor::applySystemCursor(); },
                                                     "Cannot use C_CURSOR_BITMAP with this function\n", C_SOURCE, 238);
}

TEST_F(CWin32MouseCursorTest, PixelsBecomeBottomUpBgra)
{
    // 2 x 2, top-left pixel R 255, G 0, B 0, A 128.
    const uint8_t source[16] = {255, 0, 0, 128, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    uint8_t out[16] = {};
    CWin32MouseCursor::convertPixels(source, 8, 2, 2, out);
    const uint8_t expected[16] = {7, 6, 5, 8, 11, 10, 9, 12, 0, 0, 255, 128, 3, 2, 1, 4};
    EXPECT_EQ(std::vector<uint8_t>(out, out + 16), std::vector<uint8_t>(expected, expected + 16));
}

TEST_F(CWin32MouseCursorTest, PixelRowsAreTakenAtTheSourceRowSize)
{
    // 1 x 3 with 8-byte source rows: the second half of each row is skipped.
    const uint8_t source[24] = {1, 2, 3, 4, 99, 99, 99, 99, 5, 6, 7, 8, 99, 99, 99, 99, 9, 10, 11, 12, 99, 99, 99, 99};
    uint8_t out[12] = {};
    CWin32MouseCursor::convertPixels(source, 8, 1, 3, out);
    const uint8_t expected[12] = {11, 10, 9, 12, 7, 6, 5, 8, 3, 2, 1, 4};
    EXPECT_EQ(std::vector<uint8_t>(out, out + 12), std::vector<uint8_t>(expected, expected + 12));
}

TEST_F(CWin32MouseCursorTest, AlphaCursorNeedsAnRgbaImageWithPixels)
{
    expectException<CInvalidArgumentException>([] { CWin32MouseCursor::createAlphaCursor(0, 0); },
                                                     "Invalid source image to create an alpha cursor\n", C_SOURCE, 74);
    CWin32MouseCursor::setCursorImage(CManagedPtr<CImage>::adopt(new CImage(2, 2, C_PIXEL_FORMAT_RGB8)), 0, 0);
    expectException<CInvalidArgumentException>([] { CWin32MouseCursor::createAlphaCursor(0, 0); },
                                                     "Icon must be RGBA!\n", C_SOURCE, 86);
    CManagedPtr<CImage> empty = rgbaImage(2, 2);
    empty->freePixels();
    CWin32MouseCursor::setCursorImage(empty, 0, 0);
    expectException<CInvalidArgumentException>([] { CWin32MouseCursor::createAlphaCursor(0, 0); },
                                                     "Invalid mouse cursor image source data\n", C_SOURCE, 122);
}

TEST_F(CWin32MouseCursorTest, AlphaCursorCarriesTheHotspotAndThePixels)
{
    CManagedPtr<CImage> image = rgbaImage(2, 2);
    const uint8_t topLeft[4] = {255, 0, 0, 128};
    memcpy(image->getPixels(), topLeft, 4);
    CWin32MouseCursor::setCursorImage(image, 1, 0);
    HCURSOR cursor = CWin32MouseCursor::createAlphaCursor(1, 0);
    ASSERT_NE(cursor, nullptr);

    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 1u);
    EXPECT_EQ(info.yHotspot, 0u);
    ASSERT_NE(info.hbmColor, nullptr);
    // Read the colour bitmap back as a bottom-up 32-bit DIB.
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = 2;
    format.bmiHeader.biHeight = 2;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    uint8_t bits[16] = {};
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(screen, info.hbmColor, 0, 2, bits, &format, DIB_RGB_COLORS), 2);
    ReleaseDC(nullptr, screen);
    const uint8_t expectedTopRow[4] = {0, 0, 255, 128};
    EXPECT_EQ(memcmp(bits + 8, expectedTopRow, 4), 0);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyCursor(cursor);

    CWin32MouseCursor::setCursorType(CWin32MouseCursor::C_CURSOR_BITMAP);
    CWin32MouseCursor::applyCursor();
    EXPECT_EQ(CWin32MouseCursor::getCursorType(), CWin32MouseCursor::C_CURSOR_BITMAP);
    EXPECT_EQ(CWin32MouseCursor::getCursorImage(), image.get());
}
