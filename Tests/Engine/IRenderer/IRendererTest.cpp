#include "Engine/IRenderer/IRenderer.h"

#include "Engine/IInput/IInput.h"
#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/KernelTestSupport.h"
#include "Engine/IRenderer/RendererTestSupport.h"
#include "Engine/IRenderer/CWindowManager.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

const char* const C_NOT_INSTALLED = "Module has not been installed properly\n";

std::string installedLogPath()
{
    return std::string(IKernel::getExecutableFolder().c_str()) + "/" + IKernel::getApplicationShortName().c_str() +
           "_log.txt";
}

// The module lines of a log, in order, without their prefixes.
std::vector<std::string> moduleLines(const std::string& text)
{
    std::vector<std::string> found;
    for (const std::string& line : TavrinTest::splitLines(text))
        for (const char* wanted : {"Installing IKernel", "Installing IInput", "Installing IRenderer", "IRenderer uninstalled",
                                   "IInput uninstalled", "IKernel uninstalled"})
            if (line.size() >= strlen(wanted) && line.compare(line.size() - strlen(wanted), std::string::npos, wanted) == 0)
                found.push_back(wanted);
    return found;
}

// Log lines written while alive, without time stamps; the kernel must be installed.
class CModuleLines
{
public:
    CModuleLines() : m_mode(getLog()->getTimeStampMode())
    {
        getLog()->setTimeStampMode(CLog::C_TIMESTAMP_NONE);
        lines().clear();
        getLog()->addListener(&CModuleLines::_listen);
    }
    ~CModuleLines()
    {
        getLog()->removeListener(&CModuleLines::_listen);
        getLog()->setTimeStampMode(m_mode);
    }
    static std::vector<std::string>& lines()
    {
        static std::vector<std::string> s_lines;
        return s_lines;
    }

private:
    static void _listen(const char* text) { lines().push_back(text); }

    uint32_t m_mode;
};

} // namespace

// The entry's order: kernel, input, renderer up; renderer, input, kernel down.
TEST(IRendererModule, EntryOrderBalancesEveryCountAndLogsEachModuleOnce)
{
    TavrinTest::CKernelFactsGuard facts;
    IKernel::install();
    IInput::install();
    IRenderer::install();
    EXPECT_EQ(IKernel::getInstallCount(), 3u);
    EXPECT_EQ(IInput::getInstallCount(), 2u);
    EXPECT_EQ(IRenderer::getInstallCount(), 1u);
    ASSERT_NE(IRenderer::getWindowManager(), nullptr);
    EXPECT_EQ(CWindowManager::getDefault(), IRenderer::getWindowManager());
    std::string path = installedLogPath();

    IRenderer::uninstall();
    EXPECT_EQ(IRenderer::getInstallCount(), 0u);
    EXPECT_EQ(IInput::getInstallCount(), 1u);
    EXPECT_EQ(IKernel::getInstallCount(), 2u);
    EXPECT_EQ(IRenderer::getWindowManager(), nullptr);
    EXPECT_EQ(CWindowManager::getDefault(), nullptr);
    EXPECT_EQ(CWindowManager::getManagerCount(), 0u);
    IInput::uninstall();
    EXPECT_EQ(IInput::getInstallCount(), 0u);
    EXPECT_EQ(IKernel::getInstallCount(), 1u);
    IKernel::uninstall();
    EXPECT_EQ(IKernel::getInstallCount(), 0u);

    EXPECT_EQ(moduleLines(TavrinTest::readFile(path)),
              (std::vector<std::string>{"Installing IKernel", "Installing IInput", "Installing IRenderer",
                                        "IRenderer uninstalled", "IInput uninstalled", "IKernel uninstalled"}));
}

TEST(IRendererModule, InputCountsItsUsersAndOnlyTheLastUninstallWorks)
{
    TavrinTest::CKernelFactsGuard facts;
    IKernel::install();
    {
        CModuleLines capture;
        IInput::install();
        EXPECT_EQ(IKernel::getInstallCount(), 2u);
        IInput::install();
        IInput::uninstall();
        EXPECT_EQ(IInput::getInstallCount(), 1u);
        EXPECT_EQ(IKernel::getInstallCount(), 2u);
        EXPECT_EQ(CModuleLines::lines(), (std::vector<std::string>{"Installing IInput\n"}));
        IInput::uninstall();
        EXPECT_EQ(IKernel::getInstallCount(), 1u);
        EXPECT_EQ(CModuleLines::lines(), (std::vector<std::string>{"Installing IInput\n", "IInput uninstalled\n"}));
    }
    expectException<CInvalidOperationException>([] { IInput::uninstall(); }, C_NOT_INSTALLED, "Engine/IInput/IInput", 34);
    EXPECT_EQ(IInput::getInstallCount(), 0u);
    EXPECT_EQ(IKernel::getInstallCount(), 1u);
    IKernel::uninstall();
}

TEST(IRendererModule, UninstallingTooOftenThrowsAndChangesNothing)
{
    TavrinTest::CKernelFactsGuard facts;
    expectException<CInvalidOperationException>([] { IRenderer::uninstall(); }, C_NOT_INSTALLED,
                                                      "Engine/IRenderer/IRenderer", 89);
    EXPECT_EQ(IRenderer::getInstallCount(), 0u);
    EXPECT_EQ(IInput::getInstallCount(), 0u);
    EXPECT_EQ(IKernel::getInstallCount(), 0u);

    IRenderer::install();
    IRenderer::install();
    // The renderer and the input module it installs each hold the kernel once.
    EXPECT_EQ(IInput::getInstallCount(), 1u);
    EXPECT_EQ(IKernel::getInstallCount(), 2u);
    CWindowManager* manager = IRenderer::getWindowManager();
    IRenderer::uninstall();
    EXPECT_EQ(IRenderer::getWindowManager(), manager);
    IRenderer::uninstall();
    EXPECT_EQ(IRenderer::getInstallCount(), 0u);
    EXPECT_EQ(IInput::getInstallCount(), 0u);
    EXPECT_EQ(IKernel::getInstallCount(), 0u);
    expectException<CInvalidOperationException>([] { IRenderer::uninstall(); }, C_NOT_INSTALLED,
                                                      "Engine/IRenderer/IRenderer", 89);
}

TEST(IRendererModule, LastUninstallDeletesTheWindowsStillOpen)
{
    TavrinTest::CKernelFactsGuard facts;
    TTrace trace;
    IRenderer::install();
    CManagedPtr<CWindow> window = IRenderer::getWindowManager()->createWindow("Left open", 320, 100, 68);
    CManagedPtr<CTraceListener> listener = CManagedPtr<CTraceListener>::adopt(new CTraceListener(trace, ""));
    window->addListener(listener.get());
    EXPECT_EQ(listener->getReferenceCount(), 2u);
    // The manager deletes the window; its holder must not release it again.
    window.detach();
    IRenderer::uninstall();
    EXPECT_EQ(listener->getReferenceCount(), 1u);
}
