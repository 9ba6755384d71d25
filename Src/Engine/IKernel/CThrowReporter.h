#pragma once

#include "Engine/IKernel/Types/CString.h"

namespace Tavrin {
namespace Engine {

// Where the side effects of a throw go: the crash report written before it,
// the exception's log line and the report that `display` shows. Strings,
// arrays, hashes and exceptions know only this interface, so they link
// without the log and the stack walker; the kernel installs its reporter.
// Without one a throw still throws, with its text intact.
class CThrowReporter
{
public:
    virtual ~CThrowReporter() = default;

    virtual void writeCrashReport() = 0;
    // `text` is a whole formatted message, never a format.
    virtual void logText(const char* text) = 0;
    // True when the user confirmed the report with OK.
    virtual bool showReport(void* ownerWindow, const char* text, const char* caption) = 0;
    virtual CString getApplicationShortName() = 0;

    // The reporter lives as long as the process; null uninstalls.
    static void install(CThrowReporter* reporter);
    static CThrowReporter* get();
};

} // namespace Engine
} // namespace Tavrin
