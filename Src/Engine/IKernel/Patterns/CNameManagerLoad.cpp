#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/Patterns/CNameDictionary.h"
#include "Engine/IKernel/Patterns/CNameManager.h"
#include "Engine/IKernel/Patterns/_SNameManagerTables.h"
#include "Engine/IKernel/System/CCriticalSection.h"
#include "Engine/IKernel/Types/CArray.h"

namespace Tavrin {
namespace Engine {

namespace {

struct _SLoadRequest
{
    CManagedPtr<CManaged> loader;
    uint32_t nameId;
    uint32_t typeId;
    uint64_t userValue;
    _SPendingLoad* pending;  // one reference
};

struct _SLoadQueue
{
    CCriticalSection lock;
    CArray<_SLoadRequest*> requests;
    bool open = false;
};

_SLoadQueue& _loadQueue()
{
    static _SLoadQueue queue;
    return queue;
}

bool _enqueue(_SLoadRequest* request)
{
    _SLoadQueue& queue = _loadQueue();
    CCriticalSectionLock lock(queue.lock);
    if (!queue.open)
        return false;
    queue.requests.add(request);
    return true;
}

_SLoadRequest* _dequeue()
{
    _SLoadQueue& queue = _loadQueue();
    CCriticalSectionLock lock(queue.lock);
    if (queue.requests.getCount() == 0)
        return nullptr;
    _SLoadRequest* request = queue.requests[0];
    queue.requests.removeAt(0);
    return request;
}

// Takes the object of a record for a caller: the load's own reference if no
// caller took it yet, otherwise a new one. Name lock held exclusively.
CNamed* _takeObject(SNamedIOContext* record)
{
    CNamed* object = record->object;
    if (!object)
        return nullptr;
    if (record->loaded)
    {
        record->loaded = 0;
        return object;
    }
    return object->_tryAddRef() ? object : nullptr;
}

// Ends a load, with or without an object: marks the record, wakes the waiting
// threads and frees the request. The object carries the load's reference.
void _completeLoad(_SLoadRequest* request, CNamed* object)
{
    _SNameManagerTables& tables = _nameManagerTables();
    _SPendingLoad* recordPending = nullptr;
    CNamed* surplus = object;
    tables.nameLock.lockExclusive();
    SNamedIOContext** found = tables.names ? tables.names->find(request->nameId) : nullptr;
    if (found)
    {
        SNamedIOContext* record = *found;
        if (record->pendingLoad == request->pending)
        {
            recordPending = record->pendingLoad;
            record->pendingLoad = nullptr;
        }
        // Only an object that took the name keeps the load's reference.
        if (object && record->object == object && !record->loaded)
        {
            record->loaded = 1;
            surplus = nullptr;
        }
    }
    tables.nameLock.unlockExclusive();
    request->pending->signal();
    if (recordPending)
        recordPending->release();
    request->pending->release();
    uint32_t nameId = request->nameId;
    delete request;
    if (surplus)
    {
        log("Warning: Loaded object '%s' did not take the name '%s'\n", nameText(surplus->getNameId()).c_str(),
            nameText(nameId).c_str());
        surplus->release();
    }
}

void _runLoad(_SLoadRequest* request)
{
    STypeDescriptor descriptor;
    uint64_t word = 0;
    CNamed* object = nullptr;
    try
    {
        if (_findType(request->typeId, descriptor, word) && descriptor.load)
            object = descriptor.load(request->loader.get(), request->nameId, word, request->userValue);
        if (object && !object->getManager())
            object->setManager(&CNameManager::getInterop());
    }
    catch (...)
    {
        _completeLoad(request, object);
        throw;
    }
    _completeLoad(request, object);
}

} // namespace

void _SPendingLoad::signal()
{
    std::lock_guard<std::mutex> lock(mutex);
    signalled = true;
    condition.notify_all();
}

void _SPendingLoad::wait()
{
    std::unique_lock<std::mutex> lock(mutex);
    condition.wait(lock, [this] { return signalled; });
}

bool _SPendingLoad::isSignalled()
{
    std::lock_guard<std::mutex> lock(mutex);
    return signalled;
}

void _openLoadQueue()
{
    _SLoadQueue& queue = _loadQueue();
    CCriticalSectionLock lock(queue.lock);
    queue.open = true;
}

void _closeLoadQueue()
{
    _SLoadQueue& queue = _loadQueue();
    queue.lock.enter();
    queue.open = false;
    CArray<_SLoadRequest*> requests(queue.requests);
    queue.requests.clear();
    queue.lock.leave();
    for (_SLoadRequest* request : requests)
        _completeLoad(request, nullptr);
}

CManagedPtr<CNamed> CNameManager::loadNamed(uint32_t nameId)
{
    if (_isNoName(nameId))
        return CManagedPtr<CNamed>();
    CManagedPtr<CNamed> live = getNamed(nameId);
    if (live)
        return live;

    _SNameManagerTables& tables = _nameManagerTables();
    _SPendingLoad* pending = nullptr;
    _SLoadRequest* request = nullptr;
    tables.nameLock.lockExclusive();
    SNamedIOContext** found = tables.names ? tables.names->find(nameId) : nullptr;
    if (!found || (*found)->object)
    {
        // Unknown name, or an object arrived since the lookup above.
        CNamed* object = found ? _takeObject(*found) : nullptr;
        tables.nameLock.unlockExclusive();
        return CManagedPtr<CNamed>::adopt(object);
    }
    SNamedIOContext* record = *found;
    if (record->pendingLoad)
        pending = record->pendingLoad;  // another thread's load: wait for it
    else
    {
        pending = new _SPendingLoad();  // the record's reference
        record->pendingLoad = pending;
        pending->addRef();
        request = new _SLoadRequest{record->loader, nameId, record->typeId, record->userValue, pending};
    }
    pending->addRef();
    tables.nameLock.unlockExclusive();

    bool renderThread = isRenderThread();
    if (request)
    {
        if (renderThread)
        {
            try
            {
                _runLoad(request);
            }
            catch (...)
            {
                pending->release();
                throw;
            }
        }
        else if (!_enqueue(request))
            _completeLoad(request, nullptr);
    }
    // The render thread never waits for itself: it works the queue off instead,
    // and a load of the name still running further up its stack gives nothing.
    if (renderThread)
        processLoadQueue();
    else
        pending->wait();
    pending->release();

    tables.nameLock.lockExclusive();
    found = tables.names ? tables.names->find(nameId) : nullptr;
    CNamed* object = found ? _takeObject(*found) : nullptr;
    tables.nameLock.unlockExclusive();
    return CManagedPtr<CNamed>::adopt(object);
}

uint32_t CNameManager::processLoadQueue()
{
    if (!isRenderThread())
        return 0;
    uint32_t count = 0;
    while (_SLoadRequest* request = _dequeue())
    {
        try
        {
            _runLoad(request);
        }
        catch (const CException&)
        {
            // Already logged; the waiting thread finds no object.
        }
        ++count;
    }
    return count;
}

void CNameManager::_reload(CNamed* object)
{
    _SNameManagerTables& tables = _nameManagerTables();
    uint32_t typeId = 0;
    uint64_t userValue = 0;
    CManagedPtr<CManaged> loader;
    uint32_t nameId = object->getNameId();
    tables.nameLock.lockShared();
    SNamedIOContext** found = tables.names && !_isNoName(nameId) ? tables.names->find(nameId) : nullptr;
    if (found)
    {
        typeId = (*found)->typeId;
        userValue = (*found)->userValue;
        loader = (*found)->loader;
    }
    tables.nameLock.unlockShared();
    if (typeId == 0)
        return;
    STypeDescriptor descriptor;
    uint64_t word = 0;
    if (!_findType(typeId, descriptor, word) || !descriptor.reload)
        return;
    if (descriptor.renderThreadOnly && !isRenderThread())
        TAVRIN_THROW_AT(CInvalidOperationException, "Resource can only be reloaded on the render thread!\n",
                        "Engine/IKernel/Patterns/CNameManager", 896);
    descriptor.reload(loader.get(), object, word, userValue);
}

} // namespace Engine
} // namespace Tavrin
