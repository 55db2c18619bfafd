#pragma once
#include <string>

namespace xh {

// <application data>\<profile 124>\<profile 117>\ with the platform's separator, always
// ending in one. Worked out once and kept for the life of the process.
std::string GetDataFolder();
// Forgets the kept folder (tests that switch the application-data folder).
void ResetDataFolderForTests();

// The settings file: data folder + profile 197.
std::string SettingsFilePath();

// The key's value, at most 259 UTF-16 units; the default when file, section or key is missing.
// A key that is present with an empty value gives "".
std::string ReadSetting(const std::string& section, const std::string& key, const std::string& defaultValue);
void WriteSetting(const std::string& section, const std::string& key, const std::string& value);

// Decimal text as the C library's wtoi reads it: blanks, a sign, digits; no digits give 0.
int SettingToInt(const std::string& text);

}  // namespace xh
