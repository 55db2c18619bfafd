#pragma once
// The frame's features on Windows: the frame window with its tray icon, hotkeys, notice
// overlay, cleaning worker and prompts.
#include "win32/windows_api.h"

#include <memory>

#include "frame/frame_features.h"
#include "win32/controls_notice_overlay.h"
#include "win32/frame_cache.h"
#include "win32/frame_hotkeys.h"
#include "win32/frame_tray.h"
#include "win32/frame_window.h"

namespace xh::win32 {

class Win32FeatureFrameWindow final : public Win32FrameWindow, public IFeatureWindow {
public:
    Win32FeatureFrameWindow();
    ~Win32FeatureFrameWindow() override;

    // Before DoModal or Create: the features of the dialog this window runs.
    void Attach(CVidave_ZqDlg& dialog, FrameModeFlags flags);
    FrameFeatures* Features() { return m_features.get(); }

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
    void UncoverScreen() override {}
    void UpdateWindow() override;
    Point CursorPos() override;
    void TrackTrayMenu(const Point& at) override;
    void ShowNoticeOverlay(const Rect& screen) override;
    void HideNoticeOverlay() override;
    void StartWorker(std::function<void()> work) override;
    void SendCommand(int id) override;
    void EndDialog() override { Win32FrameWindow::EndDialog(); }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG& msg) override;

private:
    ShellTray m_tray;
    WindowHotKeys m_hotKeys{nullptr};
    Win32CacheFolder m_cacheFolder;
    CMenbanDlg m_overlay;
    HACCEL m_hAccel = nullptr;
    std::unique_ptr<FrameFeatures> m_features;
};

}  // namespace xh::win32
