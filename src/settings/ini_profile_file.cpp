#include "settings/ini_profile_file.h"

#include "app/utf.h"
#include "settings/ini_file.h"

namespace xh {
namespace {

// A settings file is ANSI text unless it starts with a byte-order mark; a file saved as
// UTF-8 or UTF-16 by an editor is read and written in its own encoding, as the platform does.
enum class Encoding { Ansi, Utf8, Utf16Le };

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

Encoding Detect(const std::string& content) {
    if (content.starts_with(kUtf8Bom)) return Encoding::Utf8;
    if (content.starts_with(kUtf16LeBom)) return Encoding::Utf16Le;
    return Encoding::Ansi;
}

// The file's text as UTF-8 without its mark (ANSI files stay as they are).
std::string Decode(const std::string& content, Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8: return content.substr(kUtf8Bom.size());
        case Encoding::Utf16Le: {
            std::u16string units;
            for (std::size_t i = kUtf16LeBom.size(); i + 1 < content.size(); i += 2) {
                units += static_cast<char16_t>(static_cast<unsigned char>(content[i]) |
                                               (static_cast<unsigned char>(content[i + 1]) << 8));
            }
            return Utf16ToUtf8(units);
        }
        case Encoding::Ansi: break;
    }
    return content;
}

std::string Encode(const std::string& text, Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8: return std::string(kUtf8Bom) + text;
        case Encoding::Utf16Le: {
            std::string out(kUtf16LeBom);
            for (const char16_t u : Utf8ToUtf16(text)) {
                out += static_cast<char>(u & 0xFF);
                out += static_cast<char>(u >> 8);
            }
            return out;
        }
        case Encoding::Ansi: break;
    }
    return text;
}

std::string ToFileText(const std::string& text, Encoding encoding) {
    if (encoding != Encoding::Ansi) return text;
    return ports().codec->Utf8ToAnsi(text).value_or(std::string());
}

}  // namespace

std::string IniProfileFile::Read(const std::string& path, const std::string& section, const std::string& key,
                                 const std::string& defaultValue) {
    std::optional<std::string> found;
    Encoding encoding = Encoding::Ansi;
    if (const auto content = ports().files->ReadFile(path)) {
        encoding = Detect(*content);
        found = ini::Find(Decode(*content, encoding), ToFileText(section, encoding), ToFileText(key, encoding));
    }
    std::string text = defaultValue;
    if (found) {
        text = encoding == Encoding::Ansi ? ports().codec->AnsiToUtf8(*found).value_or(std::string())
                                          : SanitizeUtf8(*found);
    }
    return TruncateUtf16(text, kMaxSettingUnits);
}

void IniProfileFile::Write(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& value) {
    const std::optional<std::string> read = ports().files->ReadFile(path);
    // A file that is there but cannot be read would be replaced by the one key alone.
    if (!read && ports().files->Exists(path)) return;
    const std::string content = read.value_or(std::string());
    const Encoding encoding = Detect(content);
    const std::string edited = ini::Put(Decode(content, encoding), ToFileText(section, encoding),
                                        ToFileText(key, encoding), ToFileText(value, encoding));
    // Where the folder is missing the write fails and is dropped, as the platform's does.
    ports().files->WriteFile(path, Encode(edited, encoding));
}

}  // namespace xh
