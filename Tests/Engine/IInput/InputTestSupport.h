#pragma once

#include "Engine/IInput/CJoystick.h"
#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace Tavrin {
namespace Engine {
namespace Testing {

// A joystick whose state the test writes, as a backend's update would.
class CScriptedJoystick : public CJoystick
{
public:
    CScriptedJoystick() : CJoystick(nullptr, 0) {}

    void setButton(uint32_t id, bool down) { m_buttons[id] = down; }
    void setRawAxis(uint32_t id, float raw)
    {
        m_axisPresent[id] = true;
        m_axes[id] = mapAxis(raw, id);
    }
    // Stores an output value as is, bypassing the dead zone.
    void setAxisValue(uint32_t id, float value)
    {
        m_axisPresent[id] = true;
        m_axes[id] = value;
    }
    void setArrow(uint32_t id, float value)
    {
        m_arrowPresent[id] = true;
        m_arrows[id] = value;
    }
    void setAllPresent()
    {
        for (bool& present : m_axisPresent)
            present = true;
        for (bool& present : m_arrowPresent)
            present = true;
    }
};

// Runs the action and checks the exception's class, text, file and line.
template <typename TException, typename TAction>
void expectEngineException(TAction action, const char* details, const char* file, int32_t line)
{
    try
    {
        action();
        ADD_FAILURE() << "no exception, expected " << details;
    }
    catch (const TException& exception)
    {
        EXPECT_STREQ(exception.getDetails().c_str(), details);
        EXPECT_STREQ(exception.getFile().c_str(), file);
        if (line >= 0)
        {
            EXPECT_EQ(exception.getLine(), line);
        }
    }
}

inline void expectRangeError(const std::function<void()>& action)
{
    expectEngineException<CInvalidArgumentException>(action, "Accessing array element outside range\n", "Engine/IKernel/Types/CArray", 1014);
}

// Collects the global log's lines while alive, installing the log if needed.
class CLogCapture
{
public:
    CLogCapture()
    {
        m_installed = getLog() == nullptr;
        if (m_installed)
            installLog();
        getLog()->setWriteToFile(false);
        m_oldMode = getLog()->getTimeStampMode();
        getLog()->setTimeStampMode(CLog::C_TIMESTAMP_NONE);
        m_oldLevel = getLog()->getLowestLevel();
        getLog()->setLowestLevel(1);
        lines().clear();
        getLog()->addListener(&CLogCapture::_listen);
    }
    ~CLogCapture()
    {
        getLog()->removeListener(&CLogCapture::_listen);
        getLog()->setTimeStampMode(m_oldMode);
        getLog()->setLowestLevel(m_oldLevel);
        if (m_installed)
            uninstallLog();
    }
    static std::vector<std::string>& lines()
    {
        static std::vector<std::string> s_lines;
        return s_lines;
    }

private:
    static void _listen(const char* text) { lines().push_back(text); }

    bool m_installed;
    uint32_t m_oldMode;
    uint32_t m_oldLevel;
};

} // namespace Testing
} // namespace Engine
} // namespace Tavrin
