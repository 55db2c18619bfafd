#pragma once
#include <string>

namespace xh {

// Appends the file's MD5 as 32 lower-case hexadecimal digits; false (nothing appended)
// when the file cannot be read.
bool GetFileMd5(const std::string& path, std::string& out);

}  // namespace xh
