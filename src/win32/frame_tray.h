#pragma once
// The tray icon on Windows: Shell_NotifyIconW with the frame's NOTIFYICONDATAW, and menu
// 151 tracked at a point.
#include "win32/windows_api.h"

#include <shellapi.h>

#include "frame/tray_icon.h"

namespace xh::win32 {

// NOTIFYICONDATAW as AddTrayIcon fills it.
NOTIFYICONDATAW ToNotifyIconData(const NotifyIconData& nid);

class ShellTray final : public ITrayShell {
public:
    ~ShellTray() override;
    bool Add(const NotifyIconData& nid) override;
    bool Delete(const NotifyIconData& nid) override;

private:
    HICON m_icon = nullptr;
};

// Menu 151's first pop-up at `at`, owned by `owner`; the item chosen arrives as WM_COMMAND.
void TrackTrayMenu(HWND owner, const Point& at);

}  // namespace xh::win32
