#pragma once
#include "platform/ports.h"

namespace xh::win32 {

// The VERSIONINFO resource of a program file: its translations and, for each of them, the
// FileVersion string under its query path.
class Win32VersionInfo final : public IVersionInfo {
public:
    std::optional<VersionResource> Read(const std::string& path) override;
};

}  // namespace xh::win32
