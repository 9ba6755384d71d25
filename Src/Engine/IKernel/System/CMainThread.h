#pragma once

#include "Engine/IKernel/System/CThread.h"

namespace Tavrin {
namespace Engine {

// The thread that installed the kernel, seen through the CThread interface.
class CMainThread : public CThread
{
public:
    // Holds a real handle of the calling thread.
    CMainThread();
    ~CMainThread() override;

    uint32_t run() override { return 0; }

    // The process's main thread record; set by the kernel install.
    static CMainThread* getMainThread() { return s_mainThread; }
    static void setMainThread(CMainThread* thread) { s_mainThread = thread; }

private:
    // Platform half: a handle of the calling thread that stays valid elsewhere.
    static void* _duplicateCurrentThread();

    static CMainThread* s_mainThread;
};

} // namespace Engine
} // namespace Tavrin
