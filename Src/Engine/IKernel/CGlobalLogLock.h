#pragma once

namespace Tavrin {
namespace Engine {

// Holds the global log lock for a scope. Taken first by every path that logs:
// the global calls, a log's own printf and the crash report (before its own
// lock). The thread counts its holds, so that what it logs meanwhile is told
// to the listeners only once it holds no log lock at all.
class CGlobalLogLock
{
public:
    CGlobalLogLock();
    ~CGlobalLogLock();
    CGlobalLogLock(const CGlobalLogLock&) = delete;
    CGlobalLogLock& operator=(const CGlobalLogLock&) = delete;

    // Whether the calling thread holds the lock.
    static bool isHeld();
};

} // namespace Engine
} // namespace Tavrin
