#pragma once

#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// What a window asks of the renderer for its swap chain.
struct SSwapChainDescription
{
    CString name;
    // The native window the chain presents to.
    void* window = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t colourFormat = 0;
    uint32_t depthFormat = 0;
    // The window's swap-chain creation flags 32, 16 and 8, in that order.
    bool options[3] = {false, false, false};
};

// The state a swap chain reports.
struct SSwapChainState
{
    bool fullscreen = false;
    uint32_t width = 0;
    uint32_t height = 0;
};

// The images a renderer presents to one window. Only what windows need of it
// is declared here; the renderer supplies the rest.
class CSwapChain : public CManaged
{
public:
    virtual SSwapChainState getState() const = 0;
    virtual void setFullscreen(bool fullscreen) = 0;
    // Follows the window's client area.
    virtual void resize(uint32_t width, uint32_t height) = 0;
};

} // namespace Engine
} // namespace Tavrin
