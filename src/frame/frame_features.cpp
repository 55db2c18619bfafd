#include "frame/frame_features.h"

#include "frame/frame_dialog.h"
#include "frame/prompts.h"

namespace xh {

FrameFeatures::FrameFeatures(CVidave_ZqDlg& frame, IFrameView& view, IFeatureWindow& window, FrameModeFlags flags,
                             FeaturePorts ports)
    : m_view(view),
      m_window(window),
      m_flags(flags),
      m_ports(std::move(ports)),
      m_tray(m_ports.tray),
      m_modes(frame, view, window, flags) {}

void FrameFeatures::AddTrayIcon(const std::string& tip) {
    m_tray.AddTrayIcon(tip, m_view.Handle(), kTrayIconResource);
}

bool FrameFeatures::OnCommand(int id) {
    switch (id) {
        case kIdCancelCommand: m_modes.OnCancel(); return true;
        case kBtnFullScreen: m_modes.EnterFullScreen(true); return true;
        case kBtnBossKey: m_modes.OnBossKeyButton(); return true;
        case kBtnClearCache:
        case ID_TRAY_CLEARCACHE: OnClearCache(); return true;
        case kBtnSelectServer: PromptReselectServer(); return true;
        case kBtnClose:
        case ID_TRAY_EXIT: PromptExit(); return true;
        case ID_TRAY_SHOWHIDE: OnTrayShowHide(m_window); return true;
        case ID_ACCEL_F5: return true;  // F5 is used up in the frame; the game page has its own
        case ID_CACHE_CLEANED: OnCacheCleaned(); return true;
        default: return false;
    }
}

void FrameFeatures::PromptExit() { xh::PromptExit({m_view, m_window, m_tray, m_flags.gameWnd}); }

void FrameFeatures::PromptReselectServer() { xh::PromptReselectServer({m_view, m_window, m_tray, m_flags.gameWnd}); }

void FrameFeatures::OnClearCache() {
    m_window.ShowNoticeOverlay(m_window.ScreenRect());
    // The worker shares nothing with this thread but the frame; it reports back with a
    // synchronous command, so the overlay is hidden here before it ends.
    const CacheCleaningPorts cache = m_ports.cache;
    IFeatureWindow& window = m_window;
    const WindowId game = m_flags.gameWnd;
    m_window.StartWorker([cache, &window, game] {
        CacheCleanPasses(cache, game);
        window.SendCommand(ID_CACHE_CLEANED);
    });
}

}  // namespace xh
