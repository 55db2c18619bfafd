#pragma once
// The core's text is UTF-8; the platform's wide functions take UTF-16. Conversions happen
// here, at the edge, and nowhere else.
#include <string>
#include <string_view>

namespace xh::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace xh::win32
