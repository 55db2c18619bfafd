#include "linux/controls_message_box.h"

#include <gdk/gdkkeysyms.h>

#include "controls/question_box.h"
#include "linux/controls_drawing.h"

namespace xh::linuxport {

CCustomMessageBox::~CCustomMessageBox() {
    for (auto& b : m_buttons) b.reset();
    if (m_window) gtk_widget_destroy(m_window);
}

const CTouchButton& CCustomMessageBox::Button(int id) const {
    const MessageBoxLayout& l = GetMessageBoxLayout();
    if (id == l.ok.id) return *m_buttons[1];
    if (id == l.cancel.id) return *m_buttons[2];
    return *m_buttons[0];
}

int CCustomMessageBox::DoModal(GtkWindow* owner) {
    const MessageBoxLayout& l = GetMessageBoxLayout();
    m_result.reset();
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(m_window);
    gtk_window_set_title(window, m_logic.Title().c_str());
    gtk_window_set_decorated(window, FALSE);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_skip_taskbar_hint(window, owner != nullptr);
    if (owner) gtk_window_set_transient_for(window, owner);
    gtk_window_set_position(window, owner ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    gtk_window_set_default_size(window, l.size.width, l.size.height);
    gtk_widget_set_size_request(m_window, l.size.width, l.size.height);
    // The whole picture is ours: no theme background under it.
    gtk_widget_set_app_paintable(m_window, TRUE);
    gtk_widget_add_events(m_window, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
    g_signal_connect(m_window, "draw", G_CALLBACK(&CCustomMessageBox::OnDraw), this);
    g_signal_connect(m_window, "button-press-event", G_CALLBACK(&CCustomMessageBox::OnPress), this);
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(&CCustomMessageBox::OnKey), this);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(&CCustomMessageBox::OnDelete), this);

    GtkWidget* fixed = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(m_window), fixed);
    m_background = LoadPngImage(kMessageBoxBackground);
    const MessageBoxButton* places[] = {&l.close, &l.ok, &l.cancel};
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const MessageBoxButton& b = *places[i];
        // The close button reaches past the right edge: only its visible part is placed.
        PixelRect place = b.place;
        place.width = std::min(place.width, l.size.width - place.x);
        m_buttons[i] = std::make_unique<CTouchButton>();
        m_buttons[i]->Create(fixed, b.id, place, [this](cairo_t* cr) { PaintBackground(cr); },
                            [this](int id) {
                                if (const auto result = MessageBoxLogic::OnCommand(id)) End(*result);
                            });
        m_buttons[i]->SetImages(b.normal, b.hover, b.pressed);
    }

    gtk_widget_show_all(m_window);
    gtk_window_present(window);
    m_loop = g_main_loop_new(nullptr, FALSE);
    if (!m_result) g_main_loop_run(m_loop);
    g_main_loop_unref(m_loop);
    m_loop = nullptr;

    for (auto& b : m_buttons) b.reset();
    gtk_widget_destroy(m_window);
    m_window = nullptr;
    return *m_result;
}

void CCustomMessageBox::PaintBackground(cairo_t* cr) {
    const MessageBoxLayout& l = GetMessageBoxLayout();
    if (m_background) {
        DrawPicture(cr, m_background, 0, 0);
    } else {
        // Without its panel the box stays usable: a plain dark panel.
        SetSourceArgb(cr, 0xFF101838);
        cairo_paint(cr);
    }
    DrawLayoutText(cr, m_logic.Title(), l.titleStyle, l.titleRect);
    DrawLayoutText(cr, m_logic.Message(), l.messageStyle, l.messageRect);
}

void CCustomMessageBox::End(int result) {
    if (m_result) return;
    m_result = result;
    if (m_loop) g_main_loop_quit(m_loop);
}

gboolean CCustomMessageBox::OnDraw(GtkWidget*, cairo_t* cr, gpointer self) {
    auto* box = static_cast<CCustomMessageBox*>(self);
    const MessageBoxLayout& l = GetMessageBoxLayout();
    PaintOffscreen(cr, l.size.width, l.size.height, [box](cairo_t* memory) { box->PaintBackground(memory); });
    return FALSE;  // the buttons draw themselves
}

gboolean CCustomMessageBox::OnPress(GtkWidget* widget, GdkEventButton* event, gpointer) {
    // Presses on the buttons never come here; the rest of the box is its caption.
    if (event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY) return FALSE;
    if (!MessageBoxLogic::IsCaption(static_cast<int>(event->x), static_cast<int>(event->y))) return FALSE;
    gtk_window_begin_move_drag(GTK_WINDOW(widget), static_cast<gint>(event->button), static_cast<gint>(event->x_root),
                               static_cast<gint>(event->y_root), event->time);
    return TRUE;
}

gboolean CCustomMessageBox::OnKey(GtkWidget*, GdkEventKey* event, gpointer self) {
    DialogKey key = DialogKey::Other;
    if (event->keyval == GDK_KEY_Escape) key = DialogKey::Escape;
    if (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter) key = DialogKey::Enter;
    const auto result = MessageBoxLogic::OnKey(key);
    if (!result) return FALSE;
    static_cast<CCustomMessageBox*>(self)->End(*result);
    return TRUE;
}

gboolean CCustomMessageBox::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
    // A close request from the window manager is a cancel, as the platform's close is.
    static_cast<CCustomMessageBox*>(self)->End(kIdCancel);
    return TRUE;
}

}  // namespace xh::linuxport

namespace xh {

int ShowQuestionBox(const std::string& title, const std::string& message) {
    // Without a display there is nobody to ask: the question counts as declined.
    if (!gtk_init_check(nullptr, nullptr)) return kIdCancel;
    GtkWindow* owner = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* it = toplevels; it; it = it->next) {
        GtkWindow* candidate = GTK_WINDOW(it->data);
        if (gtk_window_is_active(candidate) && gtk_widget_get_visible(GTK_WIDGET(candidate))) owner = candidate;
    }
    g_list_free(toplevels);
    linuxport::CCustomMessageBox box;
    box.SetText(title, message);
    return box.DoModal(owner);
}

}  // namespace xh
