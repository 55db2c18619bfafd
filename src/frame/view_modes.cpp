#include "frame/view_modes.h"

#include "frame/frame_dialog.h"
#include "settings/hotkey_codec.h"
#include "settings/settings.h"

namespace xh {

void ViewModes::RegisterHotKeys(IHotKeys& hotKeys) {
    const CHotKeyCodec codec;
    const std::pair<const char*, int> keys[] = {{kBossKeySetting, kBossKeyHotKey},
                                                {kFullScreenSetting, kFullScreenHotKey}};
    for (const auto& [setting, id] : keys) {
        const std::string text = ReadSetting(kHotKeySection, setting, kMissingHotKeyText);
        // A key present with an empty value means no hotkey at all.
        if (text.empty()) continue;
        hotKeys.Unregister(id);
        std::uint32_t modifiers = 0, keyCode = 0;
        codec.ParseHotKey(text, modifiers, keyCode);
        hotKeys.Register(id, modifiers, keyCode);
    }
}

void ViewModes::OnHotKey(int id) {
    if (id == kBossKeyHotKey) {
        OnBossKey();
    } else if (id == kFullScreenHotKey) {
        if (!m_window.IsTopParentActive()) return;
        if (m_flags.fullScreen) {
            LeaveFullScreen(false);
        } else {
            EnterFullScreen(false);
        }
    }
}

void ViewModes::OnBossKey() {
    if (m_flags.minimizedByButton) {
        // Minimised by its own button: back in the layout it had, in front.
        m_window.Show();
        if (m_flags.maximized) {
            m_frame.OnMaximize();
        } else {
            m_frame.OnRestore();
        }
        m_window.SetForeground();
        return;
    }
    // A frame minimised from the taskbar counts as visible.
    if (m_window.IsVisible()) {
        m_window.Hide();
    } else {
        m_window.Show();
    }
}

void ViewModes::EnterFullScreen(bool fromButton) {
    if (fromButton) m_flags.minimizedByButton = 0;
    m_flags.fullScreen = true;
    m_view.SendSysCommand(SysCommand::Maximize);
    m_window.CoverScreen(m_window.PrimaryScreen());
    if (m_flags.gameWnd) m_view.SendToGame(m_flags.gameWnd, WM_GAMEWND_FIT, 1);
    m_frame.ShowTitleButtons(false);
    m_window.UpdateWindow();
}

void ViewModes::LeaveFullScreen(bool fromCancel) {
    m_flags.fullScreen = false;
    m_window.UncoverScreen();
    m_view.SendSysCommand(SysCommand::Maximize);
    m_flags.maximized = true;
    m_frame.FitToWorkArea();
    m_frame.LayoutTitleButtons();
    m_frame.ShowTitleButtons(true);
    m_view.ShowButton(kBtnMaximize, false);
    m_view.ShowButton(kBtnRestore, true);
    if (fromCancel) {
        Rect strip = m_view.ClientRect();
        strip.bottom = strip.top + kTitleBarHeight;
        m_view.Invalidate(strip, true);
    }
}

void ViewModes::OnCancel() {
    if (m_flags.fullScreen) LeaveFullScreen(true);
}

void ViewModes::OnBossKeyButton() { m_window.Hide(); }

FrameKeyRoute ViewModes::PreTranslateKeyDown(FrameKey key) {
    switch (key) {
        case FrameKey::Enter:
        case FrameKey::Escape: return FrameKeyRoute::Skip;
        case FrameKey::F5: return FrameKeyRoute::Consumed;
        case FrameKey::Other: return FrameKeyRoute::Default;
    }
    return FrameKeyRoute::Default;
}

}  // namespace xh
