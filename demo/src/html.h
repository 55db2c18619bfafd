#pragma once
#include <map>
#include <string>
#include <string_view>

namespace xh::demo {

// Text made safe for HTML element content and quoted attribute values.
std::string HtmlEscape(std::string_view text);

// Percent-encodes every byte except the unreserved characters of RFC 3986, so a "/" or an
// "&" inside a value cannot end it and UTF-8 text travels as %XX bytes.
std::string PercentEncode(std::string_view text);

// Replaces each {{KEY}} of the template with values[KEY], inserted as given (callers escape).
// A key without a value becomes empty.
std::string RenderTemplate(std::string_view tpl, const std::map<std::string, std::string>& values);

}  // namespace xh::demo
