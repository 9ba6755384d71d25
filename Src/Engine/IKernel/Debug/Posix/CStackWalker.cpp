#include "Engine/IKernel/Debug/CStackWalker.h"

#include "Engine/IKernel/System/CCriticalSection.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <elfutils/libdwfl.h>
#include <link.h>
#include <pthread.h>
#include <string>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <ucontext.h>
#include <unistd.h>
#include <vector>

namespace Tavrin {
namespace Engine {

namespace {

const uint32_t s_maxFrames = 256;

struct _SModule
{
    std::string path;
    uint64_t base;
    uint64_t size;
};

// The symbol session outlives a report: reading the debug information again
// for every throw would cost tens of milliseconds each. It is rebuilt when
// the process loads or unloads a library. Never destroyed, nor its lock: a
// throw during static destruction still walks its stack.
struct _SSymbolSession
{
    Dwfl* dwfl = nullptr;
    unsigned long long adds = 0;
    unsigned long long subs = 0;
    const ucontext_t* context = nullptr;
    void end()
    {
        if (dwfl)
            dwfl_end(dwfl);
        dwfl = nullptr;
    }
};

CCriticalSection& sessionLock()
{
    static CCriticalSection* lock = new CCriticalSection();
    return *lock;
}

_SSymbolSession& session()
{
    static _SSymbolSession* instance = new _SSymbolSession();
    return *instance;
}

pid_t currentThread()
{
    return static_cast<pid_t>(syscall(SYS_gettid));
}

pid_t nextThread(Dwfl*, void*, void** threadArgument)
{
    // Only the calling thread is walked.
    if (*threadArgument)
        return 0;
    *threadArgument = &session();
    return currentThread();
}

bool getThread(Dwfl*, pid_t tid, void*, void** threadArgument)
{
    *threadArgument = &session();
    return tid == currentThread();
}

// Whether a word lies on the calling thread's stack.
bool isOnOwnStack(Dwarf_Addr address)
{
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0)
        return false;
    void* base = nullptr;
    size_t size = 0;
    bool inside = pthread_attr_getstack(&attributes, &base, &size) == 0 &&
                  address >= reinterpret_cast<uintptr_t>(base) &&
                  address + sizeof(Dwarf_Word) <= reinterpret_cast<uintptr_t>(base) + size;
    pthread_attr_destroy(&attributes);
    return inside;
}

// A bad frame may point anywhere: the kernel reads for us and reports a
// failure instead of faulting.
bool readMemory(Dwfl*, Dwarf_Addr address, Dwarf_Word* result, void*)
{
    iovec local = {result, sizeof(*result)};
    iovec remote = {reinterpret_cast<void*>(address), sizeof(*result)};
    if (process_vm_readv(getpid(), &local, 1, &remote, 1, 0) == static_cast<ssize_t>(sizeof(*result)))
        return true;
    // NOTE: some container sandboxes forbid the call; the walk then reads
    // its own stack directly, and nothing else.
    if ((errno != EPERM && errno != ENOSYS) || !isOnOwnStack(address))
        return false;
    memcpy(result, reinterpret_cast<const void*>(address), sizeof(*result));
    return true;
}

bool setInitialRegisters(Dwfl_Thread* thread, void* threadArgument)
{
    const greg_t* g = static_cast<_SSymbolSession*>(threadArgument)->context->uc_mcontext.gregs;
    // DWARF register order of x86-64: rax, rdx, rcx, rbx, rsi, rdi, rbp, rsp, r8-r15, return address.
    const int order[17] = {REG_RAX, REG_RDX, REG_RCX, REG_RBX, REG_RSI, REG_RDI, REG_RBP, REG_RSP, REG_R8,
                           REG_R9,  REG_R10, REG_R11, REG_R12, REG_R13, REG_R14, REG_R15, REG_RIP};
    Dwarf_Word registers[17];
    for (int i = 0; i < 17; ++i)
        registers[i] = static_cast<Dwarf_Word>(g[order[i]]);
    if (!dwfl_thread_state_registers(thread, 0, 17, registers))
        return false;
    dwfl_thread_state_register_pc(thread, registers[16]);
    return true;
}

const Dwfl_Thread_Callbacks s_threadCallbacks = {nextThread, getThread, readMemory, setInitialRegisters, nullptr,
                                                 nullptr};
char* s_debugInfoPath = nullptr;
const Dwfl_Callbacks s_callbacks = {dwfl_linux_proc_find_elf, dwfl_standard_find_debuginfo, nullptr,
                                    &s_debugInfoPath};

int countChanges(dl_phdr_info* info, size_t size, void* data)
{
    if (size >= offsetof(dl_phdr_info, dlpi_subs) + sizeof(info->dlpi_subs))
    {
        static_cast<unsigned long long*>(data)[0] = info->dlpi_adds;
        static_cast<unsigned long long*>(data)[1] = info->dlpi_subs;
    }
    return 1;
}

bool refreshSession(_SSymbolSession& symbols)
{
    unsigned long long changes[2] = {0, 0};
    dl_iterate_phdr(countChanges, changes);
    if (symbols.dwfl && changes[0] == symbols.adds && changes[1] == symbols.subs)
        return true;
    symbols.end();
    symbols.adds = changes[0];
    symbols.subs = changes[1];
    Dwfl* dwfl = dwfl_begin(&s_callbacks);
    if (!dwfl)
        return false;
    dwfl_report_begin(dwfl);
    int reported = dwfl_linux_proc_report(dwfl, getpid());
    dwfl_report_end(dwfl, nullptr, nullptr);
    if (reported != 0 || !dwfl_attach_state(dwfl, nullptr, getpid(), &s_threadCallbacks, &symbols))
    {
        dwfl_end(dwfl);
        return false;
    }
    symbols.dwfl = dwfl;
    return true;
}

int collectModule(dl_phdr_info* info, size_t, void* data)
{
    uint64_t low = ~0ull, high = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i)
    {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD)
            continue;
        low = header.p_vaddr < low ? header.p_vaddr : low;
        high = header.p_vaddr + header.p_memsz > high ? header.p_vaddr + header.p_memsz : high;
    }
    if (high <= low)
        return 0;
    std::string path = info->dlpi_name ? info->dlpi_name : "";
    if (path.empty())
    {
        // The main program comes unnamed.
        char exe[4096];
        ssize_t length = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
        path = length > 0 ? std::string(exe, static_cast<size_t>(length)) : "????";
    }
    static_cast<std::vector<_SModule>*>(data)->push_back({path, info->dlpi_addr + low, high - low});
    return 0;
}

// "ns::Class::method(int) const [clone .isra.0]" -> "ns::Class::method".
void stripParameters(std::string& name)
{
    size_t clone;
    while ((clone = name.rfind(" [clone ")) != std::string::npos && name.back() == ']')
        name.erase(clone);
    size_t close = name.rfind(')');
    if (close == std::string::npos || name.find_first_of("()<>", close + 1) != std::string::npos)
        return;
    int depth = 0;
    for (size_t i = close + 1; i-- > 0;)
    {
        if (name[i] == ')')
            ++depth;
        else if (name[i] == '(' && --depth == 0)
        {
            if (i > 0)
                name.erase(i);
            return;
        }
    }
}

struct _SWalk
{
    Dwfl* dwfl;
    const std::vector<_SModule>* modules;
    CStackWalker::TFrameVisitor visitor;
    void* user;
    uint32_t frames;
};

const _SModule* moduleOf(const std::vector<_SModule>& modules, uint64_t address)
{
    for (const _SModule& module : modules)
        if (address >= module.base && address - module.base < module.size)
            return &module;
    return nullptr;
}

int visitFrame(Dwfl_Frame* state, void* argument)
{
    _SWalk& walk = *static_cast<_SWalk*>(argument);
    Dwarf_Addr pc = 0;
    bool activation = false;
    if (!dwfl_frame_pc(state, &pc, &activation) || pc == 0)
        return DWARF_CB_ABORT;
    // A return address points after the call; the call itself is what to name.
    Dwarf_Addr lookup = activation ? pc : pc - 1;
    SStackFrame frame = {pc, false, 0, nullptr, nullptr, nullptr, 0};
    if (const _SModule* module = moduleOf(*walk.modules, lookup))
    {
        frame.hasModule = true;
        frame.moduleBase = module->base;
        frame.moduleImage = module->path.c_str();
    }
    std::string symbol;
    if (Dwfl_Module* module = dwfl_addrmodule(walk.dwfl, lookup))
    {
        if (const char* name = dwfl_module_addrname(module, lookup))
        {
            int status = 0;
            char* demangled = abi::__cxa_demangle(name, nullptr, nullptr, &status);
            symbol = demangled ? demangled : name;
            free(demangled);
            stripParameters(symbol);
            frame.symbol = symbol.c_str();
        }
        if (Dwfl_Line* line = dwfl_module_getsrc(module, lookup))
            frame.sourceFile = dwfl_lineinfo(line, nullptr, &frame.line, nullptr, nullptr, nullptr);
    }
    walk.visitor(walk.user, frame);
    return ++walk.frames < s_maxFrames ? DWARF_CB_OK : DWARF_CB_ABORT;
}

} // namespace

struct CStackWalker::_SImpl
{
    bool locked = false;
    std::vector<_SModule> modules;
};

CStackWalker::CStackWalker() : m_impl(new _SImpl)
{
}

CStackWalker::~CStackWalker()
{
    close();
    delete m_impl;
}

const char* CStackWalker::open()
{
    // Held until close: the shared session serves one report at a time.
    sessionLock().enter();
    m_impl->locked = true;
    if (!refreshSession(session()))
        return "Cannot initialize the symbol library\n";
    return nullptr;
}

void CStackWalker::begin()
{
}

void CStackWalker::visitModules(TModuleVisitor visitor, void* user)
{
    m_impl->modules.clear();
    dl_iterate_phdr(collectModule, &m_impl->modules);
    for (const _SModule& module : m_impl->modules)
        visitor(user, {module.path.c_str(), module.base, module.size});
}

void CStackWalker::walk(const void* context, TFrameVisitor visitor, void* user)
{
    _SSymbolSession& symbols = session();
    if (!symbols.dwfl || !context)
        return;
    symbols.context = static_cast<const ucontext_t*>(context);
    _SWalk walk = {symbols.dwfl, &m_impl->modules, visitor, user, 0};
    dwfl_getthread_frames(symbols.dwfl, currentThread(), visitFrame, &walk);
    symbols.context = nullptr;
}

void CStackWalker::close()
{
    if (!m_impl->locked)
        return;
    m_impl->locked = false;
    sessionLock().leave();
}

} // namespace Engine
} // namespace Tavrin
