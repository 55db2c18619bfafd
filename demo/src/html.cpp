#include "html.h"

namespace xh::demo {

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string PercentEncode(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '_' || c == '.' || c == '~';
        if (unreserved) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string RenderTemplate(std::string_view tpl, const std::map<std::string, std::string>& values) {
    std::string out;
    out.reserve(tpl.size());
    std::size_t pos = 0;
    while (pos < tpl.size()) {
        std::size_t open = tpl.find("{{", pos);
        if (open == std::string_view::npos) break;
        std::size_t close = tpl.find("}}", open + 2);
        if (close == std::string_view::npos) break;
        out.append(tpl, pos, open - pos);
        auto it = values.find(std::string(tpl.substr(open + 2, close - open - 2)));
        if (it != values.end()) out += it->second;
        pos = close + 2;
    }
    out.append(tpl.substr(pos));
    return out;
}

}  // namespace xh::demo
