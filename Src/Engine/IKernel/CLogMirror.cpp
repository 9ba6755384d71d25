#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CSystemServices.h"

namespace Tavrin {
namespace Engine {

void CLog::setMirrorToDebugger(bool enabled)
{
    m_mirrorToDebugger = enabled;
}

// The copy on the debugger's output (standard error on Linux) of a line that
// was written; the indentation is the one the line was written with.
void CLog::_mirror(const char* prefix, const char* indentation, const char* text)
{
    if (prefix[0])
        CSystemServices::debugOutput(prefix);
    if (indentation[0])
        CSystemServices::debugOutput(indentation);
    CSystemServices::debugOutput(text);
}

// Where the log went, unless the program keeps its standard error quiet.
void CLog::_announceFile()
{
    if (!IKernel::getLogMirror())
        return;
    CSystemServices::debugOutput("Log file is ");
    CSystemServices::debugOutput(m_fileName.c_str());
    CSystemServices::debugOutput("\n\r");
}

} // namespace Engine
} // namespace Tavrin
