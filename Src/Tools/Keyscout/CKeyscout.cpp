#include "Tools/Keyscout/CKeyscout.h"

#include "Tools/Keyscout/CDetectionRun.h"

using namespace Tavrin::Engine;

CKeyscout::CKeyscout() : CKeyscout(createInputManager())
{
}

CKeyscout::CKeyscout(const CManagedPtr<CInputManager>& inputManager)
    : m_inputManager(inputManager), m_mapper(m_inputManager->createInputMapper()), m_excludeMouseMovements(true)
{
}

CKeyscout::~CKeyscout()
{
    m_mapper.reset();
    m_inputManager.reset();
    m_joysticks.clear();
    m_window.reset();
}

void CKeyscout::onKeyDown(CWindow* /*window*/, const SWindowEvent& event)
{
    m_mapper->keyDown(static_cast<TKeyCode>(event.code));
}

void CKeyscout::onKeyUp(CWindow* /*window*/, const SWindowEvent& event)
{
    m_mapper->keyUp(static_cast<TKeyCode>(event.code));
}

void CKeyscout::onMouseButtonDown(CWindow* /*window*/, uint32_t button, uint16_t /*x*/, uint16_t /*y*/)
{
    m_mapper->mouseButtonDown(button);
}

void CKeyscout::onMouseButtonUp(CWindow* /*window*/, uint32_t button, uint16_t /*x*/, uint16_t /*y*/)
{
    m_mapper->mouseButtonUp(button);
}

void CKeyscout::refreshJoysticks()
{
    m_joysticks.clear();
    m_inputManager->enumerateJoysticks(m_joysticks);
}

CString CKeyscout::detectKeys(CDetectionFrontEnd& frontEnd)
{
    CDetectionRun run(*this, frontEnd);
    return run.execute();
}
