#include "Engine/IKernel/CThrowReporter.h"

#include <atomic>

namespace Tavrin {
namespace Engine {

namespace {

// Any thread may throw while the kernel installs.
std::atomic<CThrowReporter*> s_reporter{nullptr};

} // namespace

void CThrowReporter::install(CThrowReporter* reporter)
{
    s_reporter.store(reporter);
}

CThrowReporter* CThrowReporter::get()
{
    return s_reporter.load();
}

} // namespace Engine
} // namespace Tavrin
