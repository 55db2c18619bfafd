#include "update/maintenance.h"

#include <cstdio>

namespace xh {

// The self-update and the uninstaller are not part of this build yet; these entry points
// say so instead of pretending to have done their work.
void RunApplyStage(const std::string& targetPath) {
    std::fprintf(stderr, "xinghe-launcher: the update stage is not available in this build (%s)\n", targetPath.c_str());
}

void RunUninstallConfirm() {
    std::fprintf(stderr, "xinghe-launcher: the uninstaller is not available in this build\n");
}

void RunUninstallCleanup(const std::string& programPath) {
    std::fprintf(stderr, "xinghe-launcher: the uninstaller is not available in this build (%s)\n", programPath.c_str());
}

}  // namespace xh
