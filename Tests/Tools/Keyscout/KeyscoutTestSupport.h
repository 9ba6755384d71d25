#pragma once

#include "Engine/IInput/CNullInputManager.h"
#include "Engine/IRenderer/CNullWindow.h"
#include "Engine/IRenderer/CWindowManager.h"
#include "Tools/Keyscout/CDetectionFrontEnd.h"

#include <functional>
#include <string>
#include <vector>

namespace KeyscoutTesting {

using namespace Tavrin::Engine;

typedef std::vector<std::string> TTrace;

// One poll of the scripted mouse: motion in device units, wheel in notches.
struct SMouseStep
{
    int32_t dx;
    int32_t dy;
    float wheel;
};

// Plays one step per poll, then stays still.
class CScriptedMouse : public CMouse
{
public:
    CScriptedMouse(void* window, const std::vector<SMouseStep>& script, TTrace& trace)
        : CMouse(window, 1), m_script(script), m_trace(trace)
    {
    }
    ~CScriptedMouse() override { m_trace.push_back("mouse released"); }

    void update(float) override
    {
        SMouseStep step = m_next < m_script.size() ? m_script[m_next++] : SMouseStep{0, 0, 0.0f};
        m_deltaX = step.dx;
        m_deltaY = step.dy;
        m_wheel = step.wheel;
    }

private:
    std::vector<SMouseStep> m_script;
    size_t m_next = 0;
    TTrace& m_trace;
};

// Plays one mask of buttons 0-15 per poll, then lets go of everything.
class CScriptedPad : public CJoystick
{
public:
    CScriptedPad(void* window, const std::string& id, const std::vector<uint32_t>& buttons, TTrace& trace)
        : CJoystick(window, 1), m_id(id), m_script(buttons), m_trace(trace)
    {
    }
    ~CScriptedPad() override { m_trace.push_back(m_id + " released"); }

    void update(float) override
    {
        uint32_t mask = m_next < m_script.size() ? m_script[m_next++] : 0;
        for (uint32_t b = 0; b < 16; ++b)
            m_buttons[b] = (mask >> b) & 1;
    }

private:
    std::string m_id;
    std::vector<uint32_t> m_script;
    size_t m_next = 0;
    TTrace& m_trace;
};

// Lists the pads it was given and hands out scripted devices, noting every
// request in the trace.
class CScriptedInputManager : public CNullInputManager
{
public:
    explicit CScriptedInputManager(TTrace& trace) : m_trace(trace) {}

    void update(float dt) override
    {
        CInputManager::update(dt);
        if (m_onUpdate)
            m_onUpdate();
    }

    void enumerateJoysticks(CArray<SJoystickDescriptor>& out) override
    {
        for (const std::string& id : m_padIds)
        {
            SJoystickDescriptor descriptor;
            descriptor.name = CString(("Pad " + id).c_str());
            descriptor.id = CString(id.c_str());
            out.add(descriptor);
        }
    }
    CManagedPtr<CJoystick> createJoystick(void* window, const SJoystickDescriptor& descriptor, uint32_t foregroundOnly) override
    {
        std::string id = descriptor.id.c_str();
        m_trace.push_back("joystick " + id + " fg" + std::to_string(foregroundOnly));
        m_handles.push_back(window);
        if (id.rfind("broken", 0) == 0)
            return CManagedPtr<CJoystick>();
        CScriptedPad* pad = new CScriptedPad(window, id, m_padButtons, m_trace);
        _attach(pad);
        return CManagedPtr<CJoystick>::adopt(pad);
    }
    CManagedPtr<CMouse> createMouse(void* window, uint32_t foregroundOnly) override
    {
        m_trace.push_back("mouse fg" + std::to_string(foregroundOnly));
        m_handles.push_back(window);
        if (!m_hasMouse)
            return CManagedPtr<CMouse>();
        CScriptedMouse* mouse = new CScriptedMouse(window, m_mouseScript, m_trace);
        _attach(mouse);
        return CManagedPtr<CMouse>::adopt(mouse);
    }

    std::vector<std::string> m_padIds;
    std::vector<uint32_t> m_padButtons;
    std::vector<SMouseStep> m_mouseScript;
    bool m_hasMouse = true;
    // The window handle of every device request.
    std::vector<void*> m_handles;
    // Called after every poll of the devices.
    std::function<void()> m_onUpdate;

private:
    TTrace& m_trace;
};

// A window whose message pump plays one scripted step per call, as if the
// user acted between two polls.
class CScriptedWindow : public CNullWindow
{
public:
    typedef std::function<void(CWindow&)> TStep;

    CScriptedWindow(const CString& title, uint32_t width, uint32_t height, uint32_t flags, const std::vector<TStep>& script, TTrace& trace,
                    TTrace& shown)
        : CNullWindow(title, nullptr, width, height, flags), m_script(script), m_trace(trace), m_shown(shown)
    {
        // Any non-null value stands for the native handle.
        m_handle = this;
    }
    ~CScriptedWindow() override { m_trace.push_back("window released"); }

    void processMessages() override
    {
        ++m_pumps;
        if (m_next < m_script.size())
            m_script[m_next++](*this);
    }

    uint32_t m_pumps = 0;

protected:
    // Notes every status text it is given, dimmed segments in brackets.
    void _showStatusText() override
    {
        std::string text;
        for (const SWindowTextSegment& segment : m_statusText)
            text += segment.dimmed ? "[" + std::string(segment.text.c_str()) + "]" : segment.text.c_str();
        m_shown.push_back(text);
    }

private:
    std::vector<TStep> m_script;
    size_t m_next = 0;
    TTrace& m_trace;
    TTrace& m_shown;
};

// Makes scripted windows; the first manager of the process is the default.
class CScriptedWindowManager : public CWindowManager
{
public:
    explicit CScriptedWindowManager(TTrace& trace) : m_trace(trace) {}

    std::vector<CScriptedWindow::TStep> m_script;
    CScriptedWindow* m_lastWindow = nullptr;
    // The status texts its windows showed.
    TTrace m_shown;

protected:
    CWindow* _newWindow(const CString& title, void*, uint32_t width, uint32_t height, uint32_t flags) override
    {
        m_trace.push_back(std::string("window '") + title.c_str() + "' " + std::to_string(width) + "x" + std::to_string(height) +
                          " flags " + std::to_string(flags));
        m_lastWindow = new CScriptedWindow(title, width, height, flags, m_script, m_trace, m_shown);
        return m_lastWindow;
    }

private:
    TTrace& m_trace;
};

// Notes when it is asked to step aside and what it is given to show.
class CRecordingFrontEnd : public CDetectionFrontEnd
{
public:
    CRecordingFrontEnd(TTrace& trace, std::function<void()> onStarted = nullptr) : m_trace(trace), m_onStarted(onStarted) {}

    void onDetectionStarted() override
    {
        m_trace.push_back("started");
        if (m_onStarted)
            m_onStarted();
    }
    void onDetectionFinished(const CString& result) override { m_trace.push_back(std::string("finished '") + result.c_str() + "'"); }

private:
    TTrace& m_trace;
    std::function<void()> m_onStarted;
};

// Window steps.
inline CScriptedWindow::TStep keyDown(TKeyCode code)
{
    return [code](CWindow& window) {
        SWindowEvent event;
        event.code = static_cast<uint32_t>(code);
        window.onKeyDown(event);
    };
}
inline CScriptedWindow::TStep keyUp(TKeyCode code)
{
    return [code](CWindow& window) {
        SWindowEvent event;
        event.code = static_cast<uint32_t>(code);
        window.onKeyUp(event);
    };
}
inline CScriptedWindow::TStep buttonDown(uint32_t button)
{
    return [button](CWindow& window) { window.onMouseButtonDown(button, 10, 10); };
}
inline CScriptedWindow::TStep buttonUp(uint32_t button)
{
    return [button](CWindow& window) { window.onMouseButtonUp(button, 10, 10); };
}
inline CScriptedWindow::TStep closeWindow()
{
    return [](CWindow& window) { window.close(); };
}
inline CScriptedWindow::TStep idle()
{
    return [](CWindow&) {};
}

} // namespace KeyscoutTesting
