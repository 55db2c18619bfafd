#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>

namespace xh::fuzz {

std::vector<std::string> Fields(const std::uint8_t* data, std::size_t size, std::size_t count) {
    std::vector<std::string> fields(count);
    std::size_t field = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\x1f' && field + 1 < count) {
            ++field;
        } else {
            fields[field] += c;
        }
    }
    return fields;
}

std::string Show(const std::string& bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\' && b != '"') {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out + "\"";
}

void Fail(const char* file, int line, const char* condition, const std::string& detail) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n  %s\n", file, line, condition, detail.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace xh::fuzz
