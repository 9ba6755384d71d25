#include "Engine/IKernel/Debug/CStackWalker.h"

#include "Engine/IKernel/System/CCriticalSection.h"

#include <windows.h>
// The debug-help declarations need <windows.h> first.
#include <dbghelp.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace Tavrin {
namespace Engine {

namespace {

const uint32_t s_maxFrames = 256;
const size_t s_symbolRecordSize = 4096;

typedef BOOL(WINAPI* TSymCleanup)(HANDLE);
typedef PVOID(WINAPI* TSymFunctionTableAccess64)(HANDLE, DWORD64);
typedef BOOL(WINAPI* TSymGetLineFromAddr64)(HANDLE, DWORD64, PDWORD, PIMAGEHLP_LINE64);
typedef DWORD64(WINAPI* TSymGetModuleBase64)(HANDLE, DWORD64);
typedef BOOL(WINAPI* TSymGetModuleInfo64)(HANDLE, DWORD64, PIMAGEHLP_MODULE64);
typedef DWORD(WINAPI* TSymGetOptions)();
typedef BOOL(WINAPI* TSymGetSymFromAddr64)(HANDLE, DWORD64, PDWORD64, PIMAGEHLP_SYMBOL64);
typedef BOOL(WINAPI* TSymInitialize)(HANDLE, PCSTR, BOOL);
typedef DWORD(WINAPI* TSymSetOptions)(DWORD);
typedef BOOL(WINAPI* TStackWalk64)(DWORD, HANDLE, HANDLE, LPSTACKFRAME64, PVOID, PREAD_PROCESS_MEMORY_ROUTINE64,
                                   PFUNCTION_TABLE_ACCESS_ROUTINE64, PGET_MODULE_BASE_ROUTINE64,
                                   PTRANSLATE_ADDRESS_ROUTINE64);
typedef DWORD(WINAPI* TUnDecorateSymbolName)(PCSTR, PSTR, DWORD, DWORD);
typedef DWORD64(WINAPI* TSymLoadModule64)(HANDLE, HANDLE, PCSTR, PCSTR, DWORD64, DWORD);

// Entry points the session needs, all of them, in the order they are asked for.
struct _SSymbolFunctions
{
    TSymCleanup symCleanup;
    TSymFunctionTableAccess64 symFunctionTableAccess64;
    TSymGetLineFromAddr64 symGetLineFromAddr64;
    TSymGetModuleBase64 symGetModuleBase64;
    TSymGetModuleInfo64 symGetModuleInfo64;
    TSymGetOptions symGetOptions;
    TSymGetSymFromAddr64 symGetSymFromAddr64;
    TSymInitialize symInitialize;
    TSymSetOptions symSetOptions;
    TStackWalk64 stackWalk64;
    TUnDecorateSymbolName unDecorateSymbolName;
    TSymLoadModule64 symLoadModule64;
};

const char* const s_entryNames[] = {"SymCleanup",          "SymFunctionTableAccess64", "SymGetLineFromAddr64",
                                    "SymGetModuleBase64",  "SymGetModuleInfo64",       "SymGetOptions",
                                    "SymGetSymFromAddr64", "SymInitialize",            "SymSetOptions",
                                    "StackWalk64",         "UnDecorateSymbolName",     "SymLoadModule64"};
static_assert(sizeof(_SSymbolFunctions) == sizeof(s_entryNames), "one entry point per name");
static_assert(sizeof(IMAGEHLP_LINE64) == 40, "the line record the reports were made with");

// Undecorated names, line information, exact symbols.
const DWORD s_symbolOptions = 0x412;

struct _SLoadedModule
{
    std::string path;
    uint64_t base;
    uint64_t size;
    bool operator==(const _SLoadedModule& other) const
    {
        return base == other.base && size == other.size && path == other.path;
    }
};

// The symbol handler outlives a report: reading a large executable's debug
// information takes over a second (Wine's dbghelp, a large PDB), and a throw
// must not pay it every time. Modules are registered once; the session starts
// anew only when a registered module was unloaded. Never destroyed, nor its
// lock: a throw during static destruction still walks its stack.
struct _SSymbolSession
{
    HMODULE library = nullptr;
    bool initialized = false;
    _SSymbolFunctions functions = {};
    std::vector<_SLoadedModule> registered;
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

const char* importFunctions(_SSymbolSession& symbols)
{
    FARPROC entries[sizeof(s_entryNames) / sizeof(s_entryNames[0])];
    for (size_t i = 0; i < sizeof(s_entryNames) / sizeof(s_entryNames[0]); ++i)
    {
        entries[i] = GetProcAddress(symbols.library, s_entryNames[i]);
        if (!entries[i])
            return "Cannot import Dbghelp.dll functions\n";
    }
    memcpy(&symbols.functions, entries, sizeof(entries));
    return nullptr;
}

bool startSymbols(_SSymbolSession& symbols)
{
    // The options first: modules loaded by the initialisation read their
    // line information only when asked to beforehand.
    symbols.functions.symSetOptions(s_symbolOptions);
    symbols.initialized = symbols.functions.symInitialize(GetCurrentProcess(), nullptr, TRUE) != FALSE;
    symbols.registered.clear();
    return symbols.initialized;
}

} // namespace

struct CStackWalker::_SImpl
{
    HANDLE process;
    HANDLE thread;
    HANDLE snapshot;
    IMAGEHLP_SYMBOL64* symbol;
    bool locked;
};

CStackWalker::CStackWalker() : m_impl(new _SImpl())
{
    m_impl->process = GetCurrentProcess();
    m_impl->thread = GetCurrentThread();
    m_impl->snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    m_impl->symbol = static_cast<IMAGEHLP_SYMBOL64*>(calloc(1, s_symbolRecordSize));
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
    _SSymbolSession& symbols = session();
    if (symbols.initialized)
        return nullptr;
    HMODULE library = LoadLibraryA("Dbghelp.dll");
    if (!library)
        return "Cannot open Dbghelp.dll\n";
    symbols.library = library;
    if (const char* failure = importFunctions(symbols))
    {
        FreeLibrary(library);
        symbols.library = nullptr;
        return failure;
    }
    if (!startSymbols(symbols))
        return "Cannot initialize the symbol library\n";
    return nullptr;
}

void CStackWalker::begin()
{
    session().functions.symSetOptions(s_symbolOptions);
}

void CStackWalker::visitModules(TModuleVisitor visitor, void* user)
{
    std::vector<_SLoadedModule> modules;
    MODULEENTRY32 entry;
    entry.dwSize = sizeof(entry);
    if (m_impl->snapshot != INVALID_HANDLE_VALUE && Module32First(m_impl->snapshot, &entry))
        do
            modules.push_back({entry.szExePath, reinterpret_cast<uint64_t>(entry.modBaseAddr), entry.modBaseSize});
        while (Module32Next(m_impl->snapshot, &entry));

    _SSymbolSession& symbols = session();
    for (const _SLoadedModule& old : symbols.registered)
        if (std::find(modules.begin(), modules.end(), old) == modules.end())
        {
            // Something was unloaded; its addresses may now belong to another module.
            symbols.functions.symCleanup(m_impl->process);
            startSymbols(symbols);
            break;
        }
    for (const _SLoadedModule& module : modules)
    {
        visitor(user, {module.path.c_str(), module.base, module.size});
        if (std::find(symbols.registered.begin(), symbols.registered.end(), module) != symbols.registered.end())
            continue;
        symbols.functions.symLoadModule64(m_impl->process, nullptr, module.path.c_str(), nullptr, module.base,
                                          static_cast<DWORD>(module.size));
        symbols.registered.push_back(module);
    }
}

void CStackWalker::walk(const void* context, TFrameVisitor visitor, void* user)
{
    if (!context)
        return;
    const _SSymbolFunctions& f = session().functions;
    // The walk changes the record it is given.
    CONTEXT copy;
    memcpy(&copy, context, sizeof(copy));
    STACKFRAME64 stackFrame;
    memset(&stackFrame, 0, sizeof(stackFrame));
    stackFrame.AddrPC.Offset = copy.Rip;
    stackFrame.AddrPC.Mode = AddrModeFlat;
    stackFrame.AddrFrame.Offset = copy.Rsp;
    stackFrame.AddrFrame.Mode = AddrModeFlat;
    stackFrame.AddrStack.Offset = copy.Rsp;
    stackFrame.AddrStack.Mode = AddrModeFlat;
    for (uint32_t count = 0; count < s_maxFrames; ++count)
    {
        if (!f.stackWalk64(IMAGE_FILE_MACHINE_AMD64, m_impl->process, m_impl->thread, &stackFrame, &copy, nullptr,
                           f.symFunctionTableAccess64, f.symGetModuleBase64, nullptr))
            break;
        DWORD64 pc = stackFrame.AddrPC.Offset;
        SStackFrame frame = {pc, false, 0, nullptr, nullptr, nullptr, 0};
        IMAGEHLP_MODULE64 module;
        memset(&module, 0, sizeof(module));
        module.SizeOfStruct = sizeof(module);
        if (f.symGetModuleInfo64(m_impl->process, pc, &module))
        {
            frame.hasModule = true;
            frame.moduleBase = module.BaseOfImage;
            frame.moduleImage = module.ImageName;
            IMAGEHLP_SYMBOL64* symbol = m_impl->symbol;
            symbol->SizeOfStruct = sizeof(IMAGEHLP_SYMBOL64);
            symbol->MaxNameLength = 4064;
            DWORD64 displacement = 0;
            if (f.symGetSymFromAddr64(m_impl->process, pc, &displacement, symbol))
                frame.symbol = symbol->Name;
        }
        IMAGEHLP_LINE64 line;
        memset(&line, 0, sizeof(line));
        line.SizeOfStruct = sizeof(line);
        DWORD lineDisplacement = 0;
        if (f.symGetLineFromAddr64(m_impl->process, pc, &lineDisplacement, &line))
        {
            frame.sourceFile = line.FileName;
            frame.line = static_cast<int32_t>(line.LineNumber);
        }
        visitor(user, frame);
    }
}

void CStackWalker::close()
{
    free(m_impl->symbol);
    m_impl->symbol = nullptr;
    if (m_impl->snapshot != INVALID_HANDLE_VALUE)
        CloseHandle(m_impl->snapshot);
    m_impl->snapshot = INVALID_HANDLE_VALUE;
    if (m_impl->locked)
        sessionLock().leave();
    m_impl->locked = false;
}

} // namespace Engine
} // namespace Tavrin
