#include "frame/frame_dialog.h"

#include "app/profile.h"
#include "login/text_encoding.h"

namespace xh {

CVidave_ZqDlg::CVidave_ZqDlg(IFrameView& view, FrameHooks hooks) : m_view(view), m_hooks(std::move(hooks)) {}

void CVidave_ZqDlg::OnInitDialog() {
    m_bMinimizedByButton = 0;
    const std::string name = LoadProfileString(kIdsLauncherName);
    m_view.SetTitle(name);
    m_view.RemoveCaption();
    m_view.SetWindowRect({0, 0, kRestoredWidth, kRestoredHeight});
    m_view.AddMinimizeBox();

    // The frame is never shown before the player has logged in and picked a server.
    if (m_hooks.runLogin) m_strGameUrl = m_hooks.runLogin();
    m_strServerName = ExtractServerName(PercentDecode(m_strGameUrl));

    m_view.AddTrayIcon(name);
    InitTitleButtons();
    m_bTitlePictures = m_view.LoadTitlePictures();

    m_view.CenterOnScreen();
    MaximizeIntoWorkArea();

    m_view.CreateNoticeOverlay();
    m_view.RegisterHotKeys();

    const WindowId frame = m_view.Handle();
    const std::string url = m_strGameUrl;
    const FrameHooks hooks = m_hooks;
    auto launch = [hooks, frame, url] { GameLaunchThread(hooks, frame, url); };
    if (m_hooks.startThread) {
        m_hooks.startThread(launch);
    } else {
        launch();
    }
}

void CVidave_ZqDlg::GameLaunchThread(const FrameHooks& hooks, WindowId frame, std::string url) {
    if (hooks.startGameProcess) hooks.startGameProcess(frame, url);
}

void CVidave_ZqDlg::InitTitleButtons() {
    for (const TitleButtonSpec& b : kTitleButtons) {
        m_view.SetButtonImages(b.id, b.normal, b.hover, b.pressed);
        if (b.toolTip) m_view.SetButtonToolTip(b.id, b.toolTip);
    }
}

void CVidave_ZqDlg::InvalidateTitleBar() {
    Rect strip = m_view.ClientRect();
    strip.bottom = strip.top + kTitleBarHeight;
    m_view.Invalidate(strip, true);
}

bool CVidave_ZqDlg::OnCommand(int id) {
    switch (id) {
        case kBtnMaximize: OnMaximize(); return true;
        case kBtnRestore: OnRestore(); return true;
        case kBtnMinimize: OnMinimize(); return true;
        case kBtnRefresh: OnRefresh(); return true;
        default: return false;
    }
}

void CVidave_ZqDlg::OnMaximize() {
    m_view.SendSysCommand(SysCommand::Maximize);
    m_bMinimizedByButton = 0;
    m_bMaximized = true;
    m_view.ShowButton(kBtnMaximize, false);
    m_view.ShowButton(kBtnRestore, true);
    FitToWorkArea();
    LayoutTitleButtons();
}

void CVidave_ZqDlg::OnRestore() {
    m_bMinimizedByButton = 0;
    RestoreLayout();
}

void CVidave_ZqDlg::RestoreLayout() {
    m_bMaximized = false;
    m_view.SendSysCommand(SysCommand::Restore);
    LayoutTitleButtons();
    if (m_hGameWnd) m_view.SendToGame(m_hGameWnd, WM_GAMEWND_FIT, 0);
    m_view.ShowButton(kBtnMaximize, true);
    m_view.ShowButton(kBtnRestore, false);
    m_view.Invalidate({0, 0, kRestoredWidth, kTitleBarHeight}, true);
}

void CVidave_ZqDlg::MaximizeIntoWorkArea() {
    m_view.SendSysCommand(SysCommand::Maximize);
    m_bMaximized = true;
    FitToWorkArea();
    LayoutTitleButtons();
    m_view.ShowButton(kBtnMaximize, false);
    m_view.ShowButton(kBtnRestore, true);
    InvalidateTitleBar();
}

void CVidave_ZqDlg::OnMinimize() {
    m_bMinimizedByButton = 1;
    m_view.SendSysCommand(SysCommand::Minimize);
}

void CVidave_ZqDlg::OnRefresh() {
    if (m_hGameWnd) m_view.PostToGame(m_hGameWnd, WM_GAMEWND_RELOAD, 0);
}

Then CVidave_ZqDlg::OnLButtonDblClk() {
    if (m_view.IsZoomed()) {
        RestoreLayout();
    } else {
        MaximizeIntoWorkArea();
    }
    return Then::Default;
}

Then CVidave_ZqDlg::OnLButtonDown() {
    // A maximised frame stays where it is.
    if (!m_view.IsZoomed()) m_view.BeginDrag();
    return Then::Default;
}

Then CVidave_ZqDlg::OnSysCommand(SysCommand command) {
    // Coming back from the taskbar, a maximised frame is fitted to the work area again
    // once the system has restored it.
    if (command == SysCommand::Restore && m_bMaximized) m_view.SetTimer(kRestoreFitTimer, kRestoreFitDelayMs);
    return Then::Default;
}

Then CVidave_ZqDlg::OnTimer(unsigned id) {
    if (id == kRestoreFitTimer) {
        FitToWorkArea();
        m_view.KillTimer(kRestoreFitTimer);
    }
    return Then::Default;
}

void CVidave_ZqDlg::OnSize() {
    if (m_hGameWnd) m_view.SendToGame(m_hGameWnd, WM_GAMEWND_FIT, m_bFullScreen ? 1 : 0);
}

Then CVidave_ZqDlg::OnGameWindowAttached(WindowId game) {
    m_hGameWnd = game;
    return Then::Done;
}

void CVidave_ZqDlg::FitToWorkArea() {
    m_view.SetWindowRect(WorkAreaPlacement(m_view.TaskbarRect(), m_view.WorkArea()));
    if (m_hGameWnd) m_view.SendToGame(m_hGameWnd, WM_GAMEWND_FIT, 0);
    InvalidateTitleBar();
}

void CVidave_ZqDlg::LayoutTitleButtons() {
    for (const ButtonPlace& p : xh::LayoutTitleButtons(m_view.ClientRect().right)) m_view.PlaceButton(p.id, p.rect);
}

void CVidave_ZqDlg::ShowTitleButtons(bool visible) {
    for (const TitleButtonSpec& b : kTitleButtons) m_view.ShowButton(b.id, visible);
}

}  // namespace xh
