#pragma once
// CVidave_ZqDlg, the launcher's main window, apart from any window system: its start-up,
// the title bar's buttons and painting rules, the maximised and restored states and the
// game host it starts. The backend's window translates its events into these handlers and
// carries out what IFrameView asks.
#include <functional>
#include <optional>
#include <string>

#include "controls/control_types.h"
#include "frame/frame_layout.h"
#include "frame/host_protocol.h"
#include "frame/view_modes.h"

namespace xh {

enum class SysCommand { Maximize, Restore, Minimize, Close };

class IFrameView {
public:
    virtual ~IFrameView() = default;

    virtual WindowId Handle() = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // No system caption and border from here on.
    virtual void RemoveCaption() = 0;
    // The taskbar can minimise and restore the window.
    virtual void AddMinimizeBox() = 0;
    // Position and size in screen coordinates, z-order kept.
    virtual void SetWindowRect(const Rect& rect) = 0;
    virtual Rect ClientRect() = 0;
    virtual void CenterOnScreen() = 0;
    // The system's own window command, as if sent to the window.
    virtual void SendSysCommand(SysCommand command) = 0;
    virtual bool IsZoomed() = 0;

    virtual void PlaceButton(int id, const Rect& rect) = 0;
    virtual void ShowButton(int id, bool visible) = 0;
    virtual void SetButtonImages(int id, unsigned normal, unsigned hover, unsigned pressed) = 0;
    virtual void SetButtonToolTip(int id, const std::string& text) = 0;
    // PNGs 203, 172 and 206; false when any of them is missing.
    virtual bool LoadTitlePictures() = 0;
    virtual void Invalidate(const Rect& rect, bool erase) = 0;
    virtual void SetBigIcon() = 0;

    // The taskbar's screen rectangle; nullopt when there is no taskbar.
    virtual std::optional<Rect> TaskbarRect() = 0;
    virtual Rect WorkArea() = 0;

    // To the game window of the other process; `Send` waits until it arrived.
    virtual void SendToGame(WindowId game, unsigned message, long wParam) = 0;
    virtual void PostToGame(WindowId game, unsigned message, long wParam) = 0;

    virtual void SetTimer(unsigned id, unsigned ms) = 0;
    virtual void KillTimer(unsigned id) = 0;
    // The system moves the window with the mouse, as from a caption.
    virtual void BeginDrag() = 0;

    // The tray icon, the notice overlay and the hotkeys of the frame; nothing by default.
    virtual void AddTrayIcon(const std::string& /*tip*/) {}
    virtual void CreateNoticeOverlay() {}
    virtual void RegisterHotKeys() {}
};

struct FrameHooks {
    // Runs the login window modally; the captured game URL.
    std::function<std::string()> runLogin;
    // Creates the game host process; called on the launch thread.
    std::function<void(WindowId frame, const std::string& url)> startGameProcess;
    // Runs the function on a new thread that nobody waits for; empty: run it in place.
    std::function<void(std::function<void()>)> startThread;
};

// What the frame's message handlers leave to the system's default processing.
enum class Then { Default, Done };

class CVidave_ZqDlg {
public:
    CVidave_ZqDlg(IFrameView& view, FrameHooks hooks);

    void OnInitDialog();

    // WM_COMMAND: true when the frame handles the command.
    bool OnCommand(int id);
    void OnMaximize();
    void OnRestore();
    void OnMinimize();
    void OnRefresh();

    Then OnLButtonDblClk();
    Then OnLButtonDown();
    // WM_SYSCOMMAND from the system (taskbar, keyboard).
    Then OnSysCommand(SysCommand command);
    Then OnTimer(unsigned id);
    void OnSize();
    Then OnGameWindowAttached(WindowId game);
    PixelSize MinTrackSize() const { return {kMinTrackSize, kMinTrackSize}; }

    // Title-bar painting: whether to draw, and the text.
    bool ShouldDrawTitleBar() const { return m_bTitlePictures && !m_bFullScreen; }
    std::string TitleBarText() const { return TitleText(m_strServerName); }

    void FitToWorkArea();
    void LayoutTitleButtons();
    void ShowTitleButtons(bool visible);

    // Runs the game launch; the thread procedure of the frame's one launch thread.
    static void GameLaunchThread(const FrameHooks& hooks, WindowId frame, std::string url);

    const std::string& GameUrl() const { return m_strGameUrl; }
    const std::string& ServerName() const { return m_strServerName; }
    WindowId GameWindow() const { return m_hGameWnd; }
    bool Maximized() const { return m_bMaximized; }
    bool FullScreen() const { return m_bFullScreen; }
    bool MinimizedByButton() const { return m_bMinimizedByButton != 0; }
    // The fields the frame's features (view modes, prompts) work on.
    FrameModeFlags ModeFlags() { return {m_bFullScreen, m_bMaximized, m_bMinimizedByButton, m_hGameWnd}; }

protected:
    IFrameView& m_view;
    FrameHooks m_hooks;
    bool m_bFullScreen = false;
    bool m_bMaximized = false;
    int m_bMinimizedByButton = 0;
    bool m_bTitlePictures = false;
    WindowId m_hGameWnd = 0;
    std::string m_strGameUrl;
    std::string m_strServerName;

private:
    void InitTitleButtons();
    void InvalidateTitleBar();
    // Maximise as the button and the double click do, without touching the minimise flag.
    void MaximizeIntoWorkArea();
    void RestoreLayout();
};

}  // namespace xh
