#include "Engine/IInput/Linux/CSdlOnDemand.h"

#include "Engine/IKernel/CLog.h"

namespace Tavrin {
namespace Engine {

bool CSdlOnDemand::acquire()
{
    if (m_library || m_failed)
        return m_library != nullptr;
    std::unique_ptr<CSdlLibrary> library(new CSdlLibrary(m_subsystems));
    if (!library->isReady())
    {
        // The library logged SDL's own reason.
        m_failed = true;
        logLevel(2, "%s", m_unavailable);
        return false;
    }
    m_library = std::move(library);
    return true;
}

} // namespace Engine
} // namespace Tavrin
