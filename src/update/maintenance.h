#pragma once
// The maintenance process modes: the second stage of a self-update and the two uninstall
// stages, with the shell steps the uninstaller is made of.
#include <string>

namespace xh {

// Copies the running program over `targetPath` and starts it; ends the process on success.
// Returns when the copy failed.
void RunApplyStage(const std::string& targetPath);

// Asks for confirmation, hands over to a copy in the cache folder and removes the
// uninstall entry.
void RunUninstallConfirm();
// Removes the shortcuts, the installed program, its res folder and empty group folders.
void RunUninstallCleanup(const std::string& programPath);

// One file or folder (with its contents) to the recycle bin where there is one.
bool ShellDeleteItem(const std::string& path);
// Tells the shell about a removed item and its changed parent folder.
void NotifyShellRemoved(const std::string& path);
bool RemoveFolderViaShell(const std::string& path);
// True unless the folder lists an entry; also true when it cannot be listed.
bool IsFolderEmpty(const std::string& folder);

// "您是否确认卸载《%s》？" with the game's name.
std::string UninstallQuestion(const std::string& gameName);

}  // namespace xh
