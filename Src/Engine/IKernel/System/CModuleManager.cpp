#include "Engine/IKernel/System/CModuleManager.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/Patterns/CNameDictionary.h"
#include "Engine/IKernel/System/CFileUtils.h"
#include "Engine/IKernel/System/CPlugin.h"

namespace Tavrin {
namespace Engine {

CModuleManager* CModuleManager::s_current = nullptr;

CModuleManager::CModuleManager() : m_modules(new CArray<CManagedPtr<CEngineModule>>())
{
}

CModuleManager::~CModuleManager()
{
    if (s_current == this)
        s_current = nullptr;
    // Libraries go first, in registration order; the modules themselves go
    // with the array, whose references may be the last ones.
    for (const CManagedPtr<CEngineModule>& registered : *m_modules)
    {
        CManagedPtr<CEngineModule> module = registered;
        module->setPlugin(nullptr);
    }
    delete m_modules;
}

CString CModuleManager::getDefaultPath(uint32_t typeId)
{
    return "$Exe/" + nameText(typeId) + CPlugin::getLibrarySuffix();
}

CManagedPtr<CEngineModule> CModuleManager::findModule(uint32_t typeId) const
{
    for (const CManagedPtr<CEngineModule>& module : *m_modules)
        if (module->getTypeId() == typeId)
            return module;
    return CManagedPtr<CEngineModule>();
}

bool CModuleManager::registerModule(CEngineModule* module, bool optional)
{
    CManagedPtr<CEngineModule> registered = findModule(module->getTypeId());
    CString path = module->getPath().isEmpty() ? getDefaultPath(module->getTypeId()) : module->getPath();
    if (registered)
    {
        if (registered->getPath() == path)
            return true;
        TAVRIN_THROW_AT(CInvalidArgumentException,
                        "A .DLL has already been registered as a module type with the same name !\n",
                        "Engine/IKernel/System/CModuleManager", 102);
    }
    if (optional && !CFileUtils::exists(path))
    {
        log("Failed to register module %s: file does not exist\n", path.c_str());
        return false;
    }
    return _loadAndInitialise(module, path, optional);
}

bool CModuleManager::_loadAndInitialise(CEngineModule* module, const CString& path, bool optional)
{
    try
    {
        module->setPlugin(new CPlugin(path));
        module->setPath(path);
        if (!module->initialise())
        {
            // The caller's reference still holds the module: only the library
            // goes, so that nothing is left loaded for a refused module.
            module->setPlugin(nullptr);
            return false;
        }
    }
    catch (CNotFoundException& error)
    {
        module->setPlugin(nullptr);
        if (!optional)
            error.display(nullptr);
        return false;
    }
    m_modules->add(CManagedPtr<CEngineModule>(module));
    return true;
}

} // namespace Engine
} // namespace Tavrin
