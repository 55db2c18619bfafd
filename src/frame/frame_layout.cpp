#include "frame/frame_layout.h"

#include "app/utf.h"

namespace xh {

std::string ExtractServerName(std::string_view decodedUrl) {
    const auto at = decodedUrl.find("svname");
    if (at == std::string_view::npos) return {};
    // Seven characters: the six letters and whatever follows them (normally "=").
    std::size_t start = at + 6;
    if (start < decodedUrl.size()) {
        const auto lead = static_cast<unsigned char>(decodedUrl[start]);
        std::size_t length = 1;
        if (lead >= 0xF0) length = 4;
        else if (lead >= 0xE0) length = 3;
        else if (lead >= 0xC0) length = 2;
        start += length;
    }
    if (start >= decodedUrl.size()) return {};
    std::string_view rest = decodedUrl.substr(start);
    if (const auto slash = rest.find('/'); slash != std::string_view::npos) rest = rest.substr(0, slash);
    return std::string(rest);
}

std::string TitleText(const std::string& serverName) {
    return serverName.empty() ? std::string() : "[ " + serverName + " ]";
}

const std::array<TitleButtonSpec, 9> kTitleButtons{{
    {kBtnClose, 28, 28, 26, 207, 208, 227, nullptr},
    {kBtnMaximize, 57, 28, 26, 220, 213, 228, nullptr},
    {kBtnRestore, 57, 28, 26, 221, 217, 229, nullptr},
    {kBtnMinimize, 86, 28, 26, 209, 210, 230, nullptr},
    {kBtnFullScreen, 172, 85, 24, 224, 214, 234, "全屏/取消全屏（快捷键F11）"},
    {kBtnBossKey, 270, 97, 24, 223, 215, 233, "老板键（快捷键F10）"},
    {kBtnClearCache, 349, 85, 24, 252, 253, 261, "清除缓存"},
    {kBtnRefresh, 428, 78, 24, 226, 219, 236, "刷新"},
    {kBtnSelectServer, 488, 59, 24, 211, 212, 231, "选择新的服务器"},
}};

std::vector<ButtonPlace> LayoutTitleButtons(int clientRight) {
    std::vector<ButtonPlace> places;
    for (const TitleButtonSpec& b : kTitleButtons) {
        const int x = clientRight - b.xFromRight;
        places.push_back({b.id, {x, kTitleButtonY, x + b.width, kTitleButtonY + b.height}});
    }
    return places;
}

Rect WorkAreaPlacement(const std::optional<Rect>& taskbar, const Rect& workArea) {
    int x = 0, y = 0;
    if (taskbar) {
        if (taskbar->bottom == workArea.top) {
            y = taskbar->bottom;
        } else if (taskbar->right == workArea.left) {
            x = taskbar->right;
        }
    }
    return {x, y, x + workArea.Width(), y + workArea.Height()};
}

std::string FormatGameCommandLine(std::string_view programPath, WindowId frame, std::string_view gameUrl) {
    const std::string path = TruncateUtf16(programPath, kCommandLineUnits);
    std::string line = "\"" + path + "\" -frameWnd=" + std::to_string(frame) + " -gameurl=";
    line.append(gameUrl);
    return TruncateUtf16(line, kCommandLineUnits);
}

}  // namespace xh
