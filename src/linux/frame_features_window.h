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

namespace xh::linuxport {

class LinuxFrameFeatures final : public IFeatureWindow {
public:
    // `command` is the frame's WM_COMMAND routing; `endDialog` ends its modal run.
    LinuxFrameFeatures(GtkWindow* frame, CVidave_ZqDlg& dialog, IFrameView& view, FrameModeFlags flags,
                       std::function<void(int)> command, std::function<void()> endDialog);
    ~LinuxFrameFeatures() override;
    LinuxFrameFeatures(const LinuxFrameFeatures&) = delete;
    LinuxFrameFeatures& operator=(const LinuxFrameFeatures&) = delete;

    FrameFeatures& Features() { return *m_features; }
    void CreateNoticeOverlay();
    StatusIconTray& Tray() { return m_tray; }
    X11HotKeys& HotKeys() { return m_hotKeys; }

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
    void EndDialog() override { m_endDialog(); }

private:
    static gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer self);

    GtkWindow* m_frame;
    IFrameView& m_view;
    std::function<void(int)> m_command;
    std::function<void()> m_endDialog;
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
