#include "Engine/IKernel/Debug/CStackWalker.h"

#include <windows.h>
// The debug-help declarations need <windows.h> first.
#include <dbghelp.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <cstring>

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

// Entry points looked up at every report, in the order they are asked for.
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

} // namespace

struct CStackWalker::_SImpl
{
    HANDLE process;
    HANDLE thread;
    HANDLE snapshot;
    IMAGEHLP_SYMBOL64* symbol;
    HMODULE library;
    bool initialized;
    _SSymbolFunctions functions;
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
    m_impl->library = LoadLibraryA("Dbghelp.dll");
    if (!m_impl->library)
        return "Cannot open Dbghelp.dll\n";
    FARPROC entries[sizeof(s_entryNames) / sizeof(s_entryNames[0])];
    for (size_t i = 0; i < sizeof(s_entryNames) / sizeof(s_entryNames[0]); ++i)
    {
        entries[i] = GetProcAddress(m_impl->library, s_entryNames[i]);
        if (!entries[i])
        {
            FreeLibrary(m_impl->library);
            m_impl->library = nullptr;
            return "Cannot import Dbghelp.dll functions\n";
        }
    }
    memcpy(&m_impl->functions, entries, sizeof(entries));
    if (!m_impl->functions.symInitialize(m_impl->process, nullptr, TRUE))
        return "Cannot initialize the symbol library\n";
    m_impl->initialized = true;
    return nullptr;
}

void CStackWalker::begin()
{
    m_impl->functions.symSetOptions(s_symbolOptions);
}

void CStackWalker::visitModules(TModuleVisitor visitor, void* user)
{
    MODULEENTRY32 entry;
    entry.dwSize = sizeof(entry);
    if (m_impl->snapshot == INVALID_HANDLE_VALUE || !Module32First(m_impl->snapshot, &entry))
        return;
    do
    {
        uint64_t base = reinterpret_cast<uint64_t>(entry.modBaseAddr);
        visitor(user, {entry.szExePath, base, entry.modBaseSize});
        m_impl->functions.symLoadModule64(m_impl->process, nullptr, entry.szExePath, nullptr, base, entry.modBaseSize);
    } while (Module32Next(m_impl->snapshot, &entry));
}

void CStackWalker::walk(const void* context, TFrameVisitor visitor, void* user)
{
    if (!context)
        return;
    const _SSymbolFunctions& f = m_impl->functions;
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
    if (m_impl->initialized)
        m_impl->functions.symCleanup(m_impl->process);
    m_impl->initialized = false;
    free(m_impl->symbol);
    m_impl->symbol = nullptr;
    if (m_impl->snapshot != INVALID_HANDLE_VALUE)
        CloseHandle(m_impl->snapshot);
    m_impl->snapshot = INVALID_HANDLE_VALUE;
    // The library stays loaded: the next report needs it again.
}

} // namespace Engine
} // namespace Tavrin
