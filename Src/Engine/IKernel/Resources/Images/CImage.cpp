#include "Engine/IKernel/Resources/Images/CImage.h"

#include "Engine/IKernel/CException.h"

#include <cstdlib>

namespace Tavrin {
namespace Engine {

CImage::CImage(uint32_t width, uint32_t height, TPixelFormat format)
    : m_width(width), m_height(height), m_format(format), m_pixels(nullptr)
{
    if (width == 0 || height == 0)
        TAVRIN_THROW(CInternalErrorException, "An image cannot have 0 size!\n", "Engine/IKernel/Resources/Images/CImage");
    if (getBytesPerPixel(format) == 0)
        TAVRIN_THROW(CInvalidArgumentException, "Unknown pixel format\n", "Engine/IKernel/Resources/Images/CImage");
    m_pixels = static_cast<uint8_t*>(calloc(getPixelBytes(), 1));
}

CImage::~CImage()
{
    free(m_pixels);
}

uint32_t CImage::getBytesPerPixel(TPixelFormat format)
{
    switch (format)
    {
    case C_PIXEL_FORMAT_L8:
        return 1;
    case C_PIXEL_FORMAT_RGB8:
        return 3;
    case C_PIXEL_FORMAT_RGBA8:
    case C_PIXEL_FORMAT_R32F:
        return 4;
    case C_PIXEL_FORMAT_RGBA32F:
        return 16;
    }
    return 0;
}

void CImage::freePixels()
{
    free(m_pixels);
    m_pixels = nullptr;
}

} // namespace Engine
} // namespace Tavrin
