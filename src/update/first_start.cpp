#include "update/first_start.h"

#include <exception>
#include <vector>

#include "app/profile.h"
#include "app/utf.h"
#include "app/version_text.h"
#include "login/text_encoding.h"
#include "platform/ports.h"
#include "settings/settings.h"
#include "update/embedded_archive.h"
#include "update/path_text.h"
#include "update/update_module.h"

namespace xh {
namespace {

std::vector<int> VersionParts(const std::string& text) {
    std::vector<int> parts;
    std::string part;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            parts.push_back(SettingToInt(part));
            part.clear();
        } else {
            part += text[i];
        }
    }
    return parts;
}

void CreateFolderIfMissing(const std::string& path) {
    if (!ports().files->Exists(path)) ports().files->CreateDirectory(path);
}

}  // namespace

int CompareVersionTexts(const std::string& a, const std::string& b) {
    const std::vector<int> left = VersionParts(a);
    const std::vector<int> right = VersionParts(b);
    for (std::size_t i = 0; i < left.size() || i < right.size(); ++i) {
        const int l = i < left.size() ? left[i] : 0;
        const int r = i < right.size() ? right[i] : 0;
        if (l != r) return l < r ? -1 : 1;
    }
    return 0;
}

bool IsVersionZero(const std::string& text) { return CompareVersionTexts(text, "0") == 0; }

bool CreateShortcut(const std::string& arguments, const std::string& target, const std::string& folder,
                    const std::string& name, bool withUninstallIcon) {
    ShortcutDetails details;
    details.target = target;
    details.arguments = arguments;
    if (withUninstallIcon) {
        const char sep = ports().folders->PathSeparator();
        details.iconPath = FolderPart(target) + sep + "res" + sep + "uninstall.ico";
        details.iconIndex = 0;
    }
    return ports().shortcuts->Create(JoinPath(folder, name), details);
}

std::string FetchUrlText(const std::string& url) {
    try {
        if (!UnusableAddressMessage(url).empty()) return {};
        std::string error;
        const auto request = ports().http->Open(url, HttpOptions{0, kTransferStallTimeoutMs}, error);
        if (!request) return {};
        if (request->StatusCode() >= 400) return {};
        std::string body;
        char piece[kHttpPieceSize];
        for (;;) {
            const long n = request->Read(piece, sizeof piece);
            if (n < 0) return {};
            body.append(piece, static_cast<std::size_t>(n));
            if (static_cast<std::size_t>(n) < sizeof piece) break;
        }
        return AnsiToWide(body);
    } catch (const std::exception&) {
        return {};
    }
}

void RunFirstStartInstall() {
    const std::string appData = ports().folders->AppData();
    const std::string selfPath = ports().process->ModulePath();

    const std::string brandFolder = JoinPath(appData, LoadProfileString(kIdsDataFolderBrand));
    CreateFolderIfMissing(brandFolder);
    const std::string dataFolder = JoinPath(brandFolder, LoadProfileString(kIdsGameLatinId));
    CreateFolderIfMissing(dataFolder);
    // Two launchers started together would each read, change and write the same settings and
    // profile files and lose each other's changes, or overwrite a settings file the other has
    // just marked; one installs at a time. A holder that never lets go only delays the other.
    const auto hold = ports().fileOps->LockFolder(dataFolder, kInstallLockWaitMs);

    ExtractEmbeddedArchive(dataFolder);

    const std::string installedPath = JoinPath(dataFolder, FileNamePart(selfPath));
    const std::string game = LoadProfileString(kIdsGameName);
    const std::string deskBrand = LoadProfileString(kIdsDesktopPrefix);
    const std::string menuBrand = LoadProfileString(kIdsStartMenuGroup);

    if (const auto programs = ports().shellFolders->Programs()) {
        const std::string platformGroup = JoinPath(*programs, menuBrand);
        CreateFolderIfMissing(platformGroup);
        const std::string group = JoinPath(platformGroup, game);
        CreateFolderIfMissing(group);
        const std::string extension = ports().shortcuts->Extension();
        CreateShortcut("1", installedPath, group, game + extension, false);
        CreateShortcut("-u", installedPath, group, LoadProfileString(kIdsUninstallShortcut) + extension, true);
    }

    const std::string installedVersion = GetFileVersionText(installedPath);
    const std::string runningVersion = GetFileVersionText(selfPath);

    const std::string uninstallString = installedPath + " -u";
    const std::pair<const char*, std::string> values[] = {
        {"Path", installedPath}, {"DisplayName", game}, {"Publisher", deskBrand}, {"UninstallString", uninstallString}};
    IUninstallRegistry& registry = *ports().uninstallRegistry;
    if (registry.CreateEntry(kUninstallKeyName) == KeyCreation::CreatedNew) {
        for (const auto& [name, data] : values) registry.SetValue(kUninstallKeyName, name, data);
    }
    IUserProfile& profile = *ports().userProfile;
    if (profile.GetString(kUninstallKeyName, "Path", "no find!") != installedPath) {
        for (const auto& [name, data] : values) profile.WriteString(kUninstallKeyName, name, data);
    }

    // Parts are compared one by one, so 1.0.1.0 is newer than 1.0.0.10.
    if (!IsVersionZero(installedVersion) && CompareVersionTexts(installedVersion, runningVersion) >= 0) return;
    // Beside it and moved over it: a disk that fills up on the way leaves the earlier program,
    // never a cut one in the installed place.
    ports().fileOps->ReplaceAtomically(selfPath, installedPath);

    if (SettingToInt(ReadSetting("Start", "firststart", "0")) != 0) {
        if (const std::string reportUrl = LoadProfileString(kIdsUnusedInstallText); !reportUrl.empty()) {
            FetchUrlText(reportUrl);
        }
        WriteSetting("Start", "firststart", "0");
    }
}

}  // namespace xh
