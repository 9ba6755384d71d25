#include "Engine/IKernel/CBenchmarkThread.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CKernelChecks.h"

#include <cstdlib>

namespace Tavrin {
namespace Engine {

namespace {

CBenchmarkThread* running = nullptr;

void finishAtExit()
{
    CBenchmarkThread::finish();
}

} // namespace

uint32_t CBenchmarkThread::run()
{
    CKernelChecks::runBenchmark();
    return 0;
}

void CBenchmarkThread::begin(uint32_t processorCount)
{
    if (processorCount > 1 && !running)
    {
        CBenchmarkThread* thread = new CBenchmarkThread();
        try
        {
            thread->start();
            // Below the program's own threads: where the processors are
            // busy, the start goes first.
            thread->setPriority(1);
            running = thread;
            // The log it ends with is torn down by static destructors, which
            // run after this (their objects were made before main).
            static const bool registered = std::atexit(finishAtExit) == 0;
            (void)registered;
            return;
        }
        catch (const CException&)
        {
            // Reported by the throw; the figure is still measured, here.
            delete thread;
        }
    }
    CKernelChecks::runBenchmark();
}

void CBenchmarkThread::finish()
{
    if (!running)
        return;
    running->stop();
    delete running;
    running = nullptr;
}

} // namespace Engine
} // namespace Tavrin
