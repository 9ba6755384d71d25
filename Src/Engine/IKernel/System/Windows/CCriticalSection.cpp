#include "Engine/IKernel/System/CCriticalSection.h"

#include <windows.h>

namespace Tavrin {
namespace Engine {

static_assert(sizeof(CRITICAL_SECTION) <= 64, "critical section storage too small");

static CRITICAL_SECTION* native(unsigned char* storage)
{
    return reinterpret_cast<CRITICAL_SECTION*>(storage);
}

CCriticalSection::CCriticalSection()
{
    InitializeCriticalSection(native(m_storage));
}

CCriticalSection::~CCriticalSection()
{
    DeleteCriticalSection(native(m_storage));
}

void CCriticalSection::enter()
{
    EnterCriticalSection(native(m_storage));
}

void CCriticalSection::leave()
{
    LeaveCriticalSection(native(m_storage));
}

} // namespace Engine
} // namespace Tavrin
