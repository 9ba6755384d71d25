#pragma once

#include "Engine/IKernel/Patterns/CManaged.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Base of every polled input device, bound to one native window.
class CInputDevice : public CManaged
{
public:
    // foregroundOnly 1: input only while the window has the keyboard focus.
    CInputDevice(void* window, uint32_t foregroundOnly);
    ~CInputDevice() override;

    // Reads the device; called by the input manager once per poll.
    virtual void update(float dt) = 0;

    // Opaque to the device except for focus comparisons and the platform.
    void* getWindow() const { return m_window; }
    uint32_t getForegroundOnly() const { return m_foregroundOnly; }

protected:
    void* m_window;
    uint32_t m_foregroundOnly;
};

} // namespace Engine
} // namespace Tavrin
