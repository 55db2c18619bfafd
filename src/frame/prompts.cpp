#include "frame/prompts.h"

#include <optional>

#include "controls/control_types.h"
#include "frame/frame_dialog.h"
#include "frame/tray_icon.h"
#include "platform/ports.h"

namespace xh {
namespace {

bool Confirmed(const char* title, const char* message) {
    return ports().prompt && ports().prompt->Ask(title, message) == kIdOk;
}

void CloseGameWindow(const PromptContext& c) {
    if (!c.gameWnd) return;
    c.view.SendToGame(c.gameWnd, kWmClose, 0);
    ports().clock->SleepMillis(kGameCloseWaitMs);
}

}  // namespace

void PromptExit(const PromptContext& c) {
    if (!Confirmed(kExitPromptTitle, kExitPromptMessage)) return;
    c.tray.RemoveTrayIcon();
    CloseGameWindow(c);
    c.window.EndDialog();
}

void PromptReselectServer(const PromptContext& c) {
    if (!Confirmed(kReselectPromptTitle, kReselectPromptMessage)) return;
    c.window.Hide();
    CloseGameWindow(c);
    // No command line: the new process gets the bare path, the normal mode. If it does not
    // start, this launcher still ends.
    ports().starter->Start(ports().process->ModulePath(), std::nullopt);
    c.window.EndDialog();
}

}  // namespace xh
