#include "Engine/IKernel/Resources/Images/CImage.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"

#include <gtest/gtest.h>

using namespace Tavrin::Engine;

TEST(CImageTest, FormatsGiveTheirPixelSize)
{
    struct SCase
    {
        TPixelFormat format;
        uint32_t bytes;
    };
    const SCase cases[] = {{C_PIXEL_FORMAT_L8, 1}, {C_PIXEL_FORMAT_RGB8, 3}, {C_PIXEL_FORMAT_RGBA8, 4},
                           {C_PIXEL_FORMAT_R32F, 4}, {C_PIXEL_FORMAT_RGBA32F, 16}};
    for (const SCase& c : cases)
    {
        CManagedPtr<CImage> image = CManagedPtr<CImage>::adopt(new CImage(5, 3, c.format));
        EXPECT_EQ(image->getBytesPerPixel(), c.bytes);
        EXPECT_EQ(image->getRowSize(5), 5u * c.bytes);
        EXPECT_EQ(image->getRowSize(2), 2u * c.bytes);
        EXPECT_EQ(image->getPixelBytes(), 15u * c.bytes);
        EXPECT_EQ(image->getRow(2), image->getPixels() + 10u * c.bytes);
    }
}

TEST(CImageTest, NewImageIsZeroFilled)
{
    CManagedPtr<CImage> image = CManagedPtr<CImage>::adopt(new CImage(7, 9, C_PIXEL_FORMAT_RGBA8));
    EXPECT_EQ(image->getWidth(), 7u);
    EXPECT_EQ(image->getHeight(), 9u);
    EXPECT_EQ(image->getFormat(), C_PIXEL_FORMAT_RGBA8);
    ASSERT_NE(image->getPixels(), nullptr);
    for (uint64_t i = 0; i < image->getPixelBytes(); ++i)
        ASSERT_EQ(image->getPixels()[i], 0) << i;
    image->getRow(8)[27] = 0xAB;
    EXPECT_EQ(image->getPixels()[image->getPixelBytes() - 1], 0xAB);
}

TEST(CImageTest, EmptyOrUnknownImagesAreRefused)
{
    for (uint32_t size : {0u, 1u})
    {
        try
        {
            CImage image(size, 1 - size, C_PIXEL_FORMAT_L8);
            ADD_FAILURE() << "no exception";
        }
        catch (const CInternalErrorException& exception)
        {
            EXPECT_STREQ(exception.getDetails().c_str(), "An image cannot have 0 size!\n");
        }
    }
    EXPECT_THROW(CImage(1, 1, static_cast<TPixelFormat>(99)), CInvalidArgumentException);
}

TEST(CImageTest, FreedPixelsKeepSizeAndFormat)
{
    CManagedPtr<CImage> image = CManagedPtr<CImage>::adopt(new CImage(4, 4, C_PIXEL_FORMAT_RGB8));
    image->freePixels();
    EXPECT_EQ(image->getPixels(), nullptr);
    EXPECT_EQ(image->getRow(1), nullptr);
    EXPECT_EQ(image->getWidth(), 4u);
    EXPECT_EQ(image->getBytesPerPixel(), 3u);
    image->freePixels();
}
