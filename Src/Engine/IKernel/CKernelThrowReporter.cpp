#include "Engine/IKernel/CKernelThrowReporter.h"

#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/CThrowReporter.h"
#include "Engine/IKernel/Debug/CStackTrace.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CSystemServices.h"

namespace Tavrin {
namespace Engine {

namespace {

class CKernelThrowReporter final : public CThrowReporter
{
public:
    void writeCrashReport() override { dumpStackTrace(); }
    void logText(const char* text) override { log("%s", text); }
    bool showReport(void* ownerWindow, const char* text, const char* caption) override
    {
        return showMessageBox(ownerWindow, text, caption);
    }
    CString getApplicationShortName() override { return IKernel::getApplicationShortName(); }
};

} // namespace

void installKernelThrowReporter()
{
    // Never destroyed: a throw may run during static destruction.
    static CKernelThrowReporter* reporter = new CKernelThrowReporter();
    CThrowReporter::install(reporter);
}

} // namespace Engine
} // namespace Tavrin
