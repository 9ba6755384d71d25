#include "Engine/IKernel/Debug/CStackTrace.h"

#include <windows.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>

// Turning a fault into a C++ exception: an exception thrown from inside the
// exception filter would have to unwind through the system's dispatcher. The
// filter instead rewrites the faulting context so that the thread continues
// in tavrinSignalTrampoline as if the faulting instruction had called it.
// There, in ordinary context, the report is written and the exception thrown.
//
// NOTE: the C runtime's signal() is not used for SIGSEGV and SIGILL. Its
// handlers are called from the startup code's exception filter, in the middle
// of the dispatch and without the faulting context; with none registered that
// filter passes the fault on, and the unhandled-exception filter below gets
// every fault that no handler of the process took, with its context.
extern "C" {
__attribute__((noreturn, used)) void tavrinRaisePendingSignal();
void tavrinSignalTrampoline();
}

// Entered with the faulting instruction + 1 as return address, so that the
// unwinder's "return address - 1" lands on that instruction. The frame
// pointer keeps the unwind rule exact whatever the stack's alignment.
asm(R"(
    .text
    .p2align 4
    .globl tavrinSignalTrampoline
    .def tavrinSignalTrampoline; .scl 2; .type 32; .endef
    .seh_proc tavrinSignalTrampoline
tavrinSignalTrampoline:
    pushq %rbp
    .seh_pushreg %rbp
    movq %rsp, %rbp
    .seh_setframe %rbp, 0
    .seh_endprologue
    andq $-16, %rsp
    subq $32, %rsp
    call tavrinRaisePendingSignal
    ud2
    .seh_endproc
)");

namespace Tavrin {
namespace Engine {

namespace {

LPTOP_LEVEL_EXCEPTION_FILTER s_previousFilter = nullptr;
bool s_installed = false;
CONTEXT s_signalContext;
volatile LONG s_pendingSignal = 0;

int signalOf(DWORD code)
{
    switch (code)
    {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR: return SIGSEGV;
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION: return SIGILL;
    default: return 0;
    }
}

bool overlaps(const void* a, size_t aSize, const void* b, size_t bSize)
{
    uintptr_t x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
    return x < y + bSize && y < x + aSize;
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* pointers)
{
    int signal = signalOf(pointers->ExceptionRecord->ExceptionCode);
    CONTEXT* context = pointers->ContextRecord;
    DWORD64* stack = reinterpret_cast<DWORD64*>(context->Rsp) - 1;
    // The dispatcher keeps its records below the faulting stack pointer; the
    // return address must not land on the context it resumes from. Later
    // faults are not ours to resume: they end the process as unhandled.
    if (!signal || overlaps(stack, sizeof(*stack), context, sizeof(*context)) || !CStackTrace::_claimFirstSignal())
        return s_previousFilter ? s_previousFilter(pointers) : EXCEPTION_CONTINUE_SEARCH;
    s_signalContext = *context;
    s_pendingSignal = signal;
    *stack = context->Rip + 1;
    context->Rsp = reinterpret_cast<DWORD64>(stack);
    context->Rip = reinterpret_cast<DWORD64>(&tavrinSignalTrampoline);
    return EXCEPTION_CONTINUE_EXECUTION;
}

} // namespace

__attribute__((noinline)) void CStackTrace::dumpStackTrace()
{
    CONTEXT context;
    memset(&context, 0, sizeof(context));
    RtlCaptureContext(&context);
    writeCrashReport(&context);
}

void CStackTrace::_installSignalHandlers()
{
    if (s_installed)
        return;
    s_installed = true;
    s_previousFilter = SetUnhandledExceptionFilter(onUnhandledException);
}

void CStackTrace::_resolveFullPath(const char* name, char* out, unsigned size)
{
    DWORD length = GetFullPathNameA(name, size, out, nullptr);
    if (length == 0 || length >= size)
        snprintf(out, size, "%s", name);
}

} // namespace Engine
} // namespace Tavrin

void tavrinRaisePendingSignal()
{
    using namespace Tavrin::Engine;
    CStackTrace::_raiseSignal(s_pendingSignal, &s_signalContext);
}
