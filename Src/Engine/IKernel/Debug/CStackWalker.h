#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

// One module loaded in the process.
struct SStackModule
{
    const char* path;
    uint64_t base;
    uint64_t size;
};

// One frame of a walked stack. Texts are null where nothing is known; they
// stay valid during the visitor's call only.
struct SStackFrame
{
    uint64_t programCounter;
    bool hasModule;
    uint64_t moduleBase;
    const char* moduleImage;
    const char* symbol;
    const char* sourceFile;
    int32_t line;
};

// The platform's symbol services behind a crash report: the module list, the
// stack walk from a captured context, and symbol names with source lines.
class CStackWalker
{
public:
    typedef void (*TModuleVisitor)(void* user, const SStackModule& module);
    typedef void (*TFrameVisitor)(void* user, const SStackFrame& frame);

    CStackWalker();
    ~CStackWalker();
    CStackWalker(const CStackWalker&) = delete;
    CStackWalker& operator=(const CStackWalker&) = delete;

    // Loads the symbol services; null when ready, else the line that the
    // report gives instead of its stack.
    const char* open();
    // Once the report is under its lock, before the modules are visited.
    void begin();
    // Every loaded module, first to last; each is also registered for symbols.
    void visitModules(TModuleVisitor visitor, void* user);
    void walk(const void* context, TFrameVisitor visitor, void* user);
    // Releases the symbol services (also done by the destructor).
    void close();

private:
    struct _SImpl;
    _SImpl* m_impl;
};

} // namespace Engine
} // namespace Tavrin
