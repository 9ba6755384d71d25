#include "Engine/IKernel/Debug/CStackTrace.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ucontext.h>
#include <unistd.h>

// Turning a fault into a C++ exception: throwing from inside the signal
// handler would run the report (files, heap, debug information) in signal
// context and would need every frame built with -fnon-call-exceptions. The
// handler instead rewrites the interrupted context so that, once it returns,
// the faulting thread continues in tavrinSignalTrampoline as if the faulting
// instruction had called it. There, in ordinary context, the report is
// written and the exception thrown; the unwinder walks from the trampoline
// into the faulting function through the return address pushed below.
extern "C" {
__attribute__((visibility("hidden"), noreturn, used)) void tavrinRaisePendingSignal();
__attribute__((visibility("hidden"))) void tavrinSignalTrampoline();
}

// Entered with the faulting instruction + 1 as return address, so that the
// unwinder's "return address - 1" lands on that instruction. The stack may be
// misaligned there: the frame pointer keeps the unwind rule exact.
asm(R"(
    .text
    .p2align 4
    .globl tavrinSignalTrampoline
    .hidden tavrinSignalTrampoline
    .type tavrinSignalTrampoline, @function
tavrinSignalTrampoline:
    .cfi_startproc
    pushq %rbp
    .cfi_def_cfa_offset 16
    .cfi_offset %rbp, -16
    movq %rsp, %rbp
    .cfi_def_cfa_register %rbp
    andq $-16, %rsp
    call tavrinRaisePendingSignal
    ud2
    .cfi_endproc
    .size tavrinSignalTrampoline, .-tavrinSignalTrampoline
)");

namespace Tavrin {
namespace Engine {

namespace {

const int s_handledSignals[] = {SIGSEGV, SIGILL};
struct sigaction s_previousActions[2];
ucontext_t s_signalContext;
volatile sig_atomic_t s_pendingSignal = 0;

void restorePreviousAction(int signal)
{
    for (size_t i = 0; i < 2; ++i)
        if (s_handledSignals[i] == signal)
            sigaction(signal, &s_previousActions[i], nullptr);
}

void onSignalAction(int signal, siginfo_t* info, void* context)
{
    ucontext_t* interrupted = static_cast<ucontext_t*>(context);
    if (!CStackTrace::_claimFirstSignal())
    {
        // A fault raised by the hardware comes back as soon as this returns:
        // the previous handler (or the default action) gets it instead of an
        // endless loop. A signal sent with kill or raise is just ignored.
        if (info && info->si_code > 0)
            restorePreviousAction(signal);
        return;
    }
    memcpy(&s_signalContext, interrupted, sizeof(s_signalContext));
    s_pendingSignal = signal;
    greg_t* registers = interrupted->uc_mcontext.gregs;
    // Only a leaf function uses the red zone below its stack pointer, and it
    // is left by the exception, never returned to.
    uint64_t* stack = reinterpret_cast<uint64_t*>(registers[REG_RSP]) - 1;
    *stack = static_cast<uint64_t>(registers[REG_RIP]) + 1;
    registers[REG_RSP] = reinterpret_cast<greg_t>(stack);
    registers[REG_RIP] = reinterpret_cast<greg_t>(&tavrinSignalTrampoline);
}

} // namespace

__attribute__((noinline)) void CStackTrace::dumpStackTrace()
{
    ucontext_t context;
    memset(&context, 0, sizeof(context));
    getcontext(&context);
    writeCrashReport(&context);
}

void CStackTrace::_installSignalHandlers()
{
    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_sigaction = onSignalAction;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < 2; ++i)
    {
        struct sigaction previous;
        if (sigaction(s_handledSignals[i], &action, &previous) == 0 && previous.sa_sigaction != onSignalAction)
            s_previousActions[i] = previous;
    }
}

void CStackTrace::_resolveFullPath(const char* name, char* out, unsigned size)
{
    char folder[1024];
    if (name[0] == '/' || !getcwd(folder, sizeof(folder)))
        snprintf(out, size, "%s", name);
    else
        snprintf(out, size, "%s/%s", folder, name);
}

} // namespace Engine
} // namespace Tavrin

void tavrinRaisePendingSignal()
{
    using namespace Tavrin::Engine;
    CStackTrace::_raiseSignal(s_pendingSignal, &s_signalContext);
}
