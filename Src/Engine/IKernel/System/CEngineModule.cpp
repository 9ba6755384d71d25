#include "Engine/IKernel/System/CEngineModule.h"

#include "Engine/IKernel/System/CPlugin.h"

namespace Tavrin {
namespace Engine {

CEngineModule::CEngineModule(uint32_t typeId, const CString& path) : m_typeId(typeId), m_path(path), m_plugin(nullptr)
{
}

CEngineModule::~CEngineModule()
{
    delete m_plugin;
}

bool CEngineModule::initialise()
{
    return true;
}

void CEngineModule::setPlugin(CPlugin* plugin)
{
    if (plugin == m_plugin)
        return;
    delete m_plugin;
    m_plugin = plugin;
}

} // namespace Engine
} // namespace Tavrin
