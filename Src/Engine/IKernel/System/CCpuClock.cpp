#include "Engine/IKernel/System/CCpuClock.h"

#include "Engine/IKernel/System/CCpuClockCache.h"
#include "Engine/IKernel/System/CCriticalSection.h"
#include "Engine/IKernel/System/CSystemServices.h"
#include "Engine/IKernel/System/CTimer.h"

#include <x86intrin.h>

namespace Tavrin {
namespace Engine {

namespace {

// Taken before main, so the process's measure rarely has to wait.
const SCpuClockSample s_processStart = CCpuClock::sample();

// Function statics: a static initialiser may ask for the figure before this
// file's own objects are made.
CCriticalSection& cacheFileLock()
{
    static CCriticalSection lock;
    return lock;
}

CString& cacheFile()
{
    static CString path;
    return path;
}

CString namedCacheFile()
{
    CCriticalSectionLock lock(cacheFileLock());
    return cacheFile();
}

uint32_t measureProcessRawMhz()
{
    // A caller from another static initialiser may come before the sample.
    SCpuClockSample start = s_processStart.counter ? s_processStart : CCpuClock::sample();
    CString path = namedCacheFile();
    if (path.isEmpty())
        return CCpuClock::measureRawMhzSince(start, CCpuClock::C_MEASURE_MILLISECONDS);
    CCpuClockCache cache(path, CSystemServices::getBootIdentity(), CTimer::getCounterFrequency());
    uint32_t mhz = cache.read();
    if (mhz)
        return mhz;
    mhz = CCpuClock::measureRawMhzSince(start, CCpuClock::C_MEASURE_MILLISECONDS);
    cache.store(mhz);
    return mhz;
}

} // namespace

SCpuClockSample CCpuClock::sample()
{
    // A pair read across a preemption is off by the time slice: keep the
    // try whose two counter readings lie closest around the cycle reading.
    SCpuClockSample best = {0, 0};
    uint64_t bestSpread = UINT64_MAX;
    for (int attempt = 0; attempt < 4; ++attempt)
    {
        uint64_t before = CTimer::readCounter();
        uint64_t cycles = __rdtsc();
        uint64_t after = CTimer::readCounter();
        if (after - before < bestSpread)
        {
            bestSpread = after - before;
            best.cycles = cycles;
            best.counter = before + (after - before) / 2;
        }
    }
    return best;
}

uint32_t CCpuClock::rawMhzBetween(const SCpuClockSample& start, const SCpuClockSample& end)
{
    if (end.counter <= start.counter)
        return 0;
    double seconds = static_cast<double>(end.counter - start.counter) / static_cast<double>(CTimer::getCounterFrequency());
    double mhz = static_cast<double>(end.cycles - start.cycles) / (seconds * 1e6);
    // Clocks are often whole MHz; a jitter of a few parts per million below
    // must not truncate 2300 to 2299 (the half-second measure overshoots its
    // interval slightly, so it never did).
    return static_cast<uint32_t>(mhz + 0.001);
}

uint32_t CCpuClock::measureRawMhzSince(const SCpuClockSample& start, uint32_t milliseconds)
{
    uint64_t frequency = CTimer::getCounterFrequency();
    uint64_t span = frequency * milliseconds / 1000;
    SCpuClockSample end = sample();
    // The time-stamp counter runs on while the thread sleeps (invariant since
    // 2008 on both makers' processors): sleep the bulk, spin the last bit.
    uint64_t left = end.counter - start.counter < span ? span - (end.counter - start.counter) : 0;
    if (left * 1000 / frequency > 2)
        CTimer::sleepMilliseconds(static_cast<uint32_t>(left * 1000 / frequency - 1));
    while (end.counter - start.counter < span)
        end = sample();
    return rawMhzBetween(start, end);
}

uint32_t CCpuClock::measureRawMhzOverWholeMilliseconds(uint32_t milliseconds)
{
    uint64_t startCycles = __rdtsc();
    uint64_t startCounter = CTimer::readCounter();
    uint64_t frequency = CTimer::getCounterFrequency();
    uint64_t elapsedMs = 0;
    do
        elapsedMs = (CTimer::readCounter() - startCounter) * 1000 / frequency;
    while (elapsedMs < milliseconds);
    uint64_t cycles = __rdtsc() - startCycles;
    return static_cast<uint32_t>(cycles / (elapsedMs * 1000));
}

uint32_t CCpuClock::getProcessRawMhz()
{
    // Thread-safe once: concurrent first callers wait for the one measure.
    static const uint32_t mhz = measureProcessRawMhz();
    return mhz;
}

void CCpuClock::setCacheFile(const char* path)
{
    CCriticalSectionLock lock(cacheFileLock());
    cacheFile() = path ? path : "";
}

} // namespace Engine
} // namespace Tavrin
