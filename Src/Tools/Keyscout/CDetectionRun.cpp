#include "Tools/Keyscout/CDetectionRun.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/System/CTimer.h"
#include "Engine/IRenderer/CWindowManager.h"
#include "Tools/Keyscout/CDetectionFrontEnd.h"
#include "Tools/Keyscout/CKeyscout.h"
#include "Tools/Keyscout/RecordedInputText.h"

using namespace Tavrin::Engine;

const char* const CDetectionRun::C_WINDOW_TITLE = "Press one or many keys..";

namespace {
const float C_TIME_STEP = 0.01f;
} // namespace

CDetectionRun::CDetectionRun(CKeyscout& application, CDetectionFrontEnd& frontEnd)
    : m_application(application), m_frontEnd(frontEnd)
{
}

void CDetectionRun::start()
{
    _guarded([this] {
        _openWindow();
        _createDevices();
        m_frontEnd.onDetectionStarted();
        m_frontEndAside = true;
        // Anything still held from before (motion fed in an earlier run's last
        // pass, a release that went to another window, a pad or a mouse this
        // run does not read) would keep the run from ever ending.
        m_application.getMapper()->releaseAllKeys();
        // No key aborts a run: only letting go of everything or closing ends it.
        m_application.getMapper()->startDetection(CArray<TKeyCode>());
    });
}

bool CDetectionRun::poll()
{
    bool going = false;
    _guarded([&] {
        if (_isOver())
            return;
        _poll();
        going = !_isOver();
    });
    return going;
}

CString CDetectionRun::finish()
{
    CString result;
    _guarded([&] {
        result = _takeResult();
        m_frontEndAside = false;
        m_frontEnd.onDetectionFinished(result);
        _closeWindow();
        // The last reference; the application's listener reference goes with it.
        m_application.setWindow(CManagedPtr<CWindow>());
        _releaseDevices();
    });
    return result;
}

template <typename TStep>
void CDetectionRun::_guarded(TStep step)
{
    try
    {
        step();
    }
    catch (...)
    {
        _abandon();
        throw;
    }
}

void CDetectionRun::_closeWindow()
{
    // Closed and pumped here rather than left to a later loop: a queued
    // command must not find this run's window still open.
    CWindow* window = m_application.getWindow();
    window->close();
    window->processMessages();
}

void CDetectionRun::_abandon()
{
    // The window and the devices never outlive a failed run: the renderer's
    // uninstall deletes windows whatever references are left.
    m_application.getMapper()->takeDetectedKeys();
    m_application.setWindow(CManagedPtr<CWindow>());
    _releaseDevices();
    if (m_frontEndAside)
        m_frontEnd.onDetectionAbandoned();
}

void CDetectionRun::_openWindow()
{
    CWindowManager* manager = CWindowManager::getDefault();
    if (!manager)
        TAVRIN_THROW(CInvalidOperationException, "No default window manager\n", "Tools/Keyscout/CDetectionRun");
    m_application.setWindow(manager->createWindow(CString(C_WINDOW_TITLE), C_WINDOW_WIDTH, C_WINDOW_HEIGHT, C_WINDOW_FLAGS));
    CWindow* window = m_application.getWindow();
    window->show();
    window->addListener(&m_application);
}

void CDetectionRun::_createDevices()
{
    CInputManager* input = m_application.getInputManager();
    void* handle = m_application.getWindow()->getHandle();
    const CArray<SJoystickDescriptor>& joysticks = m_application.getJoysticks();
    for (uint32_t slot = 0; slot < CKeyscout::C_SLOT_COUNT; ++slot)
    {
        uint32_t index = m_application.getJoystickSelection(slot);
        // A selection past the list (a stale or foreign index) is no choice.
        if (index == CKeyscout::C_NO_SELECTION || index >= joysticks.getCount())
            continue;
        m_joysticks[slot] = input->createJoystick(handle, joysticks[index], 1);
    }
    m_mouse = input->createMouse(handle, 1);
}

bool CDetectionRun::_isOver() const
{
    return m_application.getWindow()->isClosed() || m_application.getMapper()->getDetectionState() <= CInputMapper::Finished;
}

void CDetectionRun::_poll()
{
    CInputMapper* mapper = m_application.getMapper();
    m_application.getInputManager()->update(C_TIME_STEP);
    // Keys and mouse buttons reach the mapper through the listener here.
    m_application.getWindow()->processMessages();
    mapper->update(C_TIME_STEP);
    // Without a mouse device there is neither motion nor wheel to read.
    if (m_mouse)
    {
        if (!m_application.getExcludeMouseMovements())
            mapper->feedMouseMotion(static_cast<float>(m_mouse->getDeltaX()), static_cast<float>(m_mouse->getDeltaY()));
        mapper->feedMouseWheel(m_mouse->getWheel());
    }
    for (uint32_t slot = 0; slot < CKeyscout::C_SLOT_COUNT; ++slot)
        if (m_joysticks[slot])
            mapper->feedJoystick(slot, *m_joysticks[slot]);
    // What this pass recorded or let go shows before the next one; a window
    // about to close is not repainted.
    if (!_isOver())
        m_application.getWindow()->setStatusText(recordedInputText(*mapper));
}

CString CDetectionRun::_takeResult()
{
    CInputMapper* mapper = m_application.getMapper();
    CArray<TKeyCode> keys = mapper->takeDetectedKeys();
    // A key without a name is still an input: its text is empty, the run is not.
    m_recorded = keys.getCount() > 0;
    return mapper->formatKeys(keys, CString("+"));
}

void CDetectionRun::_releaseDevices()
{
    m_mouse.reset();
    m_joysticks[1].reset();
    m_joysticks[0].reset();
}
