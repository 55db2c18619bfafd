#pragma once
// UTF-8 <-> UTF-16 without any platform converter. Malformed UTF-8 becomes U+FFFD per bad
// byte and lone surrogates become U+FFFD, so a conversion never fails as a whole.
#include <cstddef>
#include <string>
#include <string_view>

namespace xh {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// The same text with every malformed sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view utf8);

// Number of UTF-16 units the text takes.
std::size_t Utf16Length(std::string_view utf8);

// The first `units` UTF-16 units of the text; a surrogate pair cut in half is dropped.
std::string TruncateUtf16(std::string_view utf8, std::size_t units);

}  // namespace xh
