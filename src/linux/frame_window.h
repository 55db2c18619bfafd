#pragma once
// The frame window of the Linux backend: an undecorated GTK window whose X11 window id is
// the frame's handle, with the title bar drawn from the pictures and the game host's
// window living inside it as an X11 child of another process.
#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <string>

#include "frame/frame_dialog.h"
#include "linux/controls_touch_button.h"
#include "linux/x11_windows.h"

namespace xh::linuxport {

class LinuxFrameWindow : public IFrameView {
public:
    LinuxFrameWindow();
    ~LinuxFrameWindow() override;
    LinuxFrameWindow(const LinuxFrameWindow&) = delete;
    LinuxFrameWindow& operator=(const LinuxFrameWindow&) = delete;

    // Runs the frame until EndDialog.
    void DoModal(CVidave_ZqDlg& dialog);
    void EndDialog();

    WindowId Handle() override;
    void SetTitle(const std::string& title) override;
    void RemoveCaption() override;
    void AddMinimizeBox() override {}
    void SetWindowRect(const Rect& rect) override;
    Rect ClientRect() override;
    void CenterOnScreen() override;
    void SendSysCommand(SysCommand command) override;
    bool IsZoomed() override;
    void PlaceButton(int id, const Rect& rect) override;
    void ShowButton(int id, bool visible) override;
    void SetButtonImages(int id, unsigned normal, unsigned hover, unsigned pressed) override;
    void SetButtonToolTip(int id, const std::string& text) override;
    bool LoadTitlePictures() override;
    void Invalidate(const Rect& rect, bool erase) override;
    void SetBigIcon() override;
    std::optional<Rect> TaskbarRect() override;
    Rect WorkArea() override;
    void SendToGame(WindowId game, unsigned message, long wParam) override;
    void PostToGame(WindowId game, unsigned message, long wParam) override;
    void SetTimer(unsigned id, unsigned ms) override;
    void KillTimer(unsigned id) override;
    void BeginDrag() override;

    GtkWindow* Window() const { return m_window; }

protected:
    CVidave_ZqDlg* Dialog() { return m_dialog; }
    // WM_COMMAND from the title-bar buttons; what the frame does not handle is dropped.
    virtual void OnCommand(int id);
    // The window manager's close (Alt+F4, the taskbar): SC_CLOSE.
    virtual void OnSysClose();
    // Keys that reach the frame's own window; true when used up.
    virtual bool OnKeyPress(const GdkEventKey& /*event*/) { return false; }

private:
    void DrawTitleBar(cairo_t* cr, int width);
    CTouchButton& Button(int id);

    static gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer self);
    static gboolean OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer self);
    static gboolean OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer self);
    static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self);
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer self);
    static GdkFilterReturn OnXEvent(GdkXEvent* xevent, GdkEvent*, gpointer self);

    GtkWindow* m_window = nullptr;
    GtkWidget* m_fixed = nullptr;
    std::map<int, std::unique_ptr<CTouchButton>> m_buttons;
    std::map<int, Rect> m_places;
    GdkPixbuf* m_pTitleLeft = nullptr;
    GdkPixbuf* m_pTitleMiddle = nullptr;
    GdkPixbuf* m_pTitleRight = nullptr;
    CVidave_ZqDlg* m_dialog = nullptr;
    Rect m_rect{0, 0, kRestoredWidth, kRestoredHeight};  // last known screen rectangle
    Rect m_restoredRect = m_rect;                         // the last one while restored
    int m_laidOutWidth = -1, m_laidOutHeight = -1;        // the size the title bar was laid out for
    GdkWindowState m_state = GdkWindowState(0);
    std::map<unsigned, guint> m_timers;
    GdkEventButton m_lastPress{};
    bool m_running = false;
    bool m_ended = false;
};

// Normal mode on Linux: the frame with its login, then its game host.
void RunFrameWindow();

// Starts "<path>" as the game host so that its argv joined with spaces is exactly the
// command line; the child is not waited for.
bool StartGameProcess(WindowId frame, const std::string& gameUrl);

}  // namespace xh::linuxport
