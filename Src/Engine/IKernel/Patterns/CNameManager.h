#pragma once

#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Patterns/CManager.h"
#include "Engine/IKernel/Patterns/CNamed.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Functions a module registers for a type of named object. Each receives the
// type record's word and the user value given with the name's loader.
// load: produces the object for a name, holding one reference for the caller.
typedef CNamed* (*TNamedLoadFunction)(CManaged* loader, uint32_t nameId, uint64_t typeWord, uint64_t userValue);
typedef void (*TNamedReloadFunction)(CManaged* loader, CNamed* object, uint64_t typeWord, uint64_t userValue);
// destroy: deletes an object of the type (its last reference is gone).
typedef void (*TNamedDestroyFunction)(CNamed* object, uint64_t typeWord, uint64_t userValue);

struct STypeDescriptor
{
    TNamedLoadFunction load;
    TNamedReloadFunction reload;
    TNamedDestroyFunction destroy;
    // Belongs to the registering module.
    void* moduleData;
    // Non-zero: reload only on the render thread.
    uint8_t renderThreadOnly;
};

// The process-wide table of named objects, the type registry and the loads of
// names. Between install and uninstall; before and after, every name is unknown.
// The table, the registry and the name dictionary each have their own
// reader/writer lock, and no operation holds two of them.
class CNameManager
{
public:
    // Manager given to objects produced by a load; their last release ends in
    // the type's destroy function.
    class CManagerInterop : public CManager
    {
    public:
        using CManager::registerManaged;
        uint32_t registerManaged(CManaged* object) override;
        void unregisterManaged(CManaged* object) override;
        void destroyManaged(CManaged* object) override;
        void releaseAll() override;
    };

    static CManagerInterop& getInterop();

    // The calling thread becomes the render thread.
    static void install();
    // Waits for pending loads, then frees every record and type.
    static void uninstall();
    static bool isInstalled();
    static bool isRenderThread();

    // Registers an object under its name ID; throws on a name held by a live
    // object or a type that differs from the name's record.
    static void _addNamed(CNamed* object, uint32_t typeId);
    // Forgets the object; its name's record (and loader) stays.
    static void _removeNamed(CNamed* object);

    // The live object with the name, or null.
    static CManagedPtr<CNamed> getNamed(uint32_t nameId);
    // Like getNamed, but loads a name whose record has no object. Loads asked
    // for on other threads wait for the render thread (processLoadQueue).
    static CManagedPtr<CNamed> loadNamed(uint32_t nameId);
    // Runs the loads other threads queued; does nothing off the render thread.
    // Returns the number of loads run.
    static uint32_t processLoadQueue();

    static bool hasRecord(uint32_t nameId);
    static bool isNameUsed(uint32_t nameId);
    static void registerType(uint32_t typeId, const STypeDescriptor& descriptor);
    // Gives a name its loader (one reference held), type and user value.
    static void registerIOContext(uint32_t nameId, uint32_t typeId, CManaged* loader, uint64_t userValue);
    static CString nameOf(const CNamed* object);

    // A fresh "Unknown_%x" name that has no record.
    static uint32_t _makeAnonymousName();
    static void _reload(CNamed* object);
};

} // namespace Engine
} // namespace Tavrin
