#include "Tools/Keyscout/CKeyscout.h"

#include "Engine/IKernel/System/CTimer.h"
#include "Tools/Keyscout/CDetectionRun.h"

using namespace Tavrin::Engine;

const char* const CKeyscout::C_PROMPT = "Click the button above to start key detection..";

CKeyscout::CKeyscout() : CKeyscout(createInputManager())
{
}

CKeyscout::CKeyscout(const CManagedPtr<CInputManager>& inputManager)
    : m_inputManager(inputManager), m_mapper(m_inputManager->createInputMapper()), m_excludeMouseMovements(true)
{
}

CKeyscout::~CKeyscout()
{
    // Its devices go before the manager that registered them.
    m_run.reset();
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

void CKeyscout::onHeldInputReleased(CWindow* /*window*/, const CArray<TKeyCode>& codes)
{
    if (m_mapper)
        m_mapper->releaseKeys(codes);
}

void CKeyscout::refreshJoysticks()
{
    m_joysticks.clear();
    m_inputManager->enumerateJoysticks(m_joysticks);
}

uint32_t CKeyscout::getListedJoystickCount() const
{
    uint64_t count = m_joysticks.getCount();
    return count < C_MAX_LISTED_JOYSTICKS ? static_cast<uint32_t>(count) : C_MAX_LISTED_JOYSTICKS;
}

CString CKeyscout::detectKeys(CDetectionFrontEnd& frontEnd)
{
    if (!beginDetection(frontEnd))
        return CString();
    do
        CTimer::sleepMilliseconds(CDetectionRun::C_POLL_MILLISECONDS);
    while (pollDetection());
    return m_lastResult;
}

bool CKeyscout::beginDetection(CDetectionFrontEnd& frontEnd)
{
    // A run pumps messages, so a request can arrive in the middle of one; a
    // second run inside it would pull the window out from under the first.
    if (m_run)
        return false;
    m_run.reset(new CDetectionRun(*this, frontEnd));
    try
    {
        m_run->start();
    }
    catch (...)
    {
        m_run.reset();
        throw;
    }
    return true;
}

bool CKeyscout::pollDetection()
{
    if (!m_run)
        return false;
    bool going = false;
    try
    {
        going = m_run->poll();
        if (!going)
            m_lastResult = m_run->finish();
    }
    catch (...)
    {
        m_run.reset();
        throw;
    }
    if (!going)
        m_run.reset();
    return going;
}

void CKeyscout::cancelDetection()
{
    if (!m_run)
        return;
    m_run->cancel();
    m_run.reset();
}
