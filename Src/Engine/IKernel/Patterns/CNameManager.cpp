#include "Engine/IKernel/Patterns/CNameManager.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/Patterns/CNameDictionary.h"
#include "Engine/IKernel/Patterns/_SNameManagerTables.h"
#include "Engine/IKernel/System/CSystemServices.h"

#include <cstdio>
#include <cstdlib>

namespace Tavrin {
namespace Engine {

_SNameManagerTables& _nameManagerTables()
{
    static _SNameManagerTables tables;
    return tables;
}

namespace {

const CManagedPtr<CNamed> s_nullNamed;

void _freeRecord(SNamedIOContext* record)
{
    if (record->pendingLoad)
    {
        // A load still running elsewhere signals it even without a table.
        record->pendingLoad->wait();
        record->pendingLoad->release();
    }
    // The loader may be a named object: released with no lock held.
    delete record;
}

} // namespace

bool _findType(uint32_t typeId, STypeDescriptor& descriptor, uint64_t& word)
{
    if (_isNoName(typeId))
        return false;
    _SNameManagerTables& tables = _nameManagerTables();
    tables.typeLock.lockShared();
    _STypeRecord* const* record = tables.types ? tables.types->find(typeId) : nullptr;
    if (record)
    {
        descriptor = (*record)->descriptor;
        word = (*record)->word;
    }
    tables.typeLock.unlockShared();
    return record != nullptr;
}

void CNameManager::install()
{
    _SNameManagerTables& tables = _nameManagerTables();
    tables.renderThreadId = CSystemServices::getCurrentThreadId();
    tables.nameLock.lockExclusive();
    if (!tables.names)
        tables.names = new CIdTable<SNamedIOContext*>();
    tables.nameLock.unlockExclusive();
    tables.typeLock.lockExclusive();
    if (!tables.types)
        tables.types = new CIdTable<_STypeRecord*>();
    tables.typeLock.unlockExclusive();
    _openLoadQueue();
}

void CNameManager::uninstall()
{
    _closeLoadQueue();
    _SNameManagerTables& tables = _nameManagerTables();
    // The tables are detached under their locks and freed afterwards: waiting
    // for a load or releasing a loader may need the name lock.
    tables.nameLock.lockExclusive();
    CIdTable<SNamedIOContext*>* names = tables.names;
    tables.names = nullptr;
    tables.nameLock.unlockExclusive();
    if (names)
    {
        names->forEach([](uint32_t, SNamedIOContext*& record) {
            // A loaded object nobody took would keep its load's reference forever.
            CNamed* untaken = record->loaded ? record->object : nullptr;
            _freeRecord(record);
            if (untaken)
                untaken->release();
        });
        delete names;
    }
    tables.typeLock.lockExclusive();
    CIdTable<_STypeRecord*>* types = tables.types;
    tables.types = nullptr;
    tables.typeLock.unlockExclusive();
    if (types)
    {
        types->forEach([](uint32_t, _STypeRecord*& record) { delete record; });
        delete types;
    }
}

bool CNameManager::isInstalled()
{
    _SNameManagerTables& tables = _nameManagerTables();
    tables.nameLock.lockShared();
    bool installed = tables.names != nullptr;
    tables.nameLock.unlockShared();
    return installed;
}

bool CNameManager::isRenderThread()
{
    uint32_t renderThread = _nameManagerTables().renderThreadId;
    return renderThread != 0 && renderThread == CSystemServices::getCurrentThreadId();
}

void CNameManager::_addNamed(CNamed* object, uint32_t typeId)
{
    uint32_t nameId = object->getNameId();
    if (_isNoName(nameId))
        return;
    _SNameManagerTables& tables = _nameManagerTables();
    tables.nameLock.lockExclusive();
    if (!tables.names)
    {
        tables.nameLock.unlockExclusive();
        return;
    }
    SNamedIOContext** found = tables.names->find(nameId);
    if (!found)
    {
        SNamedIOContext* record = new SNamedIOContext();
        record->object = object;
        record->typeId = typeId;
        try
        {
            tables.names->insert(nameId, record);
        }
        catch (...)
        {
            tables.nameLock.unlockExclusive();
            delete record;
            throw;
        }
        tables.nameLock.unlockExclusive();
        return;
    }
    SNamedIOContext* record = *found;
    if (record->object)
    {
        tables.nameLock.unlockExclusive();
        TAVRIN_THROW_AT(CInvalidOperationException, "Name collision occured in CNameManager::_addNamed()!\n",
                        "Engine/IKernel/Patterns/CNameManager", 46);
    }
    uint32_t recordType = record->typeId;
    if (recordType != typeId && !_isNoName(recordType))
    {
        // The type names come from the dictionary, whose lock is not taken
        // while the name lock is held.
        tables.nameLock.unlockExclusive();
        log("CNamed type mismatch: %s vs %s\n", nameText(recordType).c_str(), nameText(typeId).c_str());
        TAVRIN_THROW_AT(CInvalidArgumentException, "type mismatch!", "Engine/IKernel/Patterns/CNameManager", 53);
    }
    record->object = object;
    record->typeId = typeId;
    tables.nameLock.unlockExclusive();
}

// Only the object the record names is removed: an object that lost a name
// collision must not unregister the winner.
void CNameManager::_removeNamed(CNamed* object)
{
    uint32_t nameId = object->getNameId();
    if (_isNoName(nameId))
        return;
    _SNameManagerTables& tables = _nameManagerTables();
    tables.nameLock.lockExclusive();
    SNamedIOContext** found = tables.names ? tables.names->find(nameId) : nullptr;
    if (found && (*found)->object == object)
    {
        (*found)->object = nullptr;
        (*found)->loaded = 0;
    }
    tables.nameLock.unlockExclusive();
}

CManagedPtr<CNamed> CNameManager::getNamed(uint32_t nameId)
{
    if (_isNoName(nameId))
        return s_nullNamed;
    _SNameManagerTables& tables = _nameManagerTables();
    tables.nameLock.lockShared();
    SNamedIOContext** found = tables.names ? tables.names->find(nameId) : nullptr;
    CNamed* object = found ? (*found)->object : nullptr;
    // An object whose last reference is already gone is on its way out.
    if (object && !object->_tryAddRef())
        object = nullptr;
    tables.nameLock.unlockShared();
    return object ? CManagedPtr<CNamed>::adopt(object) : s_nullNamed;
}

bool CNameManager::hasRecord(uint32_t nameId)
{
    if (_isNoName(nameId))
        return false;
    _SNameManagerTables& tables = _nameManagerTables();
    tables.nameLock.lockShared();
    bool exists = tables.names && tables.names->find(nameId);
    tables.nameLock.unlockShared();
    return exists;
}

bool CNameManager::isNameUsed(uint32_t nameId)
{
    if (_isNoName(nameId))
        return false;
    _SNameManagerTables& tables = _nameManagerTables();
    tables.nameLock.lockShared();
    SNamedIOContext** found = tables.names ? tables.names->find(nameId) : nullptr;
    bool used = found && (*found)->object;
    tables.nameLock.unlockShared();
    return used;
}

void CNameManager::registerType(uint32_t typeId, const STypeDescriptor& descriptor)
{
    if (_isNoName(typeId))
        return;
    _SNameManagerTables& tables = _nameManagerTables();
    tables.typeLock.lockExclusive();
    _STypeRecord** found = tables.types ? tables.types->find(typeId) : nullptr;
    if (found)
        (*found)->descriptor = descriptor;
    else if (tables.types)
    {
        _STypeRecord* record = new _STypeRecord();
        record->descriptor = descriptor;
        record->typeId = typeId;
        try
        {
            tables.types->insert(typeId, record);
        }
        catch (...)
        {
            tables.typeLock.unlockExclusive();
            delete record;
            throw;
        }
    }
    tables.typeLock.unlockExclusive();
}

void CNameManager::registerIOContext(uint32_t nameId, uint32_t typeId, CManaged* loader, uint64_t userValue)
{
    if (_isNoName(typeId))
        TAVRIN_THROW_AT(CInvalidArgumentException, "Invalid type!\n", "Engine/IKernel/Patterns/CNameManager", 471);
    if (_isNoName(nameId))
        return;
    // Both references are dropped after the lock is left (declared before it).
    CManagedPtr<CManaged> newLoader(loader);
    CManagedPtr<CManaged> oldLoader;
    _SNameManagerTables& tables = _nameManagerTables();
    tables.nameLock.lockExclusive();
    if (!tables.names)
    {
        tables.nameLock.unlockExclusive();
        return;
    }
    SNamedIOContext** found = tables.names->find(nameId);
    SNamedIOContext* record = found ? *found : new SNamedIOContext();
    oldLoader = static_cast<CManagedPtr<CManaged>&&>(record->loader);
    record->loader = static_cast<CManagedPtr<CManaged>&&>(newLoader);
    record->userValue = userValue;
    record->typeId = typeId;
    if (!found)
    {
        try
        {
            tables.names->insert(nameId, record);
        }
        catch (...)
        {
            tables.nameLock.unlockExclusive();
            delete record;
            throw;
        }
    }
    tables.nameLock.unlockExclusive();
}

CString CNameManager::nameOf(const CNamed* object)
{
    return object ? nameText(object->getNameId()) : CString::empty();
}

uint32_t CNameManager::_makeAnonymousName()
{
    for (;;)
    {
        uint32_t first = static_cast<uint32_t>(rand()) & 0x7FFF;
        uint32_t second = static_cast<uint32_t>(rand()) & 0x7FFF;
        uint32_t value = (second * 65536 + first) % 0x40000001u;
        char text[256];
        snprintf(text, sizeof(text), "Unknown_%x", value);
        uint32_t nameId = internName(text);
        if (_isNoName(nameId) || !hasRecord(nameId))
            return nameId;
    }
}

CNameManager::CManagerInterop& CNameManager::getInterop()
{
    static CManagerInterop interop;
    return interop;
}

uint32_t CNameManager::CManagerInterop::registerManaged(CManaged* object)
{
    CNamed* named = dynamic_cast<CNamed*>(object);
    return named && named->getNameId() != 0 ? 1 : 0;
}

void CNameManager::CManagerInterop::unregisterManaged(CManaged* /*object*/)
{
}

void CNameManager::CManagerInterop::releaseAll()
{
}

void CNameManager::CManagerInterop::destroyManaged(CManaged* object)
{
    CNamed* named = dynamic_cast<CNamed*>(object);
    if (!named)
    {
        delete object;
        return;
    }
    uint32_t typeId = 0;
    uint64_t userValue = 0;
    _SNameManagerTables& tables = _nameManagerTables();
    tables.nameLock.lockShared();
    SNamedIOContext** found = tables.names && !_isNoName(named->getNameId()) ? tables.names->find(named->getNameId()) : nullptr;
    if (found)
    {
        typeId = (*found)->typeId;
        userValue = (*found)->userValue;
    }
    tables.nameLock.unlockShared();
    // The type registry is asked only after the name lock is left.
    STypeDescriptor descriptor;
    uint64_t word = 0;
    if (typeId != 0 && _findType(typeId, descriptor, word) && descriptor.destroy)
    {
        descriptor.destroy(named, word, userValue);
        return;
    }
    log("Warning: Named object '%s' being forcefully deleted by CNameManager::CManagerInterop!\n",
        nameText(named->getNameId()).c_str());
    delete named;
}

} // namespace Engine
} // namespace Tavrin
