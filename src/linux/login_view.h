#pragma once
// GTK views of the login window and its pop-up.
#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "linux/controls_touch_button.h"
#include "linux/web_view.h"
#include "login/login_window.h"

namespace xh::linuxport {

// Runs the login window modally with the update check and the first-start installation
// wired in; the captured game URL. The login's cookies are handed over for the game process.
std::string RunLoginModal();

class LinuxLoginPopupView final : public ILoginPopupView {
public:
    explicit LinuxLoginPopupView(GtkWindow* owner);
    ~LinuxLoginPopupView() override;

    void Bind(CLoginPopupDlg* presenter) { m_presenter = presenter; }
    void Initialize() override;
    std::unique_ptr<IBrowserControl> CreateBrowserControl() override;
    void MoveTo(const Rect& screenRect) override;
    bool IsVisible() const override;
    void Show() override;
    void Hide();
    // Above its owner and with the keyboard.
    void Raise();
    // Directly above its owner, without taking the keyboard.
    void StackAboveOwner();

    GtkWindow* Window() const { return m_window; }

private:
    static gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer self);
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
    void PaintBackground(cairo_t* cr) const;
    void ApplyShape();

    GtkWindow* m_owner;
    GtkWindow* m_window = nullptr;
    GtkFixed* m_fixed = nullptr;
    cairo_surface_t* m_background = nullptr;  // bitmap 318 with its pure green made transparent
    CLoginPopupDlg* m_presenter = nullptr;
    CTouchButton m_btnMinimize;
    CTouchButton m_btnClose;
};

class LinuxLoginWindow final : public ILoginWindowView {
public:
    LinuxLoginWindow();
    ~LinuxLoginWindow() override;

    // Runs the login modally; the captured game URL when it ends.
    std::string DoModal(CVidaveLogin& login);

    void SetTitle(const std::string& title) override;
    bool LoadBackground(int& width, int& height) override;
    void ApplyLayeredBackground() override;
    void CenterOnScreen() override;
    Rect ScreenRect() const override;
    void Minimize() override;
    ILoginPopupView& CreatePopupView() override;
    void EndModal(int result) override;

private:
    static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
    static gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnConfigure(GtkWidget*, GdkEventConfigure*, gpointer self);
    static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self);
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean OnFocusIn(GtkWidget*, GdkEventFocus*, gpointer self);

    GtkWindow* m_window = nullptr;
    GdkPixbuf* m_picture = nullptr;  // kept by the picture cache
    cairo_surface_t* m_surface = nullptr;
    std::unique_ptr<LinuxLoginPopupView> m_popup;
    CVidaveLogin* m_login = nullptr;
    bool m_running = false;
    bool m_ended = false;
};

}  // namespace xh::linuxport
