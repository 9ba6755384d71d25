#pragma once

#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A dynamic library loaded for the lifetime of the object, with a lookup of
// its exported entry points.
class CPlugin
{
public:
    // Loads the library at the path, aliases resolved; throws
    // CNotFoundException when it cannot be loaded.
    explicit CPlugin(const CString& path);
    // Unloads the library.
    virtual ~CPlugin();
    CPlugin(const CPlugin&) = delete;
    CPlugin& operator=(const CPlugin&) = delete;

    // The exported entry point, or null. A missing one throws
    // CNotFoundException when required.
    virtual void* getProcAddress(const char* name, bool required);

    // The library's name (the path it was given) as UTF-8.
    CString getName() const;
    bool isLoaded() const { return m_module != nullptr; }
    void* getNativeModule() const { return m_module; }

    // The file name suffix of the platform's dynamic libraries (".dll", ".so").
    static const char* getLibrarySuffix();

private:
    // Platform half, one file per system.
    static void* _loadLibrary(const CString& nativePath);
    static void _unloadLibrary(void* module);
    static void* _findSymbol(void* module, const char* name);

    uint16_t* m_name;
    int32_t m_nameLength;
    void* m_module;
};

} // namespace Engine
} // namespace Tavrin
