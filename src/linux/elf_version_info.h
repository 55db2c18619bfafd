#pragma once
#include "platform/ports.h"

namespace xh::linuxport {

// Name of the ELF section that carries a program's version resource on Linux. Its content
// is text: a "XHVERSION1" line, "Translation=llll,cccc" lines (hexadecimal), and
// "<query path>=<value>" lines such as "\StringFileInfo\080403a8\FileVersion=1.0.1.0".
inline constexpr const char* kVersionSection = ".xinghe_version";

// Reads that section from any file; nullopt when the file is not ELF or has no such section.
class ElfVersionInfo final : public IVersionInfo {
public:
    std::optional<VersionResource> Read(const std::string& path) override;
};

std::optional<VersionResource> ParseVersionSection(const std::string& content);

}  // namespace xh::linuxport
