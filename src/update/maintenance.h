#pragma once
// The maintenance process modes: the second stage of a self-update and the two uninstall stages.
#include <string>

namespace xh {

// Copies the running program over `targetPath` and starts it; ends the process on success.
// Returns when the copy failed.
void RunApplyStage(const std::string& targetPath);
void RunUninstallConfirm();
void RunUninstallCleanup(const std::string& programPath);

}  // namespace xh
