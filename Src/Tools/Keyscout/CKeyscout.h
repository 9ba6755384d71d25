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

class CDetectionFrontEnd;

// The application: the input manager, the mapper used for detection, the
// joysticks listed when the dialog opened and the user's choices. It listens
// to the detection window and hands its keys and buttons to the mapper.
class CKeyscout : public Tavrin::Engine::CWindowEventListener
{
public:
    static constexpr uint32_t C_SLOT_COUNT = 2;
    static constexpr uint32_t C_NO_SELECTION = 0xFFFFFFFFu;

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

    // Replaces the joystick list with the ones the input manager finds now.
    void refreshJoysticks();
    // One detection run; returns the names shown to the user. Asked again
    // while a run is going, it does nothing and returns the empty text.
    Tavrin::Engine::CString detectKeys(CDetectionFrontEnd& frontEnd);
    bool isDetecting() const { return m_detecting; }

    Tavrin::Engine::CInputManager* getInputManager() const { return m_inputManager.get(); }
    Tavrin::Engine::CInputMapper* getMapper() const { return m_mapper.get(); }
    Tavrin::Engine::CWindow* getWindow() const { return m_window.get(); }
    void setWindow(const Tavrin::Engine::CManagedPtr<Tavrin::Engine::CWindow>& window) { m_window = window; }
    const Tavrin::Engine::CArray<Tavrin::Engine::SJoystickDescriptor>& getJoysticks() const { return m_joysticks; }
    // C_NO_SELECTION when no joystick is chosen for the slot.
    uint32_t getJoystickSelection(uint32_t slot) const { return m_joystickSelection[slot]; }
    void setJoystickSelection(uint32_t slot, uint32_t index) { m_joystickSelection[slot] = index; }
    bool getExcludeMouseMovements() const { return m_excludeMouseMovements; }
    void setExcludeMouseMovements(bool exclude) { m_excludeMouseMovements = exclude; }

private:
    Tavrin::Engine::CManagedPtr<Tavrin::Engine::CInputManager> m_inputManager;
    Tavrin::Engine::CManagedPtr<Tavrin::Engine::CWindow> m_window;
    Tavrin::Engine::CManagedPtr<Tavrin::Engine::CInputMapper> m_mapper;
    Tavrin::Engine::CArray<Tavrin::Engine::SJoystickDescriptor> m_joysticks;
    uint32_t m_joystickSelection[C_SLOT_COUNT] = {C_NO_SELECTION, C_NO_SELECTION};
    bool m_excludeMouseMovements;
    bool m_detecting = false;
};
