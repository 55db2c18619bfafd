#pragma once
// The Windows adapters of the update and installation ports.
#include "platform/ports.h"

namespace xh::win32 {

// Fills the update and installation ports of `target` with this backend's adapters.
void InstallUpdatePorts(Ports& target);

}  // namespace xh::win32
