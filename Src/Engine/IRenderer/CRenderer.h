#pragma once

#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IRenderer/CSwapChain.h"

namespace Tavrin {
namespace Engine {

// The part of a renderer that windows use.
class CRenderer : public CManaged
{
public:
    // A new swap chain holding its creation reference, or an empty pointer.
    virtual CManagedPtr<CSwapChain> createSwapChain(const SSwapChainDescription& description) = 0;
};

} // namespace Engine
} // namespace Tavrin
