#include "app/file_digest.h"

#include "platform/ports.h"

namespace xh {

bool GetFileMd5(const std::string& path, std::string& out) {
    const auto digest = ports().digest->FileMd5(path);
    if (!digest) return false;
    static constexpr char kHex[] = "0123456789abcdef";
    for (const char c : *digest) {
        const auto b = static_cast<unsigned char>(c);
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    }
    return true;
}

}  // namespace xh
