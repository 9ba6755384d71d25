#include "Engine/IKernel/Resources/CStreamFailure.h"

namespace Tavrin {
namespace Engine {

void CStreamFailure::raise() const
{
    // No new crash report: the one written where the data was lost shows the
    // stack that matters, and a report of this call would replace it.
    if (m_failure)
        std::rethrow_exception(m_failure);
}

} // namespace Engine
} // namespace Tavrin
