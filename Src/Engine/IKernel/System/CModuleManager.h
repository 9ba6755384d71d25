#pragma once

#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/System/CEngineModule.h"
#include "Engine/IKernel/Types/CArray.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The registered engine modules, each with its library loaded until the
// manager is destroyed.
class CModuleManager
{
public:
    CModuleManager();
    // Unloads every module's library, in registration order.
    virtual ~CModuleManager();
    CModuleManager(const CModuleManager&) = delete;
    CModuleManager& operator=(const CModuleManager&) = delete;

    // Loads the module's library (by default "$Exe/<type name><library
    // suffix>") and initialises the module. A missing optional library is
    // only logged; false when the module was not registered.
    virtual bool registerModule(CEngineModule* module, bool optional);

    // The registered module of that type, or null.
    CManagedPtr<CEngineModule> findModule(uint32_t typeId) const;
    uint32_t getModuleCount() const { return static_cast<uint32_t>(m_modules->getCount()); }

    // The path a module is loaded from when it names none.
    static CString getDefaultPath(uint32_t typeId);

    // The process-wide module manager, null until the kernel sets one.
    static CModuleManager* getCurrent() { return s_current; }
    static void setCurrent(CModuleManager* manager) { s_current = manager; }

private:
    bool _loadAndInitialise(CEngineModule* module, const CString& path, bool optional);

    CArray<CManagedPtr<CEngineModule>>* m_modules;

    static CModuleManager* s_current;
};

} // namespace Engine
} // namespace Tavrin
