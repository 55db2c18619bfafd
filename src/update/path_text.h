#pragma once
// Small path helpers shared by the installation and uninstall steps.
#include <string>

namespace xh {

// The platform's separator between two pieces.
std::string JoinPath(const std::string& folder, const std::string& name);
// The part after the last separator ("\" or "/"); all of it when there is none.
std::string FileNamePart(const std::string& path);
// The part before the last separator; "" when there is none.
std::string FolderPart(const std::string& path);

}  // namespace xh
