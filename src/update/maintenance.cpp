#include "update/maintenance.h"

#include <cstdio>
#include <exception>

#include "app/file_digest.h"
#include "app/profile.h"
#include "app/update_log.h"
#include "controls/control_types.h"
#include "app/version_text.h"
#include "platform/ports.h"
#include "update/path_text.h"

namespace xh {
namespace {

constexpr const char* kUninstallTitle = "卸载";

void DeleteWithNotice(const std::string& path) {
    if (ShellDeleteItem(path)) NotifyShellRemoved(path);
}

}  // namespace

void RunApplyStage(const std::string& targetPath) {
    try {
        // Written beside the target and moved over it in one step: an interrupted copy never
        // leaves a broken program behind.
        if (ports().fileOps->ReplaceAtomically(ports().process->ModulePath(), targetPath)) {
            std::string md5;
            GetFileMd5(targetPath, md5);
            WriteUpdateLog("Finish download,current file md5=" + md5);
            WriteUpdateLog("Update success.Current Version:" + GetFileVersionText(targetPath));
            WriteUpdateLog(kUpdateLogSeparator);
            ports().starter->Start(targetPath, std::nullopt);
            ports().process->Exit(0);
        }
        char line[64];
        std::snprintf(line, sizeof line, "Update failure.Error Code:%ld", ports().fileOps->LastError());
        WriteUpdateLog(line);
        WriteUpdateLog(kUpdateLogSeparator);
    } catch (const std::exception& e) {
        WriteUpdateLog("Try Commond -d Exception");
        WriteUpdateLog(e.what());
    }
}

std::string UninstallQuestion(const std::string& gameName) { return "您是否确认卸载《" + gameName + "》？"; }

void RunUninstallConfirm() {
    if (ports().prompt->Ask(kUninstallTitle, UninstallQuestion(LoadProfileString(kIdsGameName))) == kIdCancel) return;
    const std::string selfPath = ports().process->ModulePath();
    const std::string appData = ports().folders->AppData();
    const std::string cache = JoinPath(appData, "cache");
    if (!ports().files->Exists(cache)) ports().files->CreateDirectory(cache);
    const std::string copy = appData + LoadProfileString(kIdsUninstallTempFile);
    ports().fileOps->ReplaceAtomically(selfPath, copy);
    ports().starter->Start(copy, "-u " + selfPath);
    ports().uninstallRegistry->DeleteEntry(kUninstallKeyName);
}

void RunUninstallCleanup(const std::string& programPath) {
    const std::string game = LoadProfileString(kIdsGameName);
    const std::string extension = ports().shortcuts->Extension();
    const std::string uninstallLink = LoadProfileString(kIdsUninstallShortcut) + extension;
    const std::string desktopLink = LoadProfileString(kIdsDesktopPrefix) + "《" + game + "》" + extension;
    const std::string gameLink = game + extension;

    // An unresolved folder has nothing of ours to remove.
    if (const auto desktop = ports().shellFolders->Desktop()) DeleteWithNotice(JoinPath(*desktop, desktopLink));
    const auto programs = ports().shellFolders->Programs();
    const std::string platformGroup = programs ? JoinPath(*programs, LoadProfileString(kIdsStartMenuGroup)) : "";
    const std::string gameGroup = programs ? JoinPath(platformGroup, game) : "";
    if (programs) {
        DeleteWithNotice(JoinPath(gameGroup, uninstallLink));
        DeleteWithNotice(JoinPath(gameGroup, gameLink));
    }

    if (ports().files->Exists(programPath)) ports().files->RemoveFile(programPath);
    DeleteWithNotice(JoinPath(FolderPart(programPath), "res"));

    if (programs) {
        if (IsFolderEmpty(gameGroup)) RemoveFolderViaShell(gameGroup);
        if (IsFolderEmpty(platformGroup)) RemoveFolderViaShell(platformGroup);
    }

    // Where a running program may remove its own file, the temporary copy goes too.
    if (ports().starter->CanRemoveRunningProgram()) ports().files->RemoveFile(ports().process->ModulePath());
}

bool ShellDeleteItem(const std::string& path) { return ports().shellDelete->DeleteItem(path); }

void NotifyShellRemoved(const std::string& path) { ports().shellDelete->NotifyRemoved(path, FolderPart(path)); }

bool RemoveFolderViaShell(const std::string& path) {
    if (!ShellDeleteItem(path)) return false;
    NotifyShellRemoved(path);
    return true;
}

bool IsFolderEmpty(const std::string& folder) {
    const auto entries = ports().fileOps->ListFolder(folder);
    return !entries || entries->empty();
}

}  // namespace xh
