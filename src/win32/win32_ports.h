#pragma once
// The Windows adapters of the core's ports.
#include "platform/ports.h"

namespace xh::win32 {

// Installs the Windows adapters as the process's ports.
void InstallPorts();

}  // namespace xh::win32
