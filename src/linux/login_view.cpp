#include "linux/login_view.h"

#include <pango/pangocairo.h>

#include <cstdint>
#include <cstdio>

#include "app/version_text.h"
#include "linux/controls_drawing.h"
#include "linux/controls_pictures.h"
#include "platform/ports.h"
#include "update/first_start.h"
#include "update/update_module.h"

namespace xh::linuxport {
namespace {

// GDK key values to the virtual-key codes of the pop-up's key table.
unsigned VirtualKeyOf(guint keyval) {
    switch (keyval) {
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter: return 13;
        case GDK_KEY_Tab:
        case GDK_KEY_ISO_Left_Tab: return 9;
        case GDK_KEY_space: return 32;
        case GDK_KEY_Escape: return 27;
        default: break;
    }
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return 'A' + (keyval - GDK_KEY_a);
    if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return 'A' + (keyval - GDK_KEY_A);
    return 0;
}

// A surface of the picture in which pure green (0, 255, 0) is transparent.
cairo_surface_t* GreenKeyedSurface(GdkPixbuf* picture) {
    const int w = gdk_pixbuf_get_width(picture), h = gdk_pixbuf_get_height(picture);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    const int channels = gdk_pixbuf_get_n_channels(picture);
    const int srcStride = gdk_pixbuf_get_rowstride(picture);
    const guchar* src = gdk_pixbuf_read_pixels(picture);
    cairo_surface_flush(surface);
    unsigned char* dst = cairo_image_surface_get_data(surface);
    const int dstStride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(dst + y * dstStride);
        for (int x = 0; x < w; ++x) {
            const guchar* p = src + y * srcStride + x * channels;
            const bool key = p[0] == 0 && p[1] == 255 && p[2] == 0;
            row[x] = key ? 0u : (0xFF000000u | (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2]);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

// The window's shape (what shows and what takes clicks) from the surface's opaque pixels.
void ShapeFromAlpha(GtkWidget* widget, cairo_surface_t* surface) {
    cairo_region_t* region = gdk_cairo_region_create_from_surface(surface);
    gtk_widget_input_shape_combine_region(widget, region);
    // Without a compositor the see-through pixels would show as black: cut them away.
    if (!gdk_screen_is_composited(gtk_widget_get_screen(widget))) gtk_widget_shape_combine_region(widget, region);
    cairo_region_destroy(region);
}

void UseRgbaVisual(GtkWidget* widget) {
    GdkScreen* screen = gtk_widget_get_screen(widget);
    if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen)) gtk_widget_set_visual(widget, rgba);
    gtk_widget_set_app_paintable(widget, TRUE);
}

// Near-aligned text in "arial" 10 px, cut with an ellipsis at the box's width.
void DrawVersionText(cairo_t* cr, const std::string& text, const Rect& box) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, ResolveFontFamily("arial").c_str());
    pango_font_description_set_absolute_size(font, 10 * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, text.c_str(), -1);
    pango_layout_set_width(layout, box.Width() * PANGO_SCALE);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    cairo_save(cr);
    cairo_rectangle(cr, box.left, box.top, box.Width(), box.Height());
    cairo_clip(cr);
    SetSourceArgb(cr, LoginLayout::kVersionColor);
    cairo_move_to(cr, box.left, box.top);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    pango_font_description_free(font);
    g_object_unref(layout);
}

}  // namespace

// ----- pop-up -----

LinuxLoginPopupView::LinuxLoginPopupView(GtkWindow* owner) : m_owner(owner) {
    m_window = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    g_object_ref_sink(m_window);
}

LinuxLoginPopupView::~LinuxLoginPopupView() {
    if (m_background) cairo_surface_destroy(m_background);
    gtk_widget_destroy(GTK_WIDGET(m_window));
    g_object_unref(m_window);
}

void LinuxLoginPopupView::Initialize() {
    GtkWidget* w = GTK_WIDGET(m_window);
    gtk_window_set_decorated(m_window, FALSE);
    gtk_window_set_transient_for(m_window, m_owner);
    gtk_window_set_type_hint(m_window, GDK_WINDOW_TYPE_HINT_UTILITY);
    gtk_window_set_skip_taskbar_hint(m_window, TRUE);
    gtk_window_set_skip_pager_hint(m_window, TRUE);
    gtk_window_set_resizable(m_window, FALSE);
    gtk_window_set_title(m_window, "");
    gtk_widget_set_size_request(w, PopupLayout::kWidth, PopupLayout::kHeight);
    gtk_window_move(m_window, 0, 0);
    UseRgbaVisual(w);

    m_fixed = GTK_FIXED(gtk_fixed_new());
    gtk_container_add(GTK_CONTAINER(m_window), GTK_WIDGET(m_fixed));
    gtk_widget_show(GTK_WIDGET(m_fixed));

    if (GdkPixbuf* pattern = LoadPngImage(PopupLayout::kBackgroundBitmap)) m_background = GreenKeyedSurface(pattern);
    g_signal_connect(w, "draw", G_CALLBACK(OnDraw), this);
    g_signal_connect(w, "key-press-event", G_CALLBACK(OnKeyPress), this);
    g_signal_connect(w, "delete-event", G_CALLBACK(OnDelete), this);
    gtk_widget_realize(w);
    const auto onClick = [this](int id) {
        if (m_presenter) m_presenter->OnCommand(id);
    };
    const auto painter = [this](cairo_t* cr) { PaintBackground(cr); };
    const Rect& min = PopupLayout::kMinimizeButton;
    const Rect& close = PopupLayout::kCloseButton;
    m_btnMinimize.Create(GTK_WIDGET(m_fixed), kIdPopupMinimize, {min.left, min.top, min.Width(), min.Height()}, painter,
                         onClick);
    m_btnMinimize.SetImages(PopupLayout::kMinimizeImages[0], PopupLayout::kMinimizeImages[1],
                            PopupLayout::kMinimizeImages[2]);
    m_btnClose.Create(GTK_WIDGET(m_fixed), kIdPopupClose, {close.left, close.top, close.Width(), close.Height()},
                      painter, onClick);
    m_btnClose.SetImages(PopupLayout::kCloseImages[0], PopupLayout::kCloseImages[1], PopupLayout::kCloseImages[2]);
    gtk_widget_show(m_btnMinimize.Widget());
    gtk_widget_show(m_btnClose.Widget());
    ApplyShape();
}

// Pure green is see-through, as the colour key makes it on Windows; the buttons are drawn
// over it, so their own pixels stay part of the window.
void LinuxLoginPopupView::ApplyShape() {
    if (!m_background) return;
    cairo_surface_t* content = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, PopupLayout::kWidth, PopupLayout::kHeight);
    cairo_t* cr = cairo_create(content);
    PaintBackground(cr);
    const Rect& min = PopupLayout::kMinimizeButton;
    const Rect& close = PopupLayout::kCloseButton;
    DrawPicture(cr, LoadPngImage(PopupLayout::kMinimizeImages[0]), min.left, min.top);
    DrawPicture(cr, LoadPngImage(PopupLayout::kCloseImages[0]), close.left, close.top);
    cairo_destroy(cr);
    ShapeFromAlpha(GTK_WIDGET(m_window), content);
    cairo_surface_destroy(content);
}

std::unique_ptr<IBrowserControl> LinuxLoginPopupView::CreateBrowserControl() {
    return std::make_unique<WebKitBrowserControl>(m_fixed);
}

void LinuxLoginPopupView::MoveTo(const Rect& r) {
    gtk_window_move(m_window, r.left, r.top);
    gtk_window_resize(m_window, r.Width(), r.Height());
    gtk_widget_queue_draw(GTK_WIDGET(m_window));
    StackAboveOwner();
}

// An owned window stays above its owner. The window manager does not keep a transient
// above its parent when the parent is raised, so the pop-up is restacked each time.
void LinuxLoginPopupView::StackAboveOwner() {
    GdkWindow* popup = gtk_widget_get_window(GTK_WIDGET(m_window));
    GdkWindow* owner = gtk_widget_get_window(GTK_WIDGET(m_owner));
    if (popup && owner && gtk_widget_get_visible(GTK_WIDGET(m_window))) gdk_window_restack(popup, owner, TRUE);
}

bool LinuxLoginPopupView::IsVisible() const { return gtk_widget_get_visible(GTK_WIDGET(m_window)); }

void LinuxLoginPopupView::Show() {
    gtk_widget_show(GTK_WIDGET(m_window));
    StackAboveOwner();
}

void LinuxLoginPopupView::Raise() {
    // Above its owner and with the keyboard: the login page is where the player types.
    gtk_window_present(m_window);
}

void LinuxLoginPopupView::Hide() { gtk_widget_hide(GTK_WIDGET(m_window)); }

void LinuxLoginPopupView::PaintBackground(cairo_t* cr) const {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    if (m_background) {
        cairo_set_source_surface(cr, m_background, 0, 0);
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_REPEAT);
    } else {
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
    }
    cairo_paint(cr);
    cairo_restore(cr);
}

gboolean LinuxLoginPopupView::OnDraw(GtkWidget*, cairo_t* cr, gpointer self) {
    static_cast<LinuxLoginPopupView*>(self)->PaintBackground(cr);
    return FALSE;  // the children draw over the background
}

gboolean LinuxLoginPopupView::OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer self) {
    auto* me = static_cast<LinuxLoginPopupView*>(self);
    if (!me->m_presenter) return FALSE;
    const bool control = (event->state & GDK_CONTROL_MASK) != 0;
    switch (me->m_presenter->OnKeyDown(VirtualKeyOf(event->keyval), control)) {
        case PopupKeyAction::Swallow:
            return TRUE;
        case PopupKeyAction::ToFocusedWindow:
        case PopupKeyAction::ToPage:
        case PopupKeyAction::Default:
            // GTK has no dialog manager: the window hands the key to the focused page.
            return FALSE;
    }
    return FALSE;
}

gboolean LinuxLoginPopupView::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
    auto* me = static_cast<LinuxLoginPopupView*>(self);
    if (me->m_presenter) me->m_presenter->OnSysClose();
    return TRUE;
}

// ----- login window -----

LinuxLoginWindow::LinuxLoginWindow() {
    m_window = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    g_object_ref_sink(m_window);
    GtkWidget* w = GTK_WIDGET(m_window);
    gtk_window_set_decorated(m_window, FALSE);
    gtk_window_set_resizable(m_window, FALSE);
    UseRgbaVisual(w);
    gtk_widget_add_events(w, GDK_BUTTON_PRESS_MASK | GDK_STRUCTURE_MASK);
    g_signal_connect(w, "draw", G_CALLBACK(OnDraw), this);
    g_signal_connect(w, "button-press-event", G_CALLBACK(OnButtonPress), this);
    g_signal_connect(w, "configure-event", G_CALLBACK(OnConfigure), this);
    g_signal_connect(w, "window-state-event", G_CALLBACK(OnWindowState), this);
    g_signal_connect(w, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(w, "focus-in-event", G_CALLBACK(OnFocusIn), this);
}

gboolean LinuxLoginWindow::OnFocusIn(GtkWidget*, GdkEventFocus*, gpointer self) {
    auto* me = static_cast<LinuxLoginWindow*>(self);
    if (me->m_popup) me->m_popup->StackAboveOwner();
    return FALSE;
}

LinuxLoginWindow::~LinuxLoginWindow() {
    m_popup.reset();
    if (m_surface) cairo_surface_destroy(m_surface);
    gtk_widget_destroy(GTK_WIDGET(m_window));
    g_object_unref(m_window);
}

std::string LinuxLoginWindow::DoModal(CVidaveLogin& login) {
    m_login = &login;
    login.OnInitDialog();
    if (m_popup) m_popup->Bind(login.Popup());
    if (!m_ended) {
        gtk_widget_show(GTK_WIDGET(m_window));
        gtk_window_present(m_window);
        if (m_popup) m_popup->Raise();
        m_running = true;
        gtk_main();
        m_running = false;
    }
    gtk_widget_hide(GTK_WIDGET(m_window));
    if (m_popup) m_popup->Hide();
    m_login = nullptr;
    return login.GetGameUrl();
}

void LinuxLoginWindow::SetTitle(const std::string& title) { gtk_window_set_title(m_window, title.c_str()); }

bool LinuxLoginWindow::LoadBackground(int& width, int& height) {
    m_picture = LoadPngImage(LoginLayout::kBackgroundPng);
    if (!m_picture) return false;
    width = gdk_pixbuf_get_width(m_picture);
    height = gdk_pixbuf_get_height(m_picture);
    return true;
}

void LinuxLoginWindow::ApplyLayeredBackground() {
    if (!m_picture) return;
    const int w = gdk_pixbuf_get_width(m_picture), h = gdk_pixbuf_get_height(m_picture);
    m_surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(m_surface);
    gdk_cairo_set_source_pixbuf(cr, m_picture, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    gtk_window_set_default_size(m_window, w, h);
    gtk_widget_set_size_request(GTK_WIDGET(m_window), w, h);
    gtk_widget_realize(GTK_WIDGET(m_window));
    ShapeFromAlpha(GTK_WIDGET(m_window), m_surface);
}

void LinuxLoginWindow::CenterOnScreen() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    GdkRectangle area{0, 0, 1280, 800};
    if (monitor) gdk_monitor_get_workarea(monitor, &area);
    const int w = m_surface ? cairo_image_surface_get_width(m_surface) : 0;
    const int h = m_surface ? cairo_image_surface_get_height(m_surface) : 0;
    gtk_window_move(m_window, area.x + (area.width - w) / 2, area.y + (area.height - h) / 2);
}

Rect LinuxLoginWindow::ScreenRect() const {
    int x = 0, y = 0;
    gtk_window_get_position(m_window, &x, &y);
    const int w = m_surface ? cairo_image_surface_get_width(m_surface) : 0;
    const int h = m_surface ? cairo_image_surface_get_height(m_surface) : 0;
    return {x, y, x + w, y + h};
}

void LinuxLoginWindow::Minimize() { gtk_window_iconify(m_window); }

ILoginPopupView& LinuxLoginWindow::CreatePopupView() {
    m_popup = std::make_unique<LinuxLoginPopupView>(m_window);
    return *m_popup;
}

void LinuxLoginWindow::EndModal(int) {
    m_ended = true;
    if (m_running) gtk_main_quit();
}

gboolean LinuxLoginWindow::OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self) {
    auto* me = static_cast<LinuxLoginWindow*>(self);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    if (me->m_surface) {
        cairo_set_source_surface(cr, me->m_surface, 0, 0);
    } else {
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
    }
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    if (me->m_login) {
        const int w = gtk_widget_get_allocated_width(widget), h = gtk_widget_get_allocated_height(widget);
        DrawVersionText(cr, me->m_login->VersionText(), LoginLayout::VersionTextRect(w, h));
    }
    return TRUE;
}

gboolean LinuxLoginWindow::OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer self) {
    auto* me = static_cast<LinuxLoginWindow*>(self);
    // Any visible pixel drags the window, as a caption would.
    if (event->button == 1 && event->type == GDK_BUTTON_PRESS) {
        gtk_window_begin_move_drag(me->m_window, 1, static_cast<int>(event->x_root), static_cast<int>(event->y_root),
                                   event->time);
        return TRUE;
    }
    return FALSE;
}

gboolean LinuxLoginWindow::OnConfigure(GtkWidget*, GdkEventConfigure*, gpointer self) {
    auto* me = static_cast<LinuxLoginWindow*>(self);
    if (me->m_login) me->m_login->OnWindowPosChanged();
    return FALSE;
}

gboolean LinuxLoginWindow::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self) {
    auto* me = static_cast<LinuxLoginWindow*>(self);
    if (!(event->changed_mask & GDK_WINDOW_STATE_ICONIFIED) || !me->m_popup) return FALSE;
    if (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) {
        me->m_popup->Hide();  // an owned window goes with its minimised owner
    } else if (me->m_login) {
        me->m_login->OnWindowPosChanged();
    }
    return FALSE;
}

gboolean LinuxLoginWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
    auto* me = static_cast<LinuxLoginWindow*>(self);
    if (me->m_login) me->m_login->OnSysClose();
    return TRUE;  // a declined exit leaves the window as it was
}

std::string RunLoginModal() {
    LinuxLoginWindow window;
    CVidaveLogin login(window, LoginHooks{RunUpdateCheck, RunFirstStartInstall, [] {
                                              return GetFileVersionText(ports().process->ModulePath());
                                          }});
    const std::string url = window.DoModal(login);
    if (!url.empty()) ExportSessionCookies(url);
    return url;
}

}  // namespace xh::linuxport
