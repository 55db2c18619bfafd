#pragma once
// CCustomMessageBox for GTK: the skinned modal question box.
#include <gtk/gtk.h>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "controls/message_box.h"
#include "linux/controls_touch_button.h"

namespace xh::linuxport {

class CCustomMessageBox {
public:
    CCustomMessageBox() = default;
    ~CCustomMessageBox();
    CCustomMessageBox(const CCustomMessageBox&) = delete;
    CCustomMessageBox& operator=(const CCustomMessageBox&) = delete;

    void SetText(const std::string& title, const std::string& message) { m_logic.SetText(title, message); }

    // Shows the box centred over `owner` (the screen without one) and runs it until a button,
    // Enter or Escape ends it: kIdOk or kIdCancel.
    int DoModal(GtkWindow* owner = nullptr);

    // While DoModal runs (tests): the window and the buttons (close, OK, Cancel).
    GtkWidget* Window() const { return m_window; }
    const CTouchButton& Button(int id) const;

private:
    void PaintBackground(cairo_t* cr);
    void End(int result);

    static gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer self);
    static gboolean OnPress(GtkWidget*, GdkEventButton* event, gpointer self);
    static gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer self);
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);

    MessageBoxLogic m_logic;
    GtkWidget* m_window = nullptr;
    GdkPixbuf* m_background = nullptr;  // picture 304, kept by LoadPngImage
    std::array<std::unique_ptr<CTouchButton>, 3> m_buttons;  // close, OK, Cancel; while shown
    GMainLoop* m_loop = nullptr;
    std::optional<int> m_result;
};

}  // namespace xh::linuxport
