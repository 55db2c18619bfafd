#pragma once
// The game page view's engine on Windows: the system's web browser control, hosted in a
// child window of the game window.
#include "win32/windows_api.h"

#include <memory>

#include "game/html_view.h"

namespace xh::win32 {

std::unique_ptr<IHtmlBrowser> MakeGameBrowser(HWND gameWindow);

// The view whose events the control reports to; null once it is gone.
void AttachGameBrowser(CMyHtmlView* view);

// Lets the control see its accelerator keys (Tab, Ctrl+C, ...) first; true when it used one.
bool TranslateBrowserAccelerator(MSG& msg);

}  // namespace xh::win32
