#pragma once

#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/Debug/CStackTrace.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CSystemServices.h"
#include "Support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace TavrinTest {

// Saves the kernel's process facts and puts them back, so that a test may
// point the executable folder wherever it likes.
class CKernelFactsGuard : private Tavrin::Engine::IKernel
{
public:
    CKernelFactsGuard()
        : m_name(s_applicationName), m_shortName(s_applicationShortName), m_fileName(s_executableFileName),
          m_folder(s_executableFolder), m_path(s_executablePath)
    {
    }
    ~CKernelFactsGuard()
    {
        s_applicationName = m_name;
        s_applicationShortName = m_shortName;
        s_executableFileName = m_fileName;
        s_executableFolder = m_folder;
        s_executablePath = m_path;
    }

private:
    Tavrin::Engine::CString m_name, m_shortName, m_fileName, m_folder, m_path;
};

using TavrinTests::CTempFolder;
using TavrinTests::splitLines;

using TavrinTests::readFile;

// The "[%7.3f s, %4d / %4d] " time stamp of every log line.
inline const std::regex& timeStampPattern()
{
    static const std::regex pattern(R"(\[( *\d+\.\d{3}) s, ( *\d+) / ( *\d+)\] )");
    return pattern;
}

// Replaces every time stamp by "<P>" so that whole files can be compared.
inline std::string markTimeStamps(const std::string& text)
{
    return std::regex_replace(text, timeStampPattern(), "<P>");
}

// The kernel's log in a temporary executable folder: "<folder>/tavrintest.exe"
// writes "<folder>/tavrintest_log.txt".
class CLogTestBase : public testing::Test
{
protected:
    void SetUp() override
    {
        std::string exe = m_folder.file("tavrintest.exe");
        Tavrin::Engine::IKernel::setExecutablePath(exe.c_str(), m_folder.path().c_str());
        Tavrin::Engine::installLog();
        ASSERT_NE(Tavrin::Engine::getLog(), nullptr);
    }
    void TearDown() override
    {
        Tavrin::Engine::uninstallLog();
    }
    std::string logPath() const { return Tavrin::Engine::getLog()->getFileName(); }
    std::string logText() const { return readFile(logPath()); }

    CKernelFactsGuard m_facts;
    CTempFolder m_folder;
};

} // namespace TavrinTest
