#include "settings/ini_profile_file.h"

#include "app/utf.h"
#include "settings/ini_file.h"

namespace xh {
namespace {

std::string ToAnsi(const std::string& text) { return ports().codec->Utf8ToAnsi(text).value_or(std::string()); }

}  // namespace

std::string IniProfileFile::Read(const std::string& path, const std::string& section, const std::string& key,
                                 const std::string& defaultValue) {
    std::optional<std::string> found;
    if (const auto content = ports().files->ReadFile(path)) found = ini::Find(*content, ToAnsi(section), ToAnsi(key));
    const std::string text = found ? ports().codec->AnsiToUtf8(*found).value_or(std::string()) : defaultValue;
    return TruncateUtf16(text, kMaxSettingUnits);
}

void IniProfileFile::Write(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& value) {
    const std::string content = ports().files->ReadFile(path).value_or(std::string());
    // Where the folder is missing the write fails and is dropped, as the platform's does.
    ports().files->WriteFile(path, ini::Put(content, ToAnsi(section), ToAnsi(key), ToAnsi(value)));
}

}  // namespace xh
