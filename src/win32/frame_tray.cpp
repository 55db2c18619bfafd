#include "win32/frame_tray.h"

#include <shellapi.h>

#include <algorithm>

#include "win32/wide.h"

namespace xh::win32 {

static_assert(sizeof(NOTIFYICONDATAW) == kNotifyIconDataSize, "the full structure, as the frame fills it");

NOTIFYICONDATAW ToNotifyIconData(const NotifyIconData& nid) {
    NOTIFYICONDATAW data{};
    data.cbSize = nid.cbSize;
    data.hWnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(nid.hWnd));
    data.uID = nid.uID;
    data.uFlags = nid.uFlags;
    data.uCallbackMessage = nid.uCallbackMessage;
    const std::wstring tip = Widen(nid.szTip);
    const std::size_t units = std::min(tip.size(), std::size(data.szTip) - 1);
    std::copy_n(tip.begin(), units, data.szTip);
    return data;
}

ShellTray::~ShellTray() {
    if (m_icon) ::DestroyIcon(m_icon);
}

bool ShellTray::Add(const NotifyIconData& nid) {
    NOTIFYICONDATAW data = ToNotifyIconData(nid);
    if (!m_icon) {
        m_icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nid.hIcon), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
    }
    data.hIcon = m_icon;
    return ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

bool ShellTray::Delete(const NotifyIconData& nid) {
    NOTIFYICONDATAW data = ToNotifyIconData(nid);
    data.hIcon = m_icon;
    return ::Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

void TrackTrayMenu(HWND owner, const Point& at) {
    HMENU menu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kTrayMenuResource));
    if (!menu) return;
    if (HMENU popup = ::GetSubMenu(menu, 0)) {
        ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    }
    ::DestroyMenu(menu);
}

}  // namespace xh::win32
