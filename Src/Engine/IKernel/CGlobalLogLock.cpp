#include "Engine/IKernel/CGlobalLogLock.h"

#include "Engine/IKernel/System/CCriticalSection.h"

namespace Tavrin {
namespace Engine {

namespace {

thread_local unsigned t_holds = 0;

// Never destroyed: a report written during static destruction logs its lines.
CCriticalSection& globalLogLock()
{
    static CCriticalSection* lock = new CCriticalSection();
    return *lock;
}

} // namespace

CGlobalLogLock::CGlobalLogLock()
{
    globalLogLock().enter();
    ++t_holds;
}

CGlobalLogLock::~CGlobalLogLock()
{
    --t_holds;
    globalLogLock().leave();
}

bool CGlobalLogLock::isHeld()
{
    return t_holds != 0;
}

} // namespace Engine
} // namespace Tavrin
