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

// A window released after the mapper (by the destructor) still reports its
// held keys; there is no one to hand them to then.
void CKeyscout::onKeyDown(CWindow* /*window*/, const SWindowEvent& event)
{
    if (m_mapper)
        m_mapper->keyDown(static_cast<TKeyCode>(event.code));
}

void CKeyscout::onKeyUp(CWindow* /*window*/, const SWindowEvent& event)
{
    if (m_mapper)
        m_mapper->keyUp(static_cast<TKeyCode>(event.code));
}

void CKeyscout::onMouseButtonDown(CWindow* /*window*/, uint32_t button, uint16_t /*x*/, uint16_t /*y*/)
{
    if (m_mapper)
        m_mapper->mouseButtonDown(button);
}

void CKeyscout::onMouseButtonUp(CWindow* /*window*/, uint32_t button, uint16_t /*x*/, uint16_t /*y*/)
{
    if (m_mapper)
        m_mapper->mouseButtonUp(button);
}

void CKeyscout::refreshJoysticks()
{
    m_joysticks.clear();
    m_inputManager->enumerateJoysticks(m_joysticks);
}

CString CKeyscout::detectKeys(CDetectionFrontEnd& frontEnd)
{
    // A run pumps messages, so a request can arrive in the middle of one; a
    // second run inside it would pull the window out from under the first.
    if (m_detecting)
        return CString();
    m_detecting = true;
    try
    {
        CDetectionRun run(*this, frontEnd);
        CString result = run.execute();
        m_detecting = false;
        return result;
    }
    catch (...)
    {
        m_detecting = false;
        throw;
    }
}
