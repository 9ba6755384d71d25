#pragma once

#include "Engine/IKernel/System/CSystem.h"

#include <windows.h>

namespace Tavrin {
namespace Engine {

typedef HRESULT(WINAPI* TCreateDxgiFactory1)(REFIID riid, void** factory);

// Display adapters through a DXGI 1.1 factory made by the given entry point.
class CDxgiAdapters
{
public:
    // Logs "Failed to create DXGI 1.1 factory!" and returns an empty list
    // when the entry point is missing or fails.
    static CDisplayAdapterList enumerate(TCreateDxgiFactory1 createFactory);
};

} // namespace Engine
} // namespace Tavrin
