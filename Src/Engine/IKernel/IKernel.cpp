#include "Engine/IKernel/IKernel.h"

#include <cstring>

namespace Tavrin {
namespace Engine {

uint32_t IKernel::s_installCount = 0;
CString IKernel::s_applicationName("Unknown Application");
CString IKernel::s_applicationShortName;
CString IKernel::s_executableFileName;
CString IKernel::s_executableFolder(".");
CString IKernel::s_executablePath;
CString IKernel::s_runtimeLibraryPath("./Mono");
uint32_t IKernel::s_processorCount = 1;
bool IKernel::s_testMode = false;

void IKernel::setExecutablePath(const char* fullPath, const char* currentDirectory)
{
    if (!fullPath)
        fullPath = "";
    const char* separator = strrchr(fullPath, '\\');
    if (!separator)
        separator = strrchr(fullPath, '/');
    if (separator)
    {
        s_executableFileName = separator + 1;
        s_executablePath = fullPath;
        s_executableFolder = CString(fullPath).left(static_cast<int32_t>(separator - fullPath));
    }
    else
    {
        s_executableFileName = fullPath;
        s_executableFolder = currentDirectory;
        s_executablePath = s_executableFolder + "/" + s_executableFileName;
    }
    const char* name = s_executableFileName.c_str();
    const char* dot = strrchr(name, '.');
    s_applicationShortName = dot ? s_executableFileName.left(static_cast<int32_t>(dot - name)) : s_executableFileName;
    s_applicationName = s_applicationShortName;
}

} // namespace Engine
} // namespace Tavrin
