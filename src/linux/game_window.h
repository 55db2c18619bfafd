#pragma once
// The game host's window on Linux: a GTK window that makes itself an X11 child of the
// frame window of the launcher process, with the game page in WebKitGTK filling it.
#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "game/game_window.h"
#include "linux/x11_windows.h"

namespace xh::linuxport {

class LinuxGameWindow final : public IGameWindowView {
public:
    LinuxGameWindow();
    ~LinuxGameWindow() override;
    LinuxGameWindow(const LinuxGameWindow&) = delete;
    LinuxGameWindow& operator=(const LinuxGameWindow&) = delete;

    // Construction, initialisation and showing, as the application object does them.
    void Create(CGameWndDlg& dialog);

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

    int ExitCode() const { return m_exitCode; }
    CGameWndDlg* Dialog() const { return m_dialog; }

private:
    static GdkFilterReturn OnXEvent(GdkXEvent* xevent, GdkEvent*, gpointer self);
    static void OnEvent(GdkEvent* event, gpointer self);
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);

    GtkWindow* m_window = nullptr;
    GtkWidget* m_fixed = nullptr;
    CGameWndDlg* m_dialog = nullptr;
    Rect m_rect;  // in the parent's client coordinates
    Window m_parent = 0;
    int m_exitCode = 0;
};

// Game-host mode: true when the caller should run the message loop.
bool CreateGameWindow(WindowId frame, const std::string& gameUrl);
// The loop of the game host; its exit code.
int RunGameMessageLoop();

}  // namespace xh::linuxport
