#pragma once

#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Resources/Images/CImage.h"

#include <windows.h>

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The process-wide cursor of the engine's windows: one of four system
// cursors (the arrow at start) or a cursor made from an RGBA image with a
// hotspot and per-pixel alpha. Windows re-apply it from their events.
class CWin32MouseCursor
{
public:
    static constexpr uint32_t C_CURSOR_BITMAP = 0;
    static constexpr uint32_t C_CURSOR_ARROW = 1;
    static constexpr uint32_t C_CURSOR_WAIT = 2;
    static constexpr uint32_t C_CURSOR_CROSS = 3;
    static constexpr uint32_t C_CURSOR_SIZE = 4;

    // Shows the current setting.
    static void applyCursor();
    // Shows the system cursor of the current type, dropping any custom image;
    // returns the cursor shown before.
    static HCURSOR applySystemCursor();
    // A new cursor (the caller destroys it) from the custom image.
    static HCURSOR createAlphaCursor(uint32_t hotspotX, uint32_t hotspotY);

    static uint32_t getCursorType();
    static void setCursorType(uint32_t type);
    // The image (RGBA, 4 bytes per pixel) and hotspot of C_CURSOR_BITMAP.
    static void setCursorImage(const CManagedPtr<CImage>& image, uint32_t hotspotX, uint32_t hotspotY);
    static const CManagedPtr<CImage>& getCursorImage();

    // Resource id of the system cursor of a type; the arrow for unknown types.
    static uint32_t getSystemCursorId(uint32_t type);
    // RGBA rows top first (sourceRowSize bytes apart) to packed BGRA rows
    // bottom first, the layout of a bottom-up 32-bit DIB.
    static void convertPixels(const uint8_t* source, uint64_t sourceRowSize, uint32_t width, uint32_t height,
                              uint8_t* destination);
};

} // namespace Engine
} // namespace Tavrin
