// Percent-decoding of the game URL, with a UTF-8 code page standing for the ANSI one.
#include <cctype>

#include "app/utf.h"
#include "fuzz/fuzz_support.h"
#include "login/text_encoding.h"
#include "support/fake_ports.h"

using namespace xh;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static testing::FakePorts fake;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string decoded = PercentDecode(text);
    const std::string shown = fuzz::Show(text) + " -> " + fuzz::Show(decoded);

    FUZZ_CHECK(SanitizeUtf8(decoded) == decoded, shown);
    FUZZ_CHECK(decoded.find('\0') == std::string::npos, shown);
    if (text.find('%') == std::string::npos) FUZZ_CHECK(decoded == Utf8ToWide(text), shown);

    // Every byte escaped decodes back to the bytes, up to the first zero one.
    std::string escaped;
    static constexpr char kHex[] = "0123456789abcdef";
    const std::string plain = text.substr(0, text.find('\0'));
    for (const char c : plain) {
        const auto b = static_cast<unsigned char>(c);
        escaped += '%';
        escaped += kHex[b >> 4];
        escaped += (b & 1) ? kHex[b & 0x0F] : static_cast<char>(std::toupper(kHex[b & 0x0F]));
    }
    FUZZ_CHECK(PercentDecode(escaped) == Utf8ToWide(plain), fuzz::Show(escaped) + " -> " + fuzz::Show(PercentDecode(escaped)));
    return 0;
}
