#include "Engine/IRenderer/IRenderer.h"

#include "Engine/IInput/IInput.h"
#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IRenderer/CWindowManager.h"

namespace Tavrin {
namespace Engine {

uint32_t IRenderer::s_installCount = 0;
CWindowManager* IRenderer::s_windowManager = nullptr;

void IRenderer::install()
{
    if (++s_installCount != 1)
        return;
    try
    {
        IKernel::install();
    }
    catch (...)
    {
        --s_installCount;
        throw;
    }
    log("Installing IRenderer\n");
    try
    {
        IInput::install();
    }
    catch (...)
    {
        // Leaves the counts as they were before this install.
        --s_installCount;
        IKernel::uninstall();
        throw;
    }
    // The first manager becomes the default one that applications use.
    s_windowManager = new CWindowManager();
}

void IRenderer::uninstall()
{
    if (s_installCount == 0)
        TAVRIN_THROW_AT(CInvalidOperationException, "Module has not been installed properly\n", "Engine/IRenderer/IRenderer", 89);
    if (--s_installCount != 0)
        return;
    delete s_windowManager;
    s_windowManager = nullptr;
    IInput::uninstall();
    log("IRenderer uninstalled\n");
    IKernel::uninstall();
}

} // namespace Engine
} // namespace Tavrin
