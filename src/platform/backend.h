#pragma once
// Implemented once by each backend: installs its adapters of every port for this process.
namespace xh {
void InstallBackendPorts();
}
