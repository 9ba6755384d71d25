#include "Engine/IKernel/Debug/CStackTrace.h"

#include "Engine/IKernel/CException.h"
#include "Support/TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>

using namespace Tavrin::Engine;
using namespace TavrinTests;

namespace {

volatile uintptr_t s_unmappedAddress = 16;

__attribute__((noinline)) void fault()
{
    *reinterpret_cast<volatile int*>(s_unmappedAddress) = 1;
}

// After the first signal, sent ones (kill, raise) are ignored; only a repeated
// fault is handed back to the previous handler, as it would loop otherwise.
TEST(CCrashHandler, RaisedSignalsAfterTheFirstAreIgnored)
{
    std::string crashFile = makeTestFolder("CCrashHandlerTest") + "/crash.txt";
    CStackTrace::installCrashHandler(crashFile.c_str());
    // The first signal may still be pending when this test runs alone. It is
    // spent on a fault: raise() is noexcept, so nothing could be thrown through it.
    if (CStackTrace::isFirstSignalPending())
    {
        EXPECT_THROW(fault(), CInvalidOperationException);
        EXPECT_EQ(countOf(readFile(crashFile), "-- EXCEPTION DETECTED"), 1u);
    }
    writeFile(crashFile, "untouched");
    EXPECT_NO_THROW(raise(SIGSEGV));
    EXPECT_NO_THROW(raise(SIGILL));
    EXPECT_EQ(readFile(crashFile), "untouched");
    CStackTrace::setCrashFileName("crashLog.txt");
}

} // namespace
