#pragma once

#include "Engine/IKernel/Types/CString.h"

namespace Tavrin {
namespace Engine {

class CLog;

// Shared by the log's files, not part of its interface.

// The executable's folder, "/" and the name; the default is
// "<short name>_log.txt" there.
CString composeLogName(const char* name);
CString composeDefaultLogName();
// A log being destroyed stops being the global one.
void forgetGlobalLog(const CLog* log);

} // namespace Engine
} // namespace Tavrin
