#pragma once
// CMenbanDlg for GTK: the dark veil with the cleaning notice over the frame window.
#include <gtk/gtk.h>

#include <array>

#include "controls/notice_overlay.h"
#include "linux/controls_tooltip.h"

namespace xh::linuxport {

class CMenbanDlg final : private INoticeOverlayView {
public:
    CMenbanDlg() = default;
    ~CMenbanDlg() override;
    CMenbanDlg(const CMenbanDlg&) = delete;
    CMenbanDlg& operator=(const CMenbanDlg&) = delete;

    // Creates the hidden overlay, owned by `owner`.
    void Create(GtkWindow* owner);
    // Covers the screen rectangle (the frame window's) and animates; stops and hides. A new
    // showing continues the animation where the last one stopped.
    void ShowOver(const PixelRect& screenRect) { m_logic.Show(screenRect); }
    void Hide() { m_logic.Hide(); }

    // The timer's handler (timer 5000 advances the animation), and stopping that timer
    // without hiding, as the platform's KillTimer does.
    void OnTimer(unsigned id) { m_logic.OnTimer(id); }
    void PauseAnimation() { StopTimer(kNoticeTimerId); }

    GtkWidget* Window() const { return m_window; }
    unsigned CurrentPicture() const { return m_logic.CurrentPicture(); }
    // Translucent only where a compositor blends windows.
    bool Translucent() const;

private:
    PixelSize ClientSize() override;
    PixelSize PictureSize(unsigned id) override;
    void RepaintNow(const PixelRect& rect) override;
    void PlaceOver(const PixelRect& screenRect) override;
    void StartTimer(unsigned id, unsigned intervalMs) override;
    void StopTimer(unsigned id) override;
    void SetVisible(bool visible) override;

    void Paint(cairo_t* cr);
    static gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer self);

    NoticeOverlayLogic m_logic{*this};
    GtkWidget* m_window = nullptr;
    PixelSize m_size;
    ScopedTimeout m_timer;
};

}  // namespace xh::linuxport
