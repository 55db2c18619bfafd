#include "app/startup_args.h"

#include <algorithm>
#include <limits>

#include "app/utf.h"

namespace xh {
namespace {

constexpr std::u16string_view kFrameWnd = u"-frameWnd=";
constexpr std::u16string_view kGameUrl = u"-gameurl=";

bool IsCSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

StartupArgs WindowModes(std::u16string_view text) {
    StartupArgs args;
    std::u16string_view s = text;
    if (const auto at = s.find(kFrameWnd); at != std::u16string_view::npos) {
        s = s.substr(at + kFrameWnd.size());
        if (const auto space = s.find(u' '); space != std::u16string_view::npos) {
            args.frameWindow = ParseDecimalLong(s.substr(0, space));
            s = s.substr(space);
        }
    }
    if (const auto at = s.find(kGameUrl); at != std::u16string_view::npos) {
        args.gameUrl = Utf16ToUtf8(s.substr(at + kGameUrl.size()));
    }
    args.mode = args.frameWindow != 0 ? ProcessMode::GameHost : ProcessMode::Normal;
    return args;
}

}  // namespace

std::int32_t ParseDecimalLong(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    // Accumulate as a negative number so that the minimum fits; clamp like wcstol.
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    bool overflow = false;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (!overflow) {
            value = value * 10 + (text[i] - u'0');
            if (value > kMax + 1) overflow = true;
        }
    }
    if (negative) return overflow || -value < kMin ? static_cast<std::int32_t>(kMin)
                                                   : static_cast<std::int32_t>(-value);
    return overflow || value > kMax ? static_cast<std::int32_t>(kMax) : static_cast<std::int32_t>(value);
}

StartupArgs ParseWindowModeArgs(std::string_view commandLine) {
    return WindowModes(Utf8ToUtf16(commandLine));
}

StartupArgs ParseStartupArgs(std::string_view commandLine) {
    const std::u16string text = Utf8ToUtf16(commandLine);
    const std::u16string_view view = text;
    const std::u16string_view left = view.substr(0, 2);
    const std::u16string_view right = view.size() < 2 ? view : view.substr(view.size() - 2);

    StartupArgs args;
    if (left == u"-d" && view.size() > 2) {
        args.mode = ProcessMode::ApplyUpdate;
        args.pathOperand = Utf16ToUtf8(view.substr(std::min<std::size_t>(3, view.size())));
        return args;
    }
    const StartupArgs windowModes = WindowModes(view);
    // A game host keeps its mode even when its game URL happens to end in "-u".
    if (right == u"-u" && windowModes.mode != ProcessMode::GameHost) {
        args.mode = ProcessMode::UninstallConfirm;
        return args;
    }
    if (left == u"-u") {
        args.mode = ProcessMode::UninstallCleanup;
        args.pathOperand = Utf16ToUtf8(view.substr(std::min<std::size_t>(3, view.size())));
        return args;
    }
    return windowModes;
}

const char* ProcessModeName(ProcessMode mode) {
    switch (mode) {
        case ProcessMode::Normal: return "Normal";
        case ProcessMode::GameHost: return "GameHost";
        case ProcessMode::ApplyUpdate: return "ApplyUpdate";
        case ProcessMode::UninstallConfirm: return "UninstallConfirm";
        case ProcessMode::UninstallCleanup: return "UninstallCleanup";
    }
    return "?";
}

}  // namespace xh
