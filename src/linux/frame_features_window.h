#pragma once
// The frame's features on Linux: what IFeatureWindow asks of the GTK frame window, the tray
// icon and menu, the root-window hotkeys, the notice overlay and the cleaning worker.
#include <gtk/gtk.h>

#include <functional>
#include <memory>

#include "frame/frame_features.h"
#include "linux/controls_notice_overlay.h"
#include "linux/frame_cache.h"
#include "linux/frame_hotkeys.h"
#include "linux/frame_tray.h"
#include "linux/frame_window.h"

namespace xh::linuxport {

class LinuxFeatureFrameWindow final : public LinuxFrameWindow, public IFeatureWindow {
public:
    LinuxFeatureFrameWindow();
    ~LinuxFeatureFrameWindow() override;
    LinuxFeatureFrameWindow(const LinuxFeatureFrameWindow&) = delete;
    LinuxFeatureFrameWindow& operator=(const LinuxFeatureFrameWindow&) = delete;

    // Before DoModal: the features of the dialog this window runs.
    void Attach(CVidave_ZqDlg& dialog, FrameModeFlags flags);
    FrameFeatures* Features() { return m_features.get(); }
    StatusIconTray& Tray() { return m_tray; }
    X11HotKeys& HotKeys() { return m_hotKeys; }

    // The frame's start-up steps that belong to the features.
    void AddTrayIcon(const std::string& tip) override;
    void CreateNoticeOverlay() override;
    void RegisterHotKeys() override;

    bool IsVisible() override;
    void Show() override;
    void Hide() override;
    void SetForeground() override;
    bool IsTopParentActive() override;
    Rect ScreenRect() override;
    Rect PrimaryScreen() override;
    void CoverScreen(const Rect& screen) override;
    void UncoverScreen() override;
    void UpdateWindow() override;
    Point CursorPos() override;
    void TrackTrayMenu(const Point& at) override;
    void ShowNoticeOverlay(const Rect& screen) override;
    void HideNoticeOverlay() override;
    void StartWorker(std::function<void()> work) override;
    void SendCommand(int id) override;
    void EndDialog() override { LinuxFrameWindow::EndDialog(); }

protected:
    // The dialog's commands first, then the features'.
    void OnCommand(int id) override;
    // SC_CLOSE: the exit prompt, then the system's WM_CLOSE, which the dialog manager turns
    // into IDCANCEL.
    void OnSysClose() override;
    bool OnKeyPress(const GdkEventKey& event) override;

private:
    static gboolean OnConfigured(GtkWidget*, GdkEventConfigure* event, gpointer self);

    GtkWindow* m_frame;
    // The size the window manager last gave the frame.
    int m_configuredWidth = 0, m_configuredHeight = 0;
    StatusIconTray m_tray;
    TrayMenu m_menu;
    X11HotKeys m_hotKeys;
    PosixCacheFolder m_cacheFolder{EngineCacheFolder()};
    CMenbanDlg m_overlay;
    bool m_overlayCreated = false;
    std::unique_ptr<FrameFeatures> m_features;
    // Commands a worker sends after this object is gone are dropped.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

}  // namespace xh::linuxport
