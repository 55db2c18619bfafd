#include "linux/controls_notice_overlay.h"

#include "linux/controls_drawing.h"
#include "linux/controls_pictures.h"
#include "platform/ports.h"

namespace xh::linuxport {

CMenbanDlg::~CMenbanDlg() {
    m_timer.Stop();
    if (m_window) gtk_widget_destroy(m_window);
}

void CMenbanDlg::Create(GtkWindow* owner) {
    // The pictures load once and stay.
    LoadPngImage(kNoticeTint);
    for (unsigned id : kNoticeFrames) LoadPngImage(id);
    m_logic.Init();

    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(m_window);
    gtk_window_set_title(window, "xinghe-notice");
    gtk_window_set_decorated(window, FALSE);
    gtk_window_set_skip_taskbar_hint(window, TRUE);
    gtk_window_set_skip_pager_hint(window, TRUE);
    gtk_window_set_accept_focus(window, FALSE);
    gtk_window_set_focus_on_map(window, FALSE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_UTILITY);
    if (owner) gtk_window_set_transient_for(window, owner);
    gtk_widget_set_app_paintable(m_window, TRUE);
    g_signal_connect(m_window, "draw", G_CALLBACK(&CMenbanDlg::OnDraw), this);
    gtk_widget_realize(m_window);
    // The whole window at 229/255, where a compositor can blend it.
    gtk_widget_set_opacity(m_window, kNoticeWindowAlpha / 255.0);
}

bool CMenbanDlg::Translucent() const {
    return m_window && gdk_screen_is_composited(gtk_widget_get_screen(m_window));
}

PixelSize CMenbanDlg::ClientSize() {
    if (!m_window) return {};
    if (gtk_widget_get_realized(m_window) && m_size.width > 0) return m_size;
    int w = 0, h = 0;
    gtk_window_get_size(GTK_WINDOW(m_window), &w, &h);
    return {w, h};
}

PixelSize CMenbanDlg::PictureSize(unsigned id) {
    GdkPixbuf* picture = LoadPngImage(id);
    if (!picture) return {};
    return {gdk_pixbuf_get_width(picture), gdk_pixbuf_get_height(picture)};
}

void CMenbanDlg::RepaintNow(const PixelRect& r) {
    if (m_window) gtk_widget_queue_draw_area(m_window, r.x, r.y, r.width, r.height);
}

void CMenbanDlg::PlaceOver(const PixelRect& screenRect) {
    m_size = {screenRect.width, screenRect.height};
    gtk_window_move(GTK_WINDOW(m_window), screenRect.x, screenRect.y);
    gtk_window_resize(GTK_WINDOW(m_window), screenRect.width, screenRect.height);
    gtk_widget_set_size_request(m_window, screenRect.width, screenRect.height);
}

void CMenbanDlg::StartTimer(unsigned id, unsigned intervalMs) {
    m_timer.Start(intervalMs, [this, id] {
        m_logic.OnTimer(id);
        return true;
    });
}

void CMenbanDlg::StopTimer(unsigned) { m_timer.Stop(); }

void CMenbanDlg::SetVisible(bool visible) {
    if (!m_window) return;
    if (visible) {
        gtk_widget_show(m_window);
    } else {
        gtk_widget_hide(m_window);
    }
}

void CMenbanDlg::Paint(cairo_t* cr) {
    const PixelSize client = ClientSize();
    const NoticeLayout layout = m_logic.Layout();
    // White first: the tint's alpha then gives the same grey as on the platform.
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    FillTiled(cr, LoadPngImage(kNoticeTint), {0, 0, client.width, client.height});
    DrawPicture(cr, LoadPngImage(m_logic.CurrentPicture()), layout.picture.x, layout.picture.y);
    const std::string notice = ports().strings ? ports().strings->Load(kNoticeTextId) : std::string();
    DrawLayoutText(cr, notice, layout.textStyle, layout.text);
}

gboolean CMenbanDlg::OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self) {
    auto* overlay = static_cast<CMenbanDlg*>(self);
    const int w = gtk_widget_get_allocated_width(widget), h = gtk_widget_get_allocated_height(widget);
    overlay->m_size = {w, h};
    PaintOffscreen(cr, w, h, [overlay](cairo_t* memory) { overlay->Paint(memory); });
    return TRUE;
}

}  // namespace xh::linuxport
