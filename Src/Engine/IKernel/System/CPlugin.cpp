#include "Engine/IKernel/System/CPlugin.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CFileUtils.h"
#include "Engine/IKernel/Types/CUnicode.h"

#include <cstdlib>

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_FILE = "Engine/IKernel/System/CPlugin";

} // namespace

CPlugin::CPlugin(const CString& path) : m_name(nullptr), m_nameLength(0), m_module(nullptr)
{
    CString resolved = CFileUtils::resolveAliases(path);
    if (!resolved.isEmpty())
        m_module = _loadLibrary(CFileSystem::toNativePath(resolved));
    if (!m_module)
        TAVRIN_THROW_AT(CNotFoundException, "Could not load plugin '" + CFileUtils::getCurrentDirectory() + path + "'\n",
                        C_FILE, 28);
    m_name = path.toWide(&m_nameLength);
}

CPlugin::~CPlugin()
{
    if (m_module)
        _unloadLibrary(m_module);
    m_module = nullptr;
    free(m_name);
    m_name = nullptr;
}

CString CPlugin::getName() const
{
    CString name;
    if (!m_name)
        return name;
    int32_t length = 0;
    char* text = wideToUtf8(m_name, m_nameLength, &length);
    name.adopt(text, length);
    name.setUTF8(1);
    return name;
}

void* CPlugin::getProcAddress(const char* name, bool required)
{
    if (!m_module)
        return nullptr;
    void* address = name ? _findSymbol(m_module, name) : nullptr;
    if (!address && required)
        TAVRIN_THROW_AT(CNotFoundException, "Could not find creation procedure entry point in '" + getName() + "'\n",
                        C_FILE, 67);
    return address;
}

} // namespace Engine
} // namespace Tavrin
