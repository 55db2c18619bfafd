#pragma once
// Product profile: names, addresses and file names by string id.
#include <span>
#include <string>

namespace xh {

enum ProfileId : unsigned {
    kIdsGameName = 102,
    kIdsStartMenuGroup = 105,
    kIdsUnusedInstallText = 106,  // has no entry; readers get ""
    kIdsLauncherName = 107,
    kIdsUninstallShortcut = 109,
    kIdsLoginPage = 114,
    kIdsCleaningNotice = 116,
    kIdsGameLatinId = 117,
    kIdsUpdateTempFile = 118,
    kIdsUninstallTempFile = 120,
    kIdsDataFolderBrand = 124,
    kIdsDesktopPrefix = 125,
    kIdsVersionServiceBase = 191,
    kIdsVersionServicePath = 192,
    kIdsSettingsPath = 197,
};

struct ProfileEntry {
    unsigned id;
    const char* text;
};

// The compiled-in table; the Windows build carries the same rows as its string table.
std::span<const ProfileEntry> ProductProfileTable();

// Loads an entry through the installed string table; "" for an id without entry.
std::string LoadProfileString(unsigned id);

// Fixed product names that are not profile entries.
inline constexpr const char* kRegistryKeyName = "青松奇遇记";
inline constexpr const char* kUninstallKeyName = "云朵网星河";

}  // namespace xh
