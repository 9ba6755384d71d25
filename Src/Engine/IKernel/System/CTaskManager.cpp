#include "Engine/IKernel/System/CTaskManager.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/System/CCriticalSection.h"
#include "Engine/IKernel/System/CTaskThread.h"
#include "Engine/IKernel/System/CThread.h"

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_FILE = "Engine/IKernel/System/CTaskManager";

// Until the system information sets it, the default is gathered once by the
// first task manager.
bool defaultPartCountGathered = false;

} // namespace

uint32_t CTaskManager::s_defaultPartCount = 1;
CTaskManager* CTaskManager::s_current = nullptr;

void CTaskManager::setDefaultPartCount(uint32_t count)
{
    s_defaultPartCount = count ? count : 1;
    defaultPartCountGathered = true;
}

CTaskManager::CTaskManager() : m_workers(new CArray<CTaskThread*>()), m_guard(new CCriticalSection())
{
    if (!defaultPartCountGathered)
        setDefaultPartCount(CThread::getProcessorCount());
}

CTaskManager::~CTaskManager()
{
    m_guard->enter();
    if (s_current == this)
        s_current = nullptr;
    for (CTaskThread* worker : *m_workers)
    {
        worker->stop();
        delete worker;
    }
    delete m_workers;
    m_workers = nullptr;
    m_guard->leave();
    delete m_guard;
}

uint32_t CTaskManager::getWorkerCount()
{
    CCriticalSectionLock lock(*m_guard);
    return static_cast<uint32_t>(m_workers->getCount());
}

CTaskThread* CTaskManager::_createWorker()
{
    CTaskThread* worker = new CTaskThread();
    // Taken before the thread exists, so that its loop is sure to block on
    // it: taken after start, the new thread could take the count itself.
    worker->getGo().lock();
    try
    {
        worker->start();
    }
    catch (...)
    {
        // A worker without a thread must never be chosen for a part.
        delete worker;
        throw;
    }
    m_workers->add(worker);
    // Returns once the thread runs and holds its done semaphore.
    worker->getReady().lock();
    return worker;
}

void CTaskManager::_collectWorkers(CArray<CTaskThread*>& collected, uint32_t count)
{
    for (CTaskThread* worker : *m_workers)
    {
        if (collected.getCount() == count)
            break;
        if (worker->getPartIndex() == CTaskThread::C_IDLE)
            collected.add(worker);
    }
    while (collected.getCount() < count)
        collected.add(_createWorker());
    if (collected.getCount() != count)
        TAVRIN_THROW_AT(CInvalidOperationException, "Invalid number of tasks\n", C_FILE, 155);
}

void CTaskManager::runTasks(CTask* task, uintptr_t argument, uint32_t partCount)
{
    if (partCount == 0)
        return;
    uint32_t count = partCount == C_DEFAULT_PARTS ? s_defaultPartCount : partCount;
    if (count == 1)
    {
        task->execute(0, argument, 1);
        return;
    }

    CArray<CTaskThread*> collected;
    {
        CCriticalSectionLock lock(*m_guard);
        _collectWorkers(collected, count);
        // Every worker is checked before any is released, so that a throw
        // leaves no part running that nobody waits for.
        for (CTaskThread* worker : collected)
            if (worker->getPartIndex() != CTaskThread::C_IDLE)
                TAVRIN_THROW_AT(CInvalidOperationException, "This task is already being used\n", C_FILE, 161);
        for (uint32_t i = 0; i < count; ++i)
        {
            collected[i]->setTask(i, task, argument, count);
            collected[i]->releaseGo();
        }
    }
    // Waiting happens outside the guard: other calls may bind other workers.
    for (CTaskThread* worker : collected)
        worker->waitDone();

    CCriticalSectionLock lock(*m_guard);
    for (CTaskThread* worker : collected)
        worker->setTask(CTaskThread::C_IDLE, nullptr, 0, 0);
}

} // namespace Engine
} // namespace Tavrin
