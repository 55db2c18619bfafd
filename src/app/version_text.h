#pragma once
#include <string>

namespace xh {

inline constexpr const char* kNoVersionInfo = "None VerSion Supprot";

// The FileVersion texts of every translation of the file's version resource, joined.
// "" for a missing file, kNoVersionInfo for a file without version information.
std::string GetFileVersionText(const std::string& path);

}  // namespace xh
