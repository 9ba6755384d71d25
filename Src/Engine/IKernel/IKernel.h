#pragma once

#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The kernel module: process facts shared by every other part of the engine.
class IKernel
{
public:
    static const CString& getApplicationName() { return s_applicationName; }
    static const CString& getApplicationShortName() { return s_applicationShortName; }
    static const CString& getExecutableFileName() { return s_executableFileName; }
    static const CString& getExecutableFolder() { return s_executableFolder; }
    static const CString& getExecutablePath() { return s_executablePath; }
    static const CString& getRuntimeLibraryPath() { return s_runtimeLibraryPath; }
    static uint32_t getProcessorCount() { return s_processorCount; }
    static uint32_t getInstallCount() { return s_installCount; }

    // Splits an executable's full path into file name, folder and short name.
    // A path without separator takes `currentDirectory` as its folder.
    static void setExecutablePath(const char* fullPath, const char* currentDirectory);
    static void setApplicationName(const char* name) { s_applicationName = name; }
    static void setProcessorCount(uint32_t count) { s_processorCount = count; }

    // Tests switch off the slow parts of crash reports (the CPU speed
    // measurement) that the product keeps.
    static bool isTestMode() { return s_testMode; }
    static void setTestMode(bool enabled) { s_testMode = enabled; }

protected:
    static uint32_t s_installCount;
    static CString s_applicationName;
    static CString s_applicationShortName;
    static CString s_executableFileName;
    static CString s_executableFolder;
    static CString s_executablePath;
    static CString s_runtimeLibraryPath;
    static uint32_t s_processorCount;
    static bool s_testMode;
};

} // namespace Engine
} // namespace Tavrin
