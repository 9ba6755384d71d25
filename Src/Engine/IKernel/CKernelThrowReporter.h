#pragma once

namespace Tavrin {
namespace Engine {

// Sends the side effects of every throw to the kernel: the crash report of
// the current stack, the global log and the system's message box. Installed
// by the kernel's install, the log's and the crash handler's; idempotent.
void installKernelThrowReporter();

} // namespace Engine
} // namespace Tavrin
