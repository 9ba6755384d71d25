#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/Debug/CStackTrace.h"
#include "Support/TestFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

using namespace Tavrin::Engine;
using namespace TavrinTests;
namespace fs = std::filesystem;

namespace {

__attribute__((noinline)) void throwNamedByPdb()
{
    TAVRIN_THROW(CInvalidArgumentException, "named\n", "Engine/Tests/CStackTracePdbTest");
}
const int s_throwLine = __LINE__ - 2;

fs::path programPath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return fs::path(std::string(path, length));
}

// Run by the test below in copies of this program: the report of a throw, beside the copy.
TEST(CStackTracePdbTest, DISABLED_ReportBesideProgram)
{
    CStackTrace::setCrashFileName((programPath().parent_path() / "crash.txt").string().c_str());
    EXPECT_THROW(throwNamedByPdb(), CInvalidArgumentException);
}

// Runs a copy of this program in `folder`, with its PDB or without; returns its report.
std::string reportOfCopy(const fs::path& folder, bool withPdb)
{
    fs::path program = programPath();
    fs::path copy = folder / program.filename();
    fs::create_directories(folder);
    fs::copy_file(program, copy);
    if (withPdb)
        fs::copy_file(fs::path(program).replace_extension(".pdb"), fs::path(copy).replace_extension(".pdb"));

    SECURITY_ATTRIBUTES inherited = {sizeof(inherited), nullptr, TRUE};
    std::string outputName = (folder / "output.txt").string();
    HANDLE output = CreateFileA(outputName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0,
                                nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output;
    std::string command = "\"" + copy.string() +
                          "\" --gtest_also_run_disabled_tests --gtest_filter=CStackTracePdbTest.DISABLED_ReportBesideProgram";
    // Started from another folder: the PDB is found beside the program.
    std::string elsewhere = folder.parent_path().string();
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, elsewhere.c_str(),
                                  &startup, &process);
    CloseHandle(output);
    EXPECT_TRUE(started) << command;
    if (!started)
        return "";
    DWORD exitCode = 1;
    if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(exitCode, 0u) << readFile(outputName);
    return readFile((folder / "crash.txt").string());
}

struct SFrameLine
{
    std::string module, symbol, offset, pc, file;
    int line;
};

std::vector<SFrameLine> framesOf(const std::string& report)
{
    std::regex frameLine("^([^!]+)!(.*)\\(\\) (\\S+) (\\S+) (.*)\\((-?[0-9]+)\\)$");
    std::vector<SFrameLine> frames;
    size_t stack = report.find("\nCall Stack:\n");
    std::vector<std::string> lines = splitLines(report.substr(stack == std::string::npos ? report.size() : stack + 13));
    for (const std::string& line : lines)
    {
        std::smatch match;
        if (!std::regex_match(line, match, frameLine))
            break;
        frames.push_back({match[1], match[2], match[3], match[4], match[5], std::stoi(match[6])});
    }
    return frames;
}

// The same program and the same throw, so the same frames; only the PDB names ours.
TEST(CStackTracePdbTest, PdbBesideProgramNamesFramesWithFileAndLine)
{
    fs::path folder = makeTestFolder("CStackTracePdbTest");
    std::vector<SFrameLine> named = framesOf(reportOfCopy(folder / "withPdb", true));
    std::vector<SFrameLine> bare = framesOf(reportOfCopy(folder / "withoutPdb", false));
    // Ours are the frames from the report's own down to main.
    size_t main = 0;
    while (main < named.size() && named[main].symbol != "main")
        ++main;
    ASSERT_LT(main, named.size()) << "no frame names main";
    ASSERT_GT(bare.size(), main);
    bool thrower = false;
    for (size_t i = 0; i <= main; ++i)
    {
        EXPECT_EQ(named[i].module, programPath().filename().string()) << named[i].symbol;
        EXPECT_GT(named[i].line, 0) << named[i].symbol;
        EXPECT_EQ(bare[i].offset, named[i].offset) << named[i].symbol;
        EXPECT_EQ(bare[i].symbol, bare[i].pc) << "named without the PDB";
        EXPECT_EQ(bare[i].file, "????") << bare[i].symbol;
        if (named[i].symbol.find("throwNamedByPdb") == std::string::npos)
            continue;
        thrower = true;
        EXPECT_NE(named[i].file.find("CStackTracePdbTest.cpp"), std::string::npos) << named[i].file;
        EXPECT_EQ(named[i].line, s_throwLine);
    }
    EXPECT_TRUE(thrower) << "no frame names the throwing function";
}

} // namespace
