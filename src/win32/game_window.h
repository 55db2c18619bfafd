#pragma once
// The game host's window on Windows: dialog 328 as a child of the frame window of the
// launcher process, with the game page view filling it.
#include "win32/windows_api.h"

#include <memory>
#include <string>

#include "game/game_window.h"

namespace xh::win32 {

class Win32GameWindow final : public IGameWindowView {
public:
    Win32GameWindow() = default;
    ~Win32GameWindow() override;
    Win32GameWindow(const Win32GameWindow&) = delete;
    Win32GameWindow& operator=(const Win32GameWindow&) = delete;

    // Create from template 328 with the frame as parent, then show.
    bool Create(CGameWndDlg& dialog, WindowId frame);
    HWND GetSafeHwnd() const { return m_hWnd; }
    // The dialog's pre-translation of a message of the loop; true when it was used up.
    bool PreTranslateMessage(MSG& msg);

    WindowId Handle() override;
    std::unique_ptr<IHtmlBrowser> MakeBrowser() override;
    std::optional<Rect> FrameClientRect(WindowId frame) override;
    void MoveWindow(const Rect& rect, bool repaint) override;
    Rect ClientRect() override;
    void SetParent(WindowId frame) override;
    void SendToFrame(WindowId frame, unsigned message, long wParam) override;
    bool IsVisible() override;
    void Show() override;
    void PostQuit(int code) override;
    void StartWatchdog() override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    CGameWndDlg* m_dialog = nullptr;
};

// Game-host mode: true when the caller should run the message loop.
bool CreateGameWindow(WindowId frame, const std::string& gameUrl);
// The loop of the game host, with the game window's pre-translation; its exit code.
int RunGameMessageLoop();

}  // namespace xh::win32
