#include "settings/settings.h"

#include <limits>

#include "app/profile.h"
#include "app/startup_args.h"
#include "app/utf.h"
#include "platform/ports.h"

namespace xh {
namespace {

std::string& KeptDataFolder() {
    static std::string kept;
    return kept;
}

}  // namespace

std::string GetDataFolder() {
    std::string& kept = KeptDataFolder();
    if (kept.empty()) {
        const char sep = ports().folders->PathSeparator();
        kept = ports().folders->AppData() + sep + LoadProfileString(kIdsDataFolderBrand) + sep +
               LoadProfileString(kIdsGameLatinId) + sep;
    }
    return kept;
}

void ResetDataFolderForTests() { KeptDataFolder().clear(); }

std::string SettingsFilePath() { return GetDataFolder() + LoadProfileString(kIdsSettingsPath); }

std::string ReadSetting(const std::string& section, const std::string& key, const std::string& defaultValue) {
    return ports().profile->Read(SettingsFilePath(), section, key, defaultValue);
}

void WriteSetting(const std::string& section, const std::string& key, const std::string& value) {
    ports().profile->Write(SettingsFilePath(), section, key, value);
}

int SettingToInt(const std::string& text) { return ParseDecimalLong(Utf8ToUtf16(text)); }

}  // namespace xh
