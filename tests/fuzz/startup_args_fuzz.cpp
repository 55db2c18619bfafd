// The raw command line: mode decision, operands, and the wcstol-style handle value checked
// against the C library's own reading.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "app/startup_args.h"
#include "app/utf.h"
#include "fuzz/fuzz_support.h"

using namespace xh;

namespace {

// wcstol over a 32-bit long, from the C library: only for ASCII text.
bool ReferenceDecimal(std::u16string_view text, std::int32_t& value) {
    std::string narrow;
    for (const char16_t c : text) {
        if (c >= 0x80) return false;
        narrow += static_cast<char>(c);
    }
    const long long v = std::strtoll(narrow.c_str(), nullptr, 10);
    value = static_cast<std::int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const StartupArgs args = ParseStartupArgs(line);
    const std::u16string text = Utf8ToUtf16(line);
    const std::string shown = fuzz::Show(line) + " -> " + ProcessModeName(args.mode);

    const bool applyLine = text.starts_with(u"-d") && text.size() > 2;
    FUZZ_CHECK(applyLine == (args.mode == ProcessMode::ApplyUpdate), shown);
    if (args.mode == ProcessMode::ApplyUpdate || args.mode == ProcessMode::UninstallCleanup) {
        // Index 3 may fall inside a surrogate pair; program text carries U+FFFD for the half.
        const std::u16string operand = text.substr(std::min<std::size_t>(3, text.size()));
        FUZZ_CHECK(args.pathOperand == Utf16ToUtf8(operand), shown);
    } else {
        FUZZ_CHECK(args.pathOperand.empty(), shown);
    }
    if (args.mode == ProcessMode::UninstallConfirm) FUZZ_CHECK(text.ends_with(u"-u"), shown);
    if (args.mode == ProcessMode::UninstallCleanup) FUZZ_CHECK(text.starts_with(u"-u"), shown);
    FUZZ_CHECK((args.mode == ProcessMode::GameHost) == (args.frameWindow != 0), shown);
    if (args.mode == ProcessMode::Normal || args.mode == ProcessMode::GameHost) {
        FUZZ_CHECK(args == ParseWindowModeArgs(line), shown);
    }
    // The game URL runs to the end of the line, after a "-gameurl=".
    if (!args.gameUrl.empty()) {
        FUZZ_CHECK(text.ends_with(u"-gameurl=" + Utf8ToUtf16(args.gameUrl)), shown);
    }
    if (args.frameWindow != 0) FUZZ_CHECK(text.find(u"-frameWnd=") != std::u16string::npos, shown);

    std::int32_t expected = 0;
    if (ReferenceDecimal(text, expected)) {
        FUZZ_CHECK(ParseDecimalLong(text) == expected,
                   fuzz::Show(line) + " gives " + std::to_string(ParseDecimalLong(text)) + ", the C library " +
                       std::to_string(expected));
    }
    return 0;
}
