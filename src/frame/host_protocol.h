#pragma once
// What the frame window and the game host of the other process agree on: the window
// handle as a number, the private messages and where the game window sits in the frame.
#include <cstdint>

#include "platform/geometry.h"

namespace xh {

// A window as both processes name it: an HWND on Windows, an X11 window id on Linux.
// 0 is "none". The command line carries it as a signed 32-bit decimal.
using WindowId = std::int32_t;

inline constexpr unsigned kWmUser = 0x0400;
inline constexpr unsigned kWmClose = 0x0010;
inline constexpr unsigned WM_GAMEWND_ATTACHED = kWmUser + 2001;  // game -> frame, sent, wParam: game window
inline constexpr unsigned WM_GAMEWND_RELOAD = kWmUser + 2002;    // frame -> game, posted
inline constexpr unsigned WM_GAMEWND_FIT = kWmUser + 2003;       // frame -> game, sent, wParam: fullscreen

// Every placement of the game window and every title-bar repaint uses this height.
inline constexpr int kTitleBarHeight = 30;

// The game window's rectangle in the frame's client coordinates.
inline Rect GameWindowRect(const Rect& frameClient, bool fullScreen) {
    Rect r = frameClient;
    if (!fullScreen) r.top += kTitleBarHeight;
    return r;
}

}  // namespace xh
