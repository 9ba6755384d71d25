#pragma once

#include "Engine/IKernel/Patterns/CManaged.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Pixel layouts, named by their components in memory order.
enum TPixelFormat : uint32_t
{
    C_PIXEL_FORMAT_L8 = 0,
    C_PIXEL_FORMAT_RGB8 = 1,
    C_PIXEL_FORMAT_RGBA8 = 2,
    C_PIXEL_FORMAT_R32F = 3,
    C_PIXEL_FORMAT_RGBA32F = 4,
};

// A 2D image in memory: size, pixel format and packed pixel rows, top row
// first, in the C heap.
class CImage : public CManaged
{
public:
    // Zero-filled pixels; a zero width or height is an internal error.
    CImage(uint32_t width, uint32_t height, TPixelFormat format);
    ~CImage() override;

    static uint32_t getBytesPerPixel(TPixelFormat format);

    uint32_t getWidth() const { return m_width; }
    uint32_t getHeight() const { return m_height; }
    TPixelFormat getFormat() const { return m_format; }
    uint32_t getBytesPerPixel() const { return getBytesPerPixel(m_format); }
    // Bytes of one row of the given width in this format (rows are packed).
    uint64_t getRowSize(uint32_t width) const { return static_cast<uint64_t>(width) * getBytesPerPixel(); }
    uint64_t getPixelBytes() const { return getRowSize(m_width) * m_height; }

    // Null when the memory could not be had or the pixels were freed.
    uint8_t* getPixels() { return m_pixels; }
    const uint8_t* getPixels() const { return m_pixels; }
    uint8_t* getRow(uint32_t y) { return m_pixels ? m_pixels + getRowSize(m_width) * y : nullptr; }
    // Drops the pixel memory, keeping size and format (for example once a
    // copy lives elsewhere).
    void freePixels();

private:
    uint32_t m_width;
    uint32_t m_height;
    TPixelFormat m_format;
    uint8_t* m_pixels;
};

} // namespace Engine
} // namespace Tavrin
