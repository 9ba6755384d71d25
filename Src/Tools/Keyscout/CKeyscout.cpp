#include "Tools/Keyscout/CKeyscout.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/System/CTimer.h"
#include "Tools/Keyscout/CDetectionRun.h"

#include <string>

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

namespace {

bool sameJoysticks(const CArray<SJoystickDescriptor>& a, const CArray<SJoystickDescriptor>& b)
{
    if (a.getCount() != b.getCount())
        return false;
    for (uint64_t i = 0; i < a.getCount(); ++i)
        if (a[i].id != b[i].id || a[i].name != b[i].name)
            return false;
    return true;
}

} // namespace

bool CKeyscout::refreshJoysticks()
{
    CArray<SJoystickDescriptor> previous = m_joysticks;
    m_joysticks.clear();
    m_inputManager->enumerateJoysticks(m_joysticks);
    _keepSelections(previous);
    if (sameJoysticks(previous, m_joysticks))
        return false;
    log("Joystick list changed: %u listed\n", static_cast<unsigned>(getListedJoystickCount()));
    return true;
}

void CKeyscout::_keepSelections(const CArray<SJoystickDescriptor>& previous)
{
    for (uint32_t& selection : m_joystickSelection)
    {
        if (selection == C_NO_SELECTION || selection >= previous.getCount())
        {
            selection = C_NO_SELECTION;
            continue;
        }
        const CString& id = previous[selection].id;
        selection = C_NO_SELECTION;
        for (uint32_t i = 0; i < getListedJoystickCount(); ++i)
            if (m_joysticks[i].id == id)
                selection = i;
    }
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
    m_lastFailure = CString();
    m_hasResult = false;
    _runStep("The detection window could not open", [this] { m_run->start(); });
    return true;
}

bool CKeyscout::pollDetection()
{
    if (!m_run)
        return false;
    bool going = false;
    _runStep("The detection stopped", [&] {
        going = m_run->poll();
        if (!going)
        {
            m_lastResult = m_run->finish();
            m_hasResult = m_run->hasRecorded();
        }
    });
    if (!going)
        m_run.reset();
    return going;
}

std::string CKeyscout::withoutLineEnds(const char* text)
{
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

template <typename TStep>
void CKeyscout::_runStep(const char* failure, TStep step)
{
    // The run has released its window and devices when a step throws; the
    // words are kept for the front end, the exception goes on.
    try
    {
        step();
    }
    catch (const CException& exception)
    {
        std::string details = withoutLineEnds(exception.getDetails().c_str());
        m_lastFailure = failure;
        if (!details.empty())
            m_lastFailure += (": " + details).c_str();
        m_run.reset();
        throw;
    }
    catch (...)
    {
        m_lastFailure = failure;
        m_run.reset();
        throw;
    }
}

void CKeyscout::cancelDetection()
{
    if (!m_run)
        return;
    m_run->cancel();
    m_run.reset();
}
