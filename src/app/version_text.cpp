#include "app/version_text.h"

#include <cstdio>

#include "platform/ports.h"

namespace xh {

std::string GetFileVersionText(const std::string& path) {
    if (!ports().files->Exists(path)) return {};
    const auto info = ports().versionInfo->Read(path);
    if (!info) return kNoVersionInfo;
    std::string result;
    for (const auto& [language, codePage] : info->translations) {
        char query[64];
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\FileVersion", language, codePage);
        for (const auto& [name, value] : info->strings) {
            if (name == query) {
                result += value;
                break;
            }
        }
    }
    return result;
}

}  // namespace xh
