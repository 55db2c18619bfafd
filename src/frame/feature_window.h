#pragma once
// What the frame's features (tray icon, view modes, cache cleaning, prompts) need of the
// frame window beyond IFrameView. The backend's frame window implements it.
#include <functional>

#include "frame/host_protocol.h"
#include "platform/geometry.h"

namespace xh {

// Command identifiers of the tray menu, the accelerator and the cleaning worker.
inline constexpr int ID_TRAY_SHOWHIDE = 32775;
inline constexpr int ID_TRAY_CLEARCACHE = 32776;
inline constexpr int ID_TRAY_EXIT = 32777;
inline constexpr int ID_ACCEL_F5 = 32778;
inline constexpr int ID_CACHE_CLEANED = 10002;
inline constexpr int kIdCancelCommand = 2;  // IDCANCEL as a command

class IFeatureWindow {
public:
    virtual ~IFeatureWindow() = default;

    virtual bool IsVisible() = 0;
    virtual void Show() = 0;  // SW_SHOW: a minimised frame stays minimised
    virtual void Hide() = 0;
    virtual void SetForeground() = 0;
    // The frame is the active top-level window of the foreground.
    virtual bool IsTopParentActive() = 0;
    // The frame's rectangle in screen coordinates.
    virtual Rect ScreenRect() = 0;
    // (0, 0) and the primary screen's size.
    virtual Rect PrimaryScreen() = 0;
    // Fullscreen placement over `screen`, and the way out of it before the frame is
    // maximised again (nothing where a window is simply moved over the screen).
    virtual void CoverScreen(const Rect& screen) = 0;
    virtual void UncoverScreen() = 0;
    // Repaints what is invalid at once.
    virtual void UpdateWindow() = 0;

    virtual Point CursorPos() = 0;
    // The pop-up of menu 151 with its left edge at `at.x`; the item chosen arrives later
    // as a command.
    virtual void TrackTrayMenu(const Point& at) = 0;

    // The notice overlay: placed over `screen`, timer 5000 at 200 ms, shown; timer
    // stopped, hidden.
    virtual void ShowNoticeOverlay(const Rect& screen) = 0;
    virtual void HideNoticeOverlay() = 0;

    // Runs `work` on a new thread that nobody waits for.
    virtual void StartWorker(std::function<void()> work) = 0;
    // WM_COMMAND to the frame from any thread; returns once the frame has handled it.
    virtual void SendCommand(int id) = 0;

    // Ends the frame's modal run.
    virtual void EndDialog() = 0;
};

}  // namespace xh
