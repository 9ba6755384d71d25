#pragma once

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CFileUtils.h"
#include "Engine/IKernel/System/CSystemServices.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace FileTestSupport {

using namespace Tavrin::Engine;

// Everything the log says while installed, file output off.
class LogCapture
{
public:
    LogCapture()
    {
        s_text().clear();
        m_owned = getLog() == nullptr;
        if (m_owned)
            installLog();
        getLog()->setWriteToFile(false);
        getLog()->setTimeStampMode(CLog::C_TIMESTAMP_NONE);
        getLog()->setLowestLevel(1);
        getLog()->addListener(&LogCapture::_listen);
    }
    ~LogCapture()
    {
        getLog()->removeListener(&LogCapture::_listen);
        if (m_owned)
            uninstallLog();
    }
    const std::string& text() const { return s_text(); }
    void clear() { s_text().clear(); }

private:
    static std::string& s_text()
    {
        static std::string text;
        return text;
    }
    static void _listen(const char* text) { s_text() += text; }
    bool m_owned;
};

// A test with the standard alias table; test files go to $Cache with names
// that differ between processes (the sanitizer and Wine runs share $Temp).
class AliasTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (CFileUtils::hasAliasArray())
            CFileUtils::destroyAliasArray();
        CFileUtils::createAliasArray();
    }
    void TearDown() override
    {
        for (const std::string& path : m_created)
            CFileSystem::removeFile(CFileUtils::resolveAliases(path.c_str()));
        if (CFileUtils::hasAliasArray())
            CFileUtils::destroyAliasArray();
    }
    // "$Cache/<pid>_<name>", removed after the test.
    std::string testPath(const char* name)
    {
        char path[512];
        snprintf(path, sizeof(path), "$Cache/%u_%s", CSystemServices::getCurrentProcessId(), name);
        m_created.push_back(path);
        return path;
    }

private:
    std::vector<std::string> m_created;
};

// Runs `action`, which must throw Exception with these details and line.
template <typename Exception, typename Action>
void expectThrow(Action action, const char* details, int32_t line = -1, const char* file = nullptr)
{
    try
    {
        action();
        ADD_FAILURE() << "no exception, expected: " << details;
    }
    catch (const Exception& exception)
    {
        EXPECT_STREQ(exception.getDetails().c_str(), details);
        if (line >= 0)
        {
            EXPECT_EQ(exception.getLine(), line);
        }
        if (file)
        {
            EXPECT_STREQ(exception.getFile().c_str(), file);
        }
    }
}

} // namespace FileTestSupport
