#pragma once
// The frame's icon in the notification area: the record, its one addition and its removal
// at most once, and what a click on it does.
#include <array>
#include <cstddef>
#include <string>

#include "frame/feature_window.h"
#include "frame/host_protocol.h"

namespace xh {

inline constexpr unsigned WM_TRAYNOTIFY = kWmUser + 1;
inline constexpr unsigned kTrayIconResource = 273;
inline constexpr unsigned kTrayMenuResource = 151;
inline constexpr int kTrayMenuLeftOfCursor = 130;

inline constexpr unsigned kNifMessage = 0x1, kNifIcon = 0x2, kNifTip = 0x4;
inline constexpr unsigned kNotifyIconDataSize = 956;  // NOTIFYICONDATAW, all of it
inline constexpr std::size_t kTrayTipUnits = 128;     // terminator included

struct TrayMenuItem {
    int command;
    const char* text;
};
inline constexpr const char* kTrayMenuTitle = "隐藏/显示(F10)";
inline constexpr std::array<TrayMenuItem, 3> kTrayMenuItems{{
    {ID_TRAY_SHOWHIDE, "隐藏/显示(F10)"},
    {ID_TRAY_CLEARCACHE, "清理缓存"},
    {ID_TRAY_EXIT, "退出"},
}};

// NOTIFYICONDATAW as the frame fills it; the icon by resource id.
struct NotifyIconData {
    unsigned cbSize = 0;
    WindowId hWnd = 0;
    unsigned uID = 0;
    unsigned uFlags = 0;
    unsigned uCallbackMessage = 0;
    unsigned hIcon = 0;
    std::string szTip;  // at most 127 UTF-16 units
};

// Shell_NotifyIconW's NIM_ADD and NIM_DELETE; true when the shell took the request.
class ITrayShell {
public:
    virtual ~ITrayShell() = default;
    virtual bool Add(const NotifyIconData& nid) = 0;
    virtual bool Delete(const NotifyIconData& nid) = 0;
};

class TrayIcon {
public:
    explicit TrayIcon(ITrayShell& shell) : m_shell(shell) {}
    // The icon goes with the record.
    ~TrayIcon() { RemoveTrayIcon(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // The shell's answer is not looked at: the frame works the same without an icon.
    void AddTrayIcon(const std::string& tip, WindowId window, unsigned icon);
    void RemoveTrayIcon();

    bool Added() const { return m_added; }
    const NotifyIconData& Data() const { return m_nid; }

private:
    ITrayShell& m_shell;
    NotifyIconData m_nid;
    bool m_added = false;
};

// The mouse messages of WM_TRAYNOTIFY that do something.
enum class TrayMouse { LButtonDown, RButtonUp, Other };

// WM_TRAYNOTIFY: a left press shows and raises the frame, a right release opens the menu
// 130 pixels left of the cursor.
void OnTrayNotify(IFeatureWindow& window, TrayMouse mouse);
// ID_TRAY_SHOWHIDE: hides a visible (or minimised) frame, shows a hidden one, no raising.
void OnTrayShowHide(IFeatureWindow& window);

}  // namespace xh
