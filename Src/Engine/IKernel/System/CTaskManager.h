#pragma once

#include "Engine/IKernel/System/CTask.h"
#include "Engine/IKernel/Types/CArray.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

class CCriticalSection;
class CTaskThread;

// Fork-join over a pool of worker threads created on demand and reused.
class CTaskManager
{
public:
    // A part count that asks for the default part count.
    static constexpr uint32_t C_DEFAULT_PARTS = 0xFFFFFFFF;

    CTaskManager();
    // Stops and deletes every worker.
    virtual ~CTaskManager();
    CTaskManager(const CTaskManager&) = delete;
    CTaskManager& operator=(const CTaskManager&) = delete;

    // Runs task->execute(i, argument, n) for i in 0..n-1, one part per
    // worker, and returns when every part has returned.
    virtual void runTasks(CTask* task, uintptr_t argument, uint32_t partCount);

    // Workers created so far (the pool never shrinks).
    uint32_t getWorkerCount();

    static uint32_t getDefaultPartCount() { return s_defaultPartCount; }
    // Set from the number of logical processors; 0 counts as 1.
    static void setDefaultPartCount(uint32_t count);

    // The process-wide task manager, null until the kernel sets one.
    static CTaskManager* getCurrent() { return s_current; }
    static void setCurrent(CTaskManager* manager) { s_current = manager; }

private:
    void _collectWorkers(CArray<CTaskThread*>& collected, uint32_t count);
    CTaskThread* _createWorker();

    CArray<CTaskThread*>* m_workers;
    CCriticalSection* m_guard;

    static uint32_t s_defaultPartCount;
    static CTaskManager* s_current;
};

} // namespace Engine
} // namespace Tavrin
