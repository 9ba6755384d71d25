#pragma once

#include "Engine/IInput/CJoystick.h"
#include "Engine/IInput/CMouse.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

class CKeyscout;
class CDetectionFrontEnd;

// One detection: opens the detection window and fresh devices, polls them
// while the mapper records, and hands the result to the front end. Knows
// nothing of the dialog, so any front end can drive it.
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

    // A run in steps: start, poll every 10 ms until it answers false, finish.
    // On a failure in any step the window and the devices are released and
    // the front end is back before the exception goes on.
    void start();
    // One pass; false once the run is over (everything let go, or closed).
    bool poll();
    // Gives the result to the front end, closes the window, frees the devices.
    Tavrin::Engine::CString finish();
    // Ends the run without a result: window and devices released, front end back.
    void cancel() { _abandon(); }
    // After finish: whether any input was recorded (its names may be empty).
    bool hasRecorded() const { return m_recorded; }

private:
    template <typename TStep>
    void _guarded(TStep step);
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
    bool m_recorded = false;
};
