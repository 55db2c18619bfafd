#pragma once
// The Linux adapters of the core's ports.
#include <string>

#include "platform/ports.h"

namespace xh::linuxport {

// Profile paths carry Windows separators; on Linux every "\" of a path is a "/".
std::string NativePath(const std::string& path);

// Installs the Linux adapters as the process's ports. argv is kept for the raw command line.
void InstallPorts(int argc, char** argv);

// The raw command line as the Windows build would see it: argv joined with single spaces,
// argv[0] exactly as the starter gave it.
std::string JoinCommandLine(int argc, char** argv);

}  // namespace xh::linuxport
