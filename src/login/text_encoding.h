#pragma once
// Byte strings entering the system: UTF-8 archive names, ANSI HTTP answers and
// percent-encoded UTF-8 in the game URL. Text is UTF-8 inside the program, so "Wide"
// here means "program text".
#include <string>
#include <string_view>

namespace xh {

// The bytes up to the first zero byte, read as UTF-8; malformed sequences become U+FFFD.
std::string Utf8ToWide(std::string_view bytes);
// Bytes in the thread's ANSI code page to text; empty input or a refused conversion give "".
std::string AnsiToWide(std::string_view bytes);
// Text to the thread's ANSI code page; a text that cannot be converted gives "".
std::string WideToAnsi(std::string_view text);
// One pass over %XX escapes of the ANSI form, the result read as UTF-8 ("+" stays "+",
// %00 ends the result).
std::string PercentDecode(std::string_view text);

}  // namespace xh
