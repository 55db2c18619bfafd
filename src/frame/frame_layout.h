#pragma once
// The frame window's rules that need no window: the server name in the title, the
// title-bar buttons, the place of a maximised frame and the game host's command line.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/control_types.h"
#include "frame/host_protocol.h"

namespace xh {

// The decoded game URL's text after "svname" and one more character, up to the first "/".
std::string ExtractServerName(std::string_view decodedUrl);

// "[ name ]", or "" for an empty name (the title bar then has no text).
std::string TitleText(const std::string& serverName);

enum FrameControl : int {
    kBtnClose = 1001,
    kBtnRestore = 1002,
    kBtnMinimize = 1003,
    kBtnFullScreen = 1004,
    kBtnBossKey = 1005,
    kBtnSelectServer = 1007,
    kBtnMaximize = 1008,
    kBtnRefresh = 1021,
    kBtnClearCache = 1030,
};

struct TitleButtonSpec {
    int id;
    int xFromRight;  // x = client right - this
    int width, height;
    unsigned normal, hover, pressed;  // PNG ids
    const char* toolTip;              // nullptr: none
};
inline constexpr int kTitleButtonY = 3;
extern const std::array<TitleButtonSpec, 9> kTitleButtons;

struct ButtonPlace {
    int id;
    Rect rect;
    bool operator==(const ButtonPlace&) const = default;
};
// The nine buttons' rectangles for a client area whose right edge is `clientRight`.
std::vector<ButtonPlace> LayoutTitleButtons(int clientRight);

// Title-bar painting.
inline constexpr unsigned kTitleLeftPng = 203, kTitleMiddlePng = 172, kTitleRightPng = 206;
inline constexpr const char* kTitleFontFamily = "微软雅黑";
inline constexpr int kTitleFontPixels = 14;
inline constexpr Argb kTitleTextColour = 0xFFFFF3CD;
inline constexpr int kTitleTextGap = 5;  // after the left picture
inline constexpr int kTitleTextY = 4;

// Where a maximised frame goes: the work area's size, moved past a taskbar at the top or
// at the left. `taskbar` is nullopt when there is none.
Rect WorkAreaPlacement(const std::optional<Rect>& taskbar, const Rect& workArea);

// The restored frame: 1000 x 700, centred.
inline constexpr int kRestoredWidth = 1000, kRestoredHeight = 700;
inline constexpr int kMinTrackSize = 400;
inline constexpr unsigned kRestoreFitTimer = 102;
inline constexpr unsigned kRestoreFitDelayMs = 10;

// "\"%s\" -frameWnd=%ld -gameurl=%s" with the program path cut to 1023 UTF-16 units and
// the whole line cut to 1023 units, as the two 1024-unit buffers hold them.
inline constexpr std::size_t kCommandLineUnits = 1023;
std::string FormatGameCommandLine(std::string_view programPath, WindowId frame, std::string_view gameUrl);

}  // namespace xh
