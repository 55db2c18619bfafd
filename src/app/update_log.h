#pragma once
// update.log in the res folder: UTF-16LE lines without byte-order mark, tagged "UpdateModule".
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ports.h"

namespace xh {

inline constexpr std::uint64_t kUpdateLogLimit = 10485760;
inline constexpr const char* kUpdateLogSeparator = "=====================";

std::string UpdateLogPath();

// The line's text without its line ending, as "%2d-%2d-%2d %2d:%2d:%2d : \t%s\t%s" prints it.
// Without a local time, the date prints as 0 and the clock as -1.
std::string FormatUpdateLogLine(const std::optional<LocalTime>& when, const std::string& message);

// Appends one line; 0 when it was written, -1 when not.
int WriteUpdateLog(const std::string& message);

// Deletes the log when it has grown past the limit (run before a version check's first line).
void TrimUpdateLog();

// Little-endian UTF-16 code units of the text.
std::string ToUtf16LeBytes(const std::string& text);

}  // namespace xh
