#pragma once
// CGameWndDlg, the one window of the game host process, apart from any window system:
// it holds the game page, sits inside the frame window of the launcher process below the
// title bar, follows the frame's messages and ends with it.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "frame/host_protocol.h"
#include "game/html_view.h"
#include "platform/ports.h"

namespace xh {

class IGameWindowView {
public:
    virtual ~IGameWindowView() = default;
    virtual WindowId Handle() = 0;
    // The page view's engine, not yet created.
    virtual std::unique_ptr<IHtmlBrowser> MakeBrowser() = 0;
    // The frame's client rectangle; nullopt when the frame is gone.
    virtual std::optional<Rect> FrameClientRect(WindowId frame) = 0;
    // In the parent's client coordinates.
    virtual void MoveWindow(const Rect& rect, bool repaint) = 0;
    virtual Rect ClientRect() = 0;
    // Makes the frame of the other process this window's parent.
    virtual void SetParent(WindowId frame) = 0;
    // Waits until the frame has handled it.
    virtual void SendToFrame(WindowId frame, unsigned message, long wParam) = 0;
    virtual bool IsVisible() = 0;
    virtual void Show() = 0;
    // Ends the message loop with this code.
    virtual void PostQuit(int code) = 0;
    // Starts FrameWatchdogThread on a thread of its own.
    virtual void StartWatchdog() = 0;
};

// What the game window does with a key before the page gets it.
enum class GameKey { Escape, Enter, F5, Other };
enum class KeyRoute { ToPage, Consumed, Default };

class CGameWndDlg {
public:
    CGameWndDlg(IGameWindowView& view, WindowId frame, std::string gameUrl, DebugOutput debug = {});
    ~CGameWndDlg();

    bool OnInitDialog();
    KeyRoute PreTranslateKeyDown(GameKey key);
    void OnClose();
    void OnSize();
    long OnReload();
    long OnFit(long fullScreen);

    CMyHtmlView* View() { return m_pView.get(); }
    WindowId FrameWindow() const { return m_hFrameWnd; }
    const std::string& GameUrl() const { return m_strGameUrl; }

private:
    IGameWindowView& m_view;
    std::unique_ptr<CMyHtmlView> m_pView;
    WindowId m_hFrameWnd;
    std::string m_strGameUrl;
    DebugOutput m_debug;
};

struct WatchdogActions {
    std::function<bool()> frameExists;
    std::function<void()> postClose;  // WM_CLOSE to the game window
    std::function<void()> endProcess;  // the C library's exit with 0
};
inline constexpr unsigned kWatchdogPeriodMs = 1000;

// Polls once a second until the frame is gone, closes the game window, and ends the
// process a second later even when the message loop is stuck.
void FrameWatchdogThread(IClock& clock, const WatchdogActions& actions);

}  // namespace xh
