#pragma once
// The frame's features gathered for its message map: tray icon and menu, hotkeys and view
// modes, cache cleaning and the two prompts. The backend's frame window routes to it what
// CVidave_ZqDlg itself does not handle.
#include <string>

#include "frame/cache_cleaning.h"
#include "frame/feature_window.h"
#include "frame/tray_icon.h"
#include "frame/view_modes.h"

namespace xh {

class CVidave_ZqDlg;
class IFrameView;

struct FeaturePorts {
    ITrayShell& tray;
    IHotKeys& hotKeys;
    CacheCleaningPorts cache;
};

class FrameFeatures {
public:
    FrameFeatures(CVidave_ZqDlg& frame, IFrameView& view, IFeatureWindow& window, FrameModeFlags flags,
                  FeaturePorts ports);

    // OnInitDialog's steps 8 and 13.
    void AddTrayIcon(const std::string& tip);
    void RegisterHotKeys() { m_modes.RegisterHotKeys(m_ports.hotKeys); }

    // WM_COMMAND: true when a feature handles the command.
    bool OnCommand(int id);
    void OnHotKey(int id) { m_modes.OnHotKey(id); }
    void OnTrayNotify(TrayMouse mouse) { xh::OnTrayNotify(m_window, mouse); }
    // SC_CLOSE: the exit prompt; the system's default processing (WM_CLOSE, then IDCANCEL)
    // follows whatever the answer.
    void OnSysClose() { PromptExit(); }
    static FrameKeyRoute PreTranslateKeyDown(FrameKey key) { return ViewModes::PreTranslateKeyDown(key); }

    void PromptExit();
    void PromptReselectServer();
    // Commands 1030 and ID_TRAY_CLEARCACHE; ID_CACHE_CLEANED.
    void OnClearCache();
    void OnCacheCleaned() { m_window.HideNoticeOverlay(); }

    TrayIcon& Tray() { return m_tray; }
    ViewModes& Modes() { return m_modes; }

private:
    IFrameView& m_view;
    IFeatureWindow& m_window;
    FrameModeFlags m_flags;
    FeaturePorts m_ports;
    TrayIcon m_tray;
    ViewModes m_modes;
};

}  // namespace xh
