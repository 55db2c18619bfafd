#pragma once
// Files of demo/www, compiled into the program so that it runs from any folder.
#include <optional>
#include <string_view>

namespace xh::demo {

// The content of www/<name>, e.g. FindAsset("static/platform.css"); nullopt when there is
// no such file.
std::optional<std::string_view> FindAsset(std::string_view name);

}  // namespace xh::demo
