#include "update/path_text.h"

#include "platform/ports.h"

namespace xh {

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + ports().folders->PathSeparator() + name;
}

std::string FileNamePart(const std::string& path) {
    const auto at = path.find_last_of("\\/");
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string FolderPart(const std::string& path) {
    const auto at = path.find_last_of("\\/");
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

}  // namespace xh
