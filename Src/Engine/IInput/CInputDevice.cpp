#include "Engine/IInput/CInputDevice.h"

namespace Tavrin {
namespace Engine {

CInputDevice::CInputDevice(void* window, uint32_t foregroundOnly) : m_window(window), m_foregroundOnly(foregroundOnly)
{
}

CInputDevice::~CInputDevice() = default;

} // namespace Engine
} // namespace Tavrin
