#pragma once

#include "Engine/IKernel/CLog.h"

#include <mutex>
#include <string>
#include <vector>

namespace TavrinTests {

// Collects what the global log says while alive (any thread), installing the
// log when none is, with file output off, no time stamps and level 1 and up.
// Each message is one entry of `lines`, as the listener received it.
class CLogCapture
{
public:
    CLogCapture()
    {
        using namespace Tavrin::Engine;
        m_installed = getLog() == nullptr;
        if (m_installed)
            installLog();
        getLog()->setWriteToFile(false);
        m_oldMode = getLog()->getTimeStampMode();
        m_oldLevel = getLog()->getLowestLevel();
        getLog()->setTimeStampMode(CLog::C_TIMESTAMP_NONE);
        getLog()->setLowestLevel(1);
        clear();
        getLog()->addListener(&CLogCapture::_listen);
    }
    ~CLogCapture()
    {
        using namespace Tavrin::Engine;
        getLog()->removeListener(&CLogCapture::_listen);
        getLog()->setTimeStampMode(m_oldMode);
        getLog()->setLowestLevel(m_oldLevel);
        if (m_installed)
            uninstallLog();
    }
    CLogCapture(const CLogCapture&) = delete;
    CLogCapture& operator=(const CLogCapture&) = delete;

    // The messages in order; read it while no other thread logs.
    static std::vector<std::string>& lines() { return state().lines; }
    // Everything said, joined.
    static std::string text()
    {
        std::lock_guard<std::mutex> hold(state().mutex);
        std::string joined;
        for (const std::string& line : state().lines)
            joined += line;
        return joined;
    }
    static std::string get() { return text(); }
    static void clear()
    {
        std::lock_guard<std::mutex> hold(state().mutex);
        state().lines.clear();
    }

private:
    struct SState
    {
        std::mutex mutex;
        std::vector<std::string> lines;
    };
    static SState& state()
    {
        static SState s_state;
        return s_state;
    }
    static void _listen(const char* text)
    {
        std::lock_guard<std::mutex> hold(state().mutex);
        state().lines.push_back(text);
    }

    bool m_installed;
    uint32_t m_oldMode;
    uint32_t m_oldLevel;
};

} // namespace TavrinTests
