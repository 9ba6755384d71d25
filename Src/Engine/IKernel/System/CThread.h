#pragma once

#include <atomic>
#include <cstdint>

namespace Tavrin {
namespace Engine {

struct _SThreadEntry;

// A joinable worker with a cooperative stop flag, a priority and a processor
// affinity. `run` polls isStopRequested and returns once it is true; the
// thread must have finished (stop) before the object is destroyed.
class CThread
{
public:
    CThread();
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // The thread's body.
    virtual uint32_t run() = 0;
    // Releases the native handle; no thread is stopped or joined.
    virtual ~CThread();
    // Clears both flags and starts a native thread running `run`.
    virtual void* start();
    // Asks the thread to stop and waits until `run` has returned.
    virtual uint32_t stop();
    // Binds the thread to processor `processor` modulo the processor count.
    virtual void setAffinity(uint32_t processor);
    // 0 (idle) to 10 (time-critical); anything else throws.
    virtual void setPriority(uint32_t priority);

    bool isStopRequested() const { return m_stopRequested.load() != 0; }
    bool isFinished() const { return m_finished.load() != 0; }
    void* getHandle() const { return m_handle; }
    // The operating system's ID of the thread; 0 without one.
    uint32_t getThreadId() const;

    // Processors the system reports (at least 1).
    static uint32_t getProcessorCount();
    // The processor that setAffinity(processor) uses on such a system.
    static uint32_t selectProcessor(uint32_t processor, uint32_t processorCount);
    // Native level for a priority of 0-10, on the scale -15 (idle) to 15.
    static int32_t getNativePriority(uint32_t priority);

protected:
    void* m_handle;
    std::atomic<uint32_t> m_stopRequested;
    std::atomic<uint32_t> m_finished;

private:
    friend struct _SThreadEntry;

    // Body of every native thread: run, then report it finished.
    void _runOnThread();
    // Platform half, one file per system.
    void* _createNative();
    static void _releaseNative(void* handle);
    bool _setNativeAffinity(uint32_t processor);
    void _setNativePriority(int32_t level);
    // Logs `text`, then the last system error that preceded it.
    static void _logSystemFailure(const char* text);
};

} // namespace Engine
} // namespace Tavrin
