#include "frame/tray_icon.h"

#include "app/utf.h"

namespace xh {

void TrayIcon::AddTrayIcon(const std::string& tip, WindowId window, unsigned icon) {
    m_nid = {};
    m_nid.cbSize = kNotifyIconDataSize;
    m_nid.hWnd = window;
    m_nid.uID = 0;
    m_nid.uFlags = kNifMessage | kNifIcon | kNifTip;
    m_nid.uCallbackMessage = WM_TRAYNOTIFY;
    m_nid.hIcon = icon;
    m_nid.szTip = TruncateUtf16(tip, kTrayTipUnits - 1);
    m_shell.Add(m_nid);
    m_added = true;
}

void TrayIcon::RemoveTrayIcon() {
    if (!m_added) return;
    m_shell.Delete(m_nid);
    m_added = false;
}

void OnTrayNotify(IFeatureWindow& window, TrayMouse mouse) {
    switch (mouse) {
        case TrayMouse::LButtonDown:
            window.Show();
            window.SetForeground();
            break;
        case TrayMouse::RButtonUp: {
            const Point cursor = window.CursorPos();
            // Foreground first, so that the menu closes when the player clicks elsewhere.
            window.SetForeground();
            window.TrackTrayMenu({cursor.x - kTrayMenuLeftOfCursor, cursor.y});
            break;
        }
        case TrayMouse::Other: break;
    }
}

void OnTrayShowHide(IFeatureWindow& window) {
    if (window.IsVisible()) {
        window.Hide();
    } else {
        window.Show();
    }
}

}  // namespace xh
