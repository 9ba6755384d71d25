#pragma once

#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

class CPlugin;

// An engine module that lives in a dynamic library of its own. Callers fill
// in the type ID (and, optionally, the path) and register it with the module
// manager, which loads the library and calls initialise.
class CEngineModule : public CManaged
{
public:
    // typeId: the name ID of the module's name; path may hold aliases.
    explicit CEngineModule(uint32_t typeId, const CString& path = CString());
    // Unloads the library if the module still owns it.
    ~CEngineModule() override;

    // Called once the library is loaded; false refuses the registration.
    virtual bool initialise();

    uint32_t getTypeId() const { return m_typeId; }
    const CString& getPath() const { return m_path; }
    void setPath(const CString& path) { m_path = path; }
    CPlugin* getPlugin() const { return m_plugin; }
    // Takes ownership; the previous library, if any, is unloaded.
    void setPlugin(CPlugin* plugin);

private:
    uint32_t m_typeId;
    CString m_path;
    CPlugin* m_plugin;
};

} // namespace Engine
} // namespace Tavrin
