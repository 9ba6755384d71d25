#include "Engine/IInput/IInput.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/IKernel.h"

namespace Tavrin {
namespace Engine {

uint32_t IInput::s_installCount = 0;

void IInput::install()
{
    if (++s_installCount != 1)
        return;
    try
    {
        IKernel::install();
    }
    catch (...)
    {
        // A failed first install must not pass for an installed module.
        --s_installCount;
        throw;
    }
    log("Installing IInput\n");
}

void IInput::uninstall()
{
    if (s_installCount == 0)
        TAVRIN_THROW_AT(CInvalidOperationException, "Module has not been installed properly\n", "Engine/IInput/IInput", 34);
    if (--s_installCount != 0)
        return;
    log("IInput uninstalled\n");
    IKernel::uninstall();
}

} // namespace Engine
} // namespace Tavrin
