#include "Engine/IKernel/System/Windows/CDxgiAdapters.h"

#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/Types/CUnicode.h"

#include <dxgi.h>

namespace Tavrin {
namespace Engine {

namespace {

CString toUtf8(const WCHAR* text)
{
    const uint16_t* wide = reinterpret_cast<const uint16_t*>(text);
    int32_t length = 0;
    char* bytes = wideToUtf8(wide, wideLength(wide), &length);
    CString result;
    result.adopt(bytes, length);
    result.setUTF8(1);
    return result;
}

std::shared_ptr<CDisplayAdapterInfo> describe(const DXGI_ADAPTER_DESC1& desc)
{
    std::shared_ptr<CDisplayAdapterInfo> adapter = std::make_shared<CDisplayAdapterInfo>();
    // The record's text may fill all 128 units without a terminator.
    WCHAR text[129];
    memcpy(text, desc.Description, sizeof(desc.Description));
    text[128] = 0;
    adapter->description = toUtf8(text);
    adapter->vendorId = desc.VendorId;
    adapter->deviceId = desc.DeviceId;
    adapter->subSysId = desc.SubSysId;
    adapter->revision = desc.Revision;
    adapter->dedicatedVideoMemory = desc.DedicatedVideoMemory;
    adapter->dedicatedSystemMemory = desc.DedicatedSystemMemory;
    adapter->sharedSystemMemory = desc.SharedSystemMemory;
    adapter->adapterId = (static_cast<int64_t>(desc.AdapterLuid.HighPart) << 32) | desc.AdapterLuid.LowPart;
    adapter->type = CDisplayAdapterInfo::typeFromFlags(desc.Flags);
    return adapter;
}

} // namespace

CDisplayAdapterList CDxgiAdapters::enumerate(TCreateDxgiFactory1 createFactory)
{
    CDisplayAdapterList adapters;
    IDXGIFactory1* factory = nullptr;
    if (!createFactory || FAILED(createFactory(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory))) ||
        !factory)
    {
        // NOTE: Wine 8 and headless systems fail here at every call. The
        // section goes on without adapters instead of ending the program.
        logWide(L"Failed to create DXGI 1.1 factory!\n");
        return adapters;
    }
    IDXGIAdapter1* adapter = nullptr;
    // Ends at DXGI_ERROR_NOT_FOUND, and at any other failure rather than
    // asking again forever.
    for (UINT index = 0; SUCCEEDED(factory->EnumAdapters1(index, &adapter)) && adapter; ++index)
    {
        DXGI_ADAPTER_DESC1 desc;
        if (SUCCEEDED(adapter->GetDesc1(&desc)))
            adapters.add(describe(desc));
        adapter->Release();
        adapter = nullptr;
    }
    factory->Release();
    return adapters;
}

CDisplayAdapterList CSystem::enumerateDisplayAdapters()
{
    // Loaded by name, so that systems without DXGI 1.1 still start.
    HMODULE library = LoadLibraryA("dxgi.dll");
    FARPROC entry = library ? GetProcAddress(library, "CreateDXGIFactory1") : nullptr;
    TCreateDxgiFactory1 create = reinterpret_cast<TCreateDxgiFactory1>(reinterpret_cast<void (*)()>(entry));
    CDisplayAdapterList adapters = CDxgiAdapters::enumerate(create);
    if (library)
        FreeLibrary(library);
    return adapters;
}

} // namespace Engine
} // namespace Tavrin
