#pragma once

#include "Engine/IInput/CInputManager.h"
#include "Engine/IInput/CInputMapper.h"
#include "Engine/IInput/SJoystickDescriptor.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"
#include "Engine/IRenderer/CWindow.h"
#include "Engine/IRenderer/CWindowEventListener.h"

#include <cstdint>
#include <memory>
#include <string>

class CDetectionFrontEnd;
class CDetectionRun;

// The application: the input manager, the mapper used for detection, the
// joysticks listed when the dialog opened and the user's choices. It listens
// to the detection window and hands its keys and buttons to the mapper.
class CKeyscout : public Tavrin::Engine::CWindowEventListener
{
public:
    static constexpr uint32_t C_SLOT_COUNT = 2;
    static constexpr uint32_t C_NO_SELECTION = 0xFFFFFFFFu;
    // What every front end shows before the first run.
    static const char* const C_PROMPT;
    // The most joysticks a front end lists for each slot.
    static constexpr uint32_t C_MAX_LISTED_JOYSTICKS = 16;

    // The platform's input manager.
    CKeyscout();
    // Another input manager (tests, other front ends).
    explicit CKeyscout(const Tavrin::Engine::CManagedPtr<Tavrin::Engine::CInputManager>& inputManager);
    // Runs after the modules are uninstalled: releases only, never logs.
    ~CKeyscout() override;
    CKeyscout(const CKeyscout&) = delete;
    CKeyscout& operator=(const CKeyscout&) = delete;

    void onKeyDown(Tavrin::Engine::CWindow* window, const Tavrin::Engine::SWindowEvent& event) override;
    void onKeyUp(Tavrin::Engine::CWindow* window, const Tavrin::Engine::SWindowEvent& event) override;
    void onMouseButtonDown(Tavrin::Engine::CWindow* window, uint32_t button, uint16_t x, uint16_t y) override;
    void onMouseButtonUp(Tavrin::Engine::CWindow* window, uint32_t button, uint16_t x, uint16_t y) override;
    // What the window lets go of at once reaches the mapper as one change.
    void onHeldInputReleased(Tavrin::Engine::CWindow* window, const Tavrin::Engine::CArray<Tavrin::Engine::TKeyCode>& codes) override;

    // Replaces the joystick list with the ones the input manager finds now;
    // a slot keeps its device wherever it moved in the list, and a device
    // that went away (or past the listed ones) leaves its slot unselected.
    // True when the list changed.
    bool refreshJoysticks();
    // One detection run, blocking; returns the names shown to the user. Asked
    // while a run is going, it does nothing and returns the empty text.
    Tavrin::Engine::CString detectKeys(CDetectionFrontEnd& frontEnd);
    // The same run driven by the caller's loop: begin (false while a run is
    // going), then poll every 10 ms until it answers false; by then the front
    // end has the result, which getLastResult also gives.
    bool beginDetection(CDetectionFrontEnd& frontEnd);
    bool pollDetection();
    bool isDetecting() const { return m_run != nullptr; }
    // Ends a run that is going without a result (the front end comes back).
    // Front ends call it before the modules are uninstalled: their uninstall
    // deletes the detection window whatever references are left.
    void cancelDetection();
    const Tavrin::Engine::CString& getLastResult() const { return m_lastResult; }
    // True after a run that recorded an input (its names may be empty); false
    // before any run, after a run with nothing recorded and after a failure.
    bool hasResult() const { return m_hasResult; }
    // What went wrong in the last run, in words for the user; empty when it
    // did not fail.
    const Tavrin::Engine::CString& getLastFailure() const { return m_lastFailure; }
    // An engine text as one line of a message: without its line ends.
    static std::string withoutLineEnds(const char* text);

    Tavrin::Engine::CInputManager* getInputManager() const { return m_inputManager.get(); }
    Tavrin::Engine::CInputMapper* getMapper() const { return m_mapper.get(); }
    Tavrin::Engine::CWindow* getWindow() const { return m_window.get(); }
    void setWindow(const Tavrin::Engine::CManagedPtr<Tavrin::Engine::CWindow>& window) { m_window = window; }
    const Tavrin::Engine::CArray<Tavrin::Engine::SJoystickDescriptor>& getJoysticks() const { return m_joysticks; }
    // The first joysticks of the list, as many as a front end shows.
    uint32_t getListedJoystickCount() const;
    // C_NO_SELECTION when no joystick is chosen for the slot.
    uint32_t getJoystickSelection(uint32_t slot) const { return m_joystickSelection[slot]; }
    void setJoystickSelection(uint32_t slot, uint32_t index) { m_joystickSelection[slot] = index; }
    bool getExcludeMouseMovements() const { return m_excludeMouseMovements; }
    void setExcludeMouseMovements(bool exclude) { m_excludeMouseMovements = exclude; }

private:
    template <typename TStep>
    void _runStep(const char* failure, TStep step);
    void _keepSelections(const Tavrin::Engine::CArray<Tavrin::Engine::SJoystickDescriptor>& previous);

    Tavrin::Engine::CManagedPtr<Tavrin::Engine::CInputManager> m_inputManager;
    Tavrin::Engine::CManagedPtr<Tavrin::Engine::CWindow> m_window;
    Tavrin::Engine::CManagedPtr<Tavrin::Engine::CInputMapper> m_mapper;
    Tavrin::Engine::CArray<Tavrin::Engine::SJoystickDescriptor> m_joysticks;
    uint32_t m_joystickSelection[C_SLOT_COUNT] = {C_NO_SELECTION, C_NO_SELECTION};
    bool m_excludeMouseMovements;
    std::unique_ptr<CDetectionRun> m_run;
    Tavrin::Engine::CString m_lastResult;
    Tavrin::Engine::CString m_lastFailure;
    bool m_hasResult = false;
};
