#include "Engine/IKernel/System/CMainThread.h"
#include "Engine/IKernel/System/CThread.h"

#include "Engine/IKernel/CLog.h"

#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <new>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Tavrin {
namespace Engine {

// The native handle: the pthread and its kernel task ID, which the per-thread
// nice value and the log need.
struct _SThreadEntry
{
    pthread_t thread;
    pid_t tid;
    // False for a thread the engine did not start (the main thread).
    bool owned;

    static void* main(void* argument);
};

namespace {

pid_t currentTid()
{
    return static_cast<pid_t>(syscall(SYS_gettid));
}

// Lives on the starting thread's stack until the new thread has published
// its task ID.
struct SStartup
{
    CThread* target;
    _SThreadEntry* entry;
    std::mutex mutex;
    std::condition_variable published;
    bool started;
};

_SThreadEntry* entryOf(void* handle)
{
    return static_cast<_SThreadEntry*>(handle);
}

// Nice values an ordinary process understands for the native levels. Only
// lowering a thread's priority needs no privilege.
int niceFor(int32_t level)
{
    if (level <= -2)
        return 10;
    if (level == -1)
        return 5;
    if (level == 0)
        return 0;
    if (level == 1)
        return -5;
    if (level == 2)
        return -10;
    return -20;
}

void logPriorityFailure(const _SThreadEntry* entry, int32_t level, const char* what)
{
    int error = errno;
    log("Warning: Can't set thread %d to priority %d (%s)\n", static_cast<int>(entry->tid), static_cast<int>(level),
        what);
    errno = error;
    if (getLog())
        logLastError();
}

} // namespace

void* _SThreadEntry::main(void* argument)
{
    SStartup* startup = static_cast<SStartup*>(argument);
    CThread* target = startup->target;
    {
        std::lock_guard<std::mutex> hold(startup->mutex);
        startup->entry->tid = currentTid();
        startup->started = true;
        startup->published.notify_one();
    }
    // `startup` is gone from here on.
    target->_runOnThread();
    return nullptr;
}

void* CThread::_createNative()
{
    _SThreadEntry* entry = static_cast<_SThreadEntry*>(malloc(sizeof(_SThreadEntry)));
    if (!entry)
        return nullptr;
    new (entry) _SThreadEntry{pthread_t(), 0, true};
    SStartup startup{this, entry, {}, {}, false};
    int result = pthread_create(&entry->thread, nullptr, &_SThreadEntry::main, &startup);
    if (result != 0)
    {
        free(entry);
        errno = result;
        return nullptr;
    }
    std::unique_lock<std::mutex> hold(startup.mutex);
    startup.published.wait(hold, [&startup] { return startup.started; });
    return entry;
}

void CThread::_releaseNative(void* handle)
{
    _SThreadEntry* entry = entryOf(handle);
    // Detached, not joined: the thread has finished or will finish on its own.
    if (entry->owned)
        pthread_detach(entry->thread);
    free(entry);
}

uint32_t CThread::getThreadId() const
{
    return m_handle ? static_cast<uint32_t>(entryOf(m_handle)->tid) : 0;
}

uint32_t CThread::getProcessorCount()
{
    long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<uint32_t>(count) : 1;
}

bool CThread::_setNativeAffinity(uint32_t processor)
{
    if (!m_handle)
    {
        errno = ESRCH;
        return false;
    }
    if (processor >= CPU_SETSIZE)
    {
        errno = EINVAL;
        return false;
    }
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(processor, &set);
    int result = pthread_setaffinity_np(entryOf(m_handle)->thread, sizeof(set), &set);
    errno = result;
    return result == 0;
}

void CThread::_setNativePriority(int32_t level)
{
    if (!m_handle)
    {
        log("Warning: Can't set the priority of a thread that was never started\n");
        return;
    }
    _SThreadEntry* entry = entryOf(m_handle);
    // The idle level is a scheduling class of its own; the others are nice
    // values of the ordinary class. Leaving the idle class, like raising a
    // priority, needs a privilege that most processes lack.
    bool idle = level <= -15;
    int wantedPolicy = idle ? SCHED_IDLE : SCHED_OTHER;
    int policy = SCHED_OTHER;
    sched_param parameters{};
    int result = pthread_getschedparam(entry->thread, &policy, &parameters);
    if (result == 0 && policy != wantedPolicy)
    {
        parameters.sched_priority = 0;
        result = pthread_setschedparam(entry->thread, wantedPolicy, &parameters);
    }
    if (result != 0)
    {
        errno = result;
        logPriorityFailure(entry, level, "scheduling class");
        return;
    }
    if (idle)
        return;
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(entry->tid), niceFor(level)) != 0)
        logPriorityFailure(entry, level, "nice value");
}

void CThread::_logSystemFailure(const char* text)
{
    // Logging may itself change errno.
    int error = errno;
    log("%s", text);
    errno = error;
    if (getLog())
        logLastError();
}

void* CMainThread::_duplicateCurrentThread()
{
    _SThreadEntry* entry = static_cast<_SThreadEntry*>(malloc(sizeof(_SThreadEntry)));
    if (!entry)
    {
        errno = ENOMEM;
        if (getLog())
            logLastError();
        return nullptr;
    }
    new (entry) _SThreadEntry{pthread_self(), currentTid(), false};
    return entry;
}

} // namespace Engine
} // namespace Tavrin
