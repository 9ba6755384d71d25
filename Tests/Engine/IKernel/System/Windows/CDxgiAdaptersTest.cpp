#include "Engine/IKernel/System/Windows/CDxgiAdapters.h"

#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/Debug/CStackTrace.h"
#include "Support/TestFiles.h"

#include <gtest/gtest.h>

#include <dxgi.h>

using namespace Tavrin::Engine;
using namespace TavrinTests;

namespace {

// Counts references so that a test sees every object released.
template <typename Interface>
class CFakeObject : public Interface
{
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, UINT, const void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID, const IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, UINT*, void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetParent(REFIID, void** parent) override
    {
        *parent = nullptr;
        return E_NOTIMPL;
    }
    ULONG m_references = 1;
};

class CFakeAdapter : public CFakeObject<IDXGIAdapter1>
{
public:
    HRESULT STDMETHODCALLTYPE EnumOutputs(UINT, IDXGIOutput** output) override
    {
        *output = nullptr;
        return DXGI_ERROR_NOT_FOUND;
    }
    HRESULT STDMETHODCALLTYPE GetDesc(DXGI_ADAPTER_DESC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CheckInterfaceSupport(REFGUID, LARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDesc1(DXGI_ADAPTER_DESC1* desc) override
    {
        if (m_failDescription)
            return E_FAIL;
        *desc = m_desc;
        return S_OK;
    }
    DXGI_ADAPTER_DESC1 m_desc = {};
    bool m_failDescription = false;
};

class CFakeFactory : public CFakeObject<IDXGIFactory1>
{
public:
    HRESULT STDMETHODCALLTYPE EnumAdapters(UINT, IDXGIAdapter**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MakeWindowAssociation(HWND, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWindowAssociation(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateSwapChain(IUnknown*, DXGI_SWAP_CHAIN_DESC*, IDXGISwapChain**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateSoftwareAdapter(HMODULE, IDXGIAdapter**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdapters1(UINT index, IDXGIAdapter1** adapter) override
    {
        if (index >= m_count)
        {
            *adapter = nullptr;
            return DXGI_ERROR_NOT_FOUND;
        }
        m_adapters[index].AddRef();
        *adapter = &m_adapters[index];
        return S_OK;
    }
    BOOL STDMETHODCALLTYPE IsCurrent() override { return TRUE; }

    CFakeAdapter m_adapters[4];
    UINT m_count = 0;
};

CFakeFactory* s_factory = nullptr;
IID s_askedFor = {};

HRESULT WINAPI createFakeFactory(REFIID riid, void** factory)
{
    s_askedFor = riid;
    s_factory->AddRef();
    *factory = static_cast<IDXGIFactory1*>(s_factory);
    return S_OK;
}

HRESULT WINAPI failToCreateFactory(REFIID, void** factory)
{
    *factory = nullptr;
    return DXGI_ERROR_UNSUPPORTED;
}

void describe(CFakeAdapter& adapter, const wchar_t* text, UINT vendor, UINT flags)
{
    wcsncpy(adapter.m_desc.Description, text, 128);
    adapter.m_desc.VendorId = vendor;
    adapter.m_desc.DeviceId = 0x73BF;
    adapter.m_desc.SubSysId = 0x0E3A1002;
    adapter.m_desc.Revision = 0xC1;
    adapter.m_desc.DedicatedVideoMemory = SIZE_T(16) << 30;
    adapter.m_desc.DedicatedSystemMemory = 0x1000;
    adapter.m_desc.SharedSystemMemory = SIZE_T(32) << 30;
    adapter.m_desc.AdapterLuid.LowPart = 0x1234;
    adapter.m_desc.AdapterLuid.HighPart = 1;
    adapter.m_desc.Flags = flags;
}

TEST(CDxgiAdapters, ReadsEveryAdapterAndReleasesEverything)
{
    CFakeFactory factory;
    s_factory = &factory;
    describe(factory.m_adapters[0], L"Radeon\u2122 RX 6800 \u00e9", 0x1002, 0);
    describe(factory.m_adapters[1], L"Microsoft Basic Render Driver", 0x1414, 2);
    factory.m_adapters[2].m_failDescription = true;
    describe(factory.m_adapters[3], L"Remote adapter with flags 3", 0x10DE, 3);
    factory.m_count = 4;

    CDisplayAdapterList adapters = CDxgiAdapters::enumerate(createFakeFactory);
    EXPECT_TRUE(IsEqualIID(s_askedFor, __uuidof(IDXGIFactory1)));
    ASSERT_EQ(adapters.getCount(), 3u);
    EXPECT_STREQ(adapters[0]->description.c_str(), "Radeon\xE2\x84\xA2 RX 6800 \xC3\xA9");
    EXPECT_EQ(adapters[0]->vendorId, 0x1002u);
    EXPECT_EQ(adapters[0]->deviceId, 0x73BFu);
    EXPECT_EQ(adapters[0]->subSysId, 0x0E3A1002u);
    EXPECT_EQ(adapters[0]->revision, 0xC1u);
    EXPECT_EQ(adapters[0]->dedicatedVideoMemory, size_t(16) << 30);
    EXPECT_EQ(adapters[0]->dedicatedSystemMemory, 0x1000u);
    EXPECT_EQ(adapters[0]->sharedSystemMemory, size_t(32) << 30);
    EXPECT_EQ(adapters[0]->adapterId, (int64_t(1) << 32) | 0x1234);
    EXPECT_EQ(adapters[0]->type, CDisplayAdapterInfo::C_TYPE_GPU);
    EXPECT_STREQ(adapters[1]->description.c_str(), "Microsoft Basic Render Driver");
    EXPECT_EQ(adapters[1]->type, CDisplayAdapterInfo::C_TYPE_SOFTWARE);
    EXPECT_EQ(adapters[2]->vendorId, 0x10DEu);
    EXPECT_EQ(adapters[2]->type, CDisplayAdapterInfo::C_TYPE_GPU);

    EXPECT_EQ(factory.m_references, 1u);
    for (const CFakeAdapter& adapter : factory.m_adapters)
        EXPECT_EQ(adapter.m_references, 1u);
}

TEST(CDxgiAdapters, FailedFactoryIsLoggedAndGivesNoAdapters)
{
    std::string folder = makeTestFolder("CDxgiAdaptersTest");
    std::string logFile = folder + "/log.txt";
    std::string crashFile = folder + "/crash.txt";
    installLog();
    getLog()->setLowestLevel(1);
    reopenLog(logFile.c_str());
    CStackTrace::setCrashFileName(crashFile.c_str());
    writeFile(crashFile, "untouched");

    CDisplayAdapterList adapters;
    EXPECT_NO_THROW(adapters = CDxgiAdapters::enumerate(failToCreateFactory));
    EXPECT_EQ(adapters.getCount(), 0u);
    EXPECT_NO_THROW(adapters = CDxgiAdapters::enumerate(nullptr));
    EXPECT_EQ(adapters.getCount(), 0u);
    // The machine's own answer, whatever it is, never throws either.
    EXPECT_NO_THROW(CSystem::enumerateDisplayAdapters());

    uninstallLog();
    CStackTrace::setCrashFileName("crashLog.txt");
    std::string log = readFile(logFile);
    EXPECT_GE(countOf(log, "] Failed to create DXGI 1.1 factory!\n"), 2u);
    EXPECT_EQ(log.find("Exception ("), std::string::npos);
    EXPECT_EQ(readFile(crashFile), "untouched");
}

TEST(CSystemWindows, OsNameComesFromVersionTable)
{
    std::string name = CSystem::getOSName().c_str();
    EXPECT_EQ(name.compare(0, 8, "Windows "), 0) << name;
    EXPECT_NE(name, "Windows 9x");
}

} // namespace
