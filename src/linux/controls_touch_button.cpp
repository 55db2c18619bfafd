#include "linux/controls_touch_button.h"

#include "controls/color_matrix.h"
#include "linux/controls_drawing.h"

namespace xh::linuxport {

namespace {
struct CursorUnref {
    void operator()(GdkCursor* c) const { g_object_unref(c); }
};
}  // namespace

CTouchButton::CTouchButton() = default;

CTouchButton::~CTouchButton() {
    m_toolTip.reset();
    if (m_widget) {
        g_signal_handlers_disconnect_by_data(m_widget, this);
        gtk_widget_destroy(m_widget);
    }
}

void CTouchButton::Create(GtkWidget* fixed, int id, const PixelRect& place, ParentPainter painter,
                          std::function<void(int)> onClick) {
    m_id = id;
    m_place = place;
    m_painter = std::move(painter);
    m_onClick = std::move(onClick);
    m_widget = gtk_drawing_area_new();
    gtk_widget_set_size_request(m_widget, place.width, place.height);
    gtk_widget_add_events(m_widget, GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK | GDK_POINTER_MOTION_MASK |
                                        GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
    g_signal_connect(m_widget, "draw", G_CALLBACK(&CTouchButton::OnDraw), this);
    g_signal_connect(m_widget, "enter-notify-event", G_CALLBACK(&CTouchButton::OnCrossing), this);
    g_signal_connect(m_widget, "leave-notify-event", G_CALLBACK(&CTouchButton::OnCrossing), this);
    g_signal_connect(m_widget, "motion-notify-event", G_CALLBACK(&CTouchButton::OnMotion), this);
    g_signal_connect(m_widget, "button-press-event", G_CALLBACK(&CTouchButton::OnButton), this);
    g_signal_connect(m_widget, "button-release-event", G_CALLBACK(&CTouchButton::OnButton), this);
    g_signal_connect(m_widget, "realize", G_CALLBACK(&CTouchButton::OnRealize), this);
    g_signal_connect(m_widget, "destroy", G_CALLBACK(&CTouchButton::OnDestroy), this);
    gtk_fixed_put(GTK_FIXED(fixed), m_widget, place.x, place.y);
}

void CTouchButton::Move(const PixelRect& place) {
    m_place = place;
    if (!m_widget) return;
    gtk_widget_set_size_request(m_widget, place.width, place.height);
    if (GtkWidget* fixed = gtk_widget_get_parent(m_widget)) gtk_fixed_move(GTK_FIXED(fixed), m_widget, place.x, place.y);
}

bool CTouchButton::LoadPicture(ButtonLook look, unsigned id) { return m_pictures[Index(look)].Load(id); }

void CTouchButton::CaptureBackground() {
    const int w = m_place.width, h = m_place.height;
    m_background.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    CairoPtr cr(cairo_create(m_background.get()));
    if (m_painter) {
        cairo_translate(cr.get(), -m_place.x, -m_place.y);
        m_painter(cr.get());
        return;
    }
    // The owner's pixels as its window shows them now.
    GtkWidget* parent = m_widget ? gtk_widget_get_parent(m_widget) : nullptr;
    GdkWindow* window = parent ? gtk_widget_get_window(parent) : nullptr;
    if (!window) return;
    PixbufPtr pixels(gdk_pixbuf_get_from_window(window, m_place.x, m_place.y, w, h));
    DrawPicture(cr.get(), pixels.get(), 0, 0);
}

void CTouchButton::ComposeLook(ButtonLook look, bool brighten) {
    const int w = m_place.width, h = m_place.height;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    CairoPtr cr(cairo_create(surface.get()));
    cairo_set_source_surface(cr.get(), m_background.get(), 0, 0);
    cairo_paint(cr.get());
    GdkPixbuf* picture = m_pictures[Index(look)].Get();
    if (picture && brighten) {
        PixbufPtr bright = RgbaCopy(picture);
        ApplyColorMatrix(kHoverMatrix, gdk_pixbuf_get_pixels(bright.get()), gdk_pixbuf_get_width(bright.get()),
                         gdk_pixbuf_get_height(bright.get()), gdk_pixbuf_get_rowstride(bright.get()));
        DrawPicture(cr.get(), bright.get(), 0, 0);
    } else {
        DrawPicture(cr.get(), picture, 0, 0);
    }
    m_looks[Index(look)] = std::move(surface);
}

bool CTouchButton::TrackMouse(unsigned hoverMs) {
    m_hoverTimer.Start(hoverMs, [this] {
        if (m_pointerInside) m_logic.OnMouseHover();
        return false;
    });
    return true;
}

void CTouchButton::Redraw() {
    if (m_widget) gtk_widget_queue_draw(m_widget);
}

void CTouchButton::CreateToolTip() {
    m_toolTip = std::make_unique<ToolTipControl>(m_widget);
    m_toolTip->Activate(true);
}

void CTouchButton::SetToolTip(const std::string& text, const ToolTipDelays& delays, bool activate) {
    m_toolTip->SetTool(text, delays);
    if (activate) m_toolTip->Activate(true);
}

void CTouchButton::UpdateToolTip() { m_toolTip->Update(); }

gboolean CTouchButton::OnDraw(GtkWidget*, cairo_t* cr, gpointer self) {
    auto* button = static_cast<CTouchButton*>(self);
    button->m_logic.Prepare();
    if (const auto look = button->m_logic.Draw(button->m_logic.Held())) {
        if (cairo_surface_t* picture = button->m_looks[Index(*look)].get()) {
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            cairo_set_source_surface(cr, picture, 0, 0);
            cairo_paint(cr);
        }
    }
    return TRUE;
}

gboolean CTouchButton::OnCrossing(GtkWidget*, GdkEventCrossing* event, gpointer self) {
    auto* button = static_cast<CTouchButton*>(self);
    // Crossings into or out of a child window of the button are not entries.
    if (event->detail == GDK_NOTIFY_INFERIOR) return FALSE;
    if (event->type == GDK_ENTER_NOTIFY) {
        button->m_pointerInside = true;
        button->m_logic.OnPointerInside(true);
        button->m_logic.OnMouseMove();
        if (button->m_toolTip) button->m_toolTip->RelayEvent(ToolTipControl::Relay::Move);
    } else {
        button->m_pointerInside = false;
        button->m_hoverTimer.Stop();
        button->m_logic.OnPointerInside(false);
        button->m_logic.OnMouseLeave();
        if (button->m_toolTip) button->m_toolTip->RelayEvent(ToolTipControl::Relay::Leave);
    }
    return FALSE;
}

gboolean CTouchButton::OnMotion(GtkWidget*, GdkEventMotion*, gpointer self) {
    auto* button = static_cast<CTouchButton*>(self);
    if (!button->m_pointerInside) return FALSE;
    button->m_logic.OnMouseMove();
    if (button->m_toolTip) button->m_toolTip->RelayEvent(ToolTipControl::Relay::Move);
    return FALSE;
}

gboolean CTouchButton::OnButton(GtkWidget*, GdkEventButton* event, gpointer self) {
    auto* button = static_cast<CTouchButton*>(self);
    if (event->button != GDK_BUTTON_PRIMARY) return FALSE;
    // GTK reports a double click as two presses plus a third event of its own; the two
    // presses already make the two clicks.
    if (event->type == GDK_BUTTON_PRESS) {
        if (button->m_toolTip) button->m_toolTip->RelayEvent(ToolTipControl::Relay::Press);
        button->m_logic.OnButtonDown();
    } else if (event->type == GDK_BUTTON_RELEASE) {
        // Where the button comes up decides, as with a captured mouse: crossing events that
        // GTK synthesises while the window is re-laid out or refocused must not eat a click.
        GtkAllocation box;
        gtk_widget_get_allocation(button->m_widget, &box);
        button->m_logic.OnPointerInside(event->x >= 0 && event->y >= 0 && event->x < box.width && event->y < box.height);
        if (button->m_logic.OnButtonUp() && button->m_onClick) button->m_onClick(button->m_id);
    }
    return TRUE;
}

void CTouchButton::OnRealize(GtkWidget* widget, gpointer) {
    std::unique_ptr<GdkCursor, CursorUnref> hand(gdk_cursor_new_for_display(gtk_widget_get_display(widget), GDK_HAND2));
    gdk_window_set_cursor(gtk_widget_get_window(widget), hand.get());
}

void CTouchButton::OnDestroy(GtkWidget*, gpointer self) {
    auto* button = static_cast<CTouchButton*>(self);
    button->m_toolTip.reset();
    button->m_hoverTimer.Stop();
    button->m_widget = nullptr;
}

}  // namespace xh::linuxport
