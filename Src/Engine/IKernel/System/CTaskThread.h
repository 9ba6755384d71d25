#pragma once

#include "Engine/IKernel/System/CSemaphore.h"
#include "Engine/IKernel/System/CThread.h"

#include <atomic>
#include <cstdint>

namespace Tavrin {
namespace Engine {

class CTask;

// A worker of the task manager: waits on its go semaphore, runs the part it
// is bound to, and signals done after each part.
class CTaskThread : public CThread
{
public:
    // The part index of a worker that is bound to no part.
    static constexpr uint32_t C_IDLE = 0xFFFFFFFF;

    CTaskThread();
    ~CTaskThread() override;

    uint32_t run() override;
    // Wakes the loop with no part to run and waits until it has returned.
    uint32_t stop() override;
    // Binds the worker to a part (or, with C_IDLE, to none); stores only.
    virtual void setTask(uint32_t partIndex, CTask* task, uintptr_t argument, uint32_t partCount);

    // The go and done semaphores as the task manager uses them between
    // parts: each wait spins briefly before it blocks, since the next part
    // or the part's end usually comes within microseconds.
    void releaseGo();
    void waitDone();

    CSemaphore& getGo() { return m_go; }
    CSemaphore& getDone() { return m_done; }
    CSemaphore& getReady() { return m_ready; }
    uint32_t getPartIndex() const { return m_partIndex; }

private:
    void _waitGo();
    void _releaseDone();

    CSemaphore m_go;
    CSemaphore m_done;
    CSemaphore m_ready;
    uint32_t m_partIndex;
    CTask* m_task;
    uintptr_t m_argument;
    uint32_t m_partCount;
    // Releases of go and done so far, and how many of them were taken: a
    // waiter that sees more releases than it took will not block in lock.
    std::atomic<uint32_t> m_goReleases;
    std::atomic<uint32_t> m_doneReleases;
    uint32_t m_goTaken;
    uint32_t m_doneTaken;
};

} // namespace Engine
} // namespace Tavrin
