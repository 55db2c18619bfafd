#include "login/text_encoding.h"

#include "app/utf.h"
#include "platform/ports.h"

namespace xh {
namespace {

std::string_view UpToZero(std::string_view bytes) {
    const auto zero = bytes.find('\0');
    return zero == std::string_view::npos ? bytes : bytes.substr(0, zero);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string Utf8ToWide(std::string_view bytes) { return SanitizeUtf8(UpToZero(bytes)); }

std::string AnsiToWide(std::string_view bytes) {
    const std::string_view input = UpToZero(bytes);
    if (input.empty()) return {};
    return SanitizeUtf8(ports().codec->AnsiToUtf8(std::string(input)).value_or(std::string()));
}

std::string WideToAnsi(std::string_view text) {
    return ports().codec->Utf8ToAnsi(std::string(UpToZero(text))).value_or(std::string());
}

std::string PercentDecode(std::string_view text) {
    const std::string ansi = WideToAnsi(text);
    const std::size_t length = ansi.size();
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length;) {
        if (i + 3 <= length && ansi[i] == '%') {
            const int hi = HexValue(ansi[i + 1]);
            const int lo = HexValue(ansi[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 3;
                continue;
            }
        }
        out += ansi[i++];
    }
    return Utf8ToWide(out);
}

}  // namespace xh
