#pragma once

#include "Engine/IInput/CJoystick.h"
#include "Engine/IInput/CMouse.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

class CKeyscout;
class CDetectionFrontEnd;

// One detection: opens the detection window and fresh devices, polls them
// every 10 ms while the mapper records, and hands the result to the front
// end. Knows nothing of the dialog, so any front end can drive it.
class CDetectionRun
{
public:
    static const char* const C_WINDOW_TITLE;
    static constexpr uint32_t C_WINDOW_WIDTH = 320;
    static constexpr uint32_t C_WINDOW_HEIGHT = 100;
    // Centred, with caption, system menu and sizing frame.
    static constexpr uint32_t C_WINDOW_FLAGS = 68;
    static constexpr uint32_t C_POLL_MILLISECONDS = 10;

    CDetectionRun(CKeyscout& application, CDetectionFrontEnd& frontEnd);
    CDetectionRun(const CDetectionRun&) = delete;
    CDetectionRun& operator=(const CDetectionRun&) = delete;

    // The whole run; returns the text given to the front end. On failure the
    // window and the devices are released and the front end is back.
    Tavrin::Engine::CString execute();

private:
    Tavrin::Engine::CString _detect();
    void _closeWindow();
    void _abandon();
    void _openWindow();
    void _createDevices();
    bool _isOver() const;
    void _poll();
    Tavrin::Engine::CString _takeResult();
    void _releaseDevices();

    CKeyscout& m_application;
    CDetectionFrontEnd& m_frontEnd;
    Tavrin::Engine::CManagedPtr<Tavrin::Engine::CJoystick> m_joysticks[2];
    Tavrin::Engine::CManagedPtr<Tavrin::Engine::CMouse> m_mouse;
    bool m_frontEndAside = false;
};
