#pragma once

#include "Engine/IKernel/Types/CArray.h"

namespace Tavrin {
namespace Engine {

// A timed section of a profiled run.
struct _SProfileChunk
{
    const char* name;
    uint64_t start;
    uint64_t end;
};

// Receives the chunks of a profiled run.
class CProfileListener
{
public:
    virtual ~CProfileListener() = default;
    virtual void onChunk(const _SProfileChunk& chunk) = 0;
};

// The kernel's profiler lists. Profiling is compiled in but switched off in
// this program, so they stay empty between the kernel install and uninstall.
class CProfiler
{
public:
    static void createLists();
    static void destroyLists();
    static bool isEnabled() { return false; }
    static CArray<_SProfileChunk*>* getChunks() { return s_chunks; }
    static CArray<CProfileListener*>* getListeners() { return s_listeners; }

private:
    static CArray<_SProfileChunk*>* s_chunks;
    static CArray<CProfileListener*>* s_listeners;
};

} // namespace Engine
} // namespace Tavrin
