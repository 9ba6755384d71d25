#pragma once

// Shared state of the name manager's source files; not for other modules.

#include "Engine/IKernel/Patterns/CIdTable.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Patterns/CNameManager.h"
#include "Engine/IKernel/Patterns/CReferenced.h"
#include "Engine/IKernel/System/CReadWriteLock.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace Tavrin {
namespace Engine {

// A manual-reset event for one load of a name, shared by the record, the
// request and every thread that waits for it.
struct _SPendingLoad : public CReferenced
{
    void signal();
    void wait();
    bool isSignalled();

    std::mutex mutex;
    std::condition_variable condition;
    bool signalled = false;
};

// One record per name; it outlives its object and is freed by uninstall.
struct SNamedIOContext
{
    _SPendingLoad* pendingLoad = nullptr;  // one reference, or null
    CNamed* object = nullptr;
    CManagedPtr<CManaged> loader;
    uint64_t userValue = 0;
    uint32_t typeId = 0;
    // The object holds a reference made by a load that no caller has taken yet.
    uint8_t loaded = 0;
};

struct _STypeRecord
{
    uint64_t word = 0;
    STypeDescriptor descriptor = {};
    uint32_t typeId = 0;
};

struct _SNameManagerTables
{
    // The table pointers are read and written under their own lock only.
    CReadWriteLock nameLock;
    CIdTable<SNamedIOContext*>* names = nullptr;
    CReadWriteLock typeLock;
    CIdTable<_STypeRecord*>* types = nullptr;
    std::atomic<uint32_t> renderThreadId{0};
};

_SNameManagerTables& _nameManagerTables();

inline bool _isNoName(uint32_t nameId)
{
    return nameId == 0 || nameId == 0xFFFFFFFF;
}

// A copy of a type's descriptor and word, taken under the registry's lock;
// false for an unknown type.
bool _findType(uint32_t typeId, STypeDescriptor& descriptor, uint64_t& word);

// The load queue: opened by install; closing it completes every queued load
// without an object, so that no thread waits for a render thread that is gone.
void _openLoadQueue();
void _closeLoadQueue();

} // namespace Engine
} // namespace Tavrin
