#include "Engine/IInput/CMouse.h"

namespace Tavrin {
namespace Engine {

CMouse::CMouse(void* window, uint32_t foregroundOnly) : CInputDevice(window, foregroundOnly)
{
    resetState();
}

CMouse::~CMouse() = default;

void CMouse::update(float)
{
}

void CMouse::resetState()
{
    m_deltaX = 0;
    m_deltaY = 0;
    m_wheel = 0.0f;
}

} // namespace Engine
} // namespace Tavrin
