#include "linux/frame_window.h"

#include <pango/pangocairo.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include "linux/controls_drawing.h"
#include "linux/frame_features_window.h"
#include "linux/login_view.h"
#include "platform/ports.h"

// Xlib last: its macros (None, Status, ...) clash with names in the headers above.
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#undef FillTiled  // a fill style of Xlib; ours is the drawing function

extern "C" const unsigned char xinghe_frame_icon_begin[];
extern "C" const unsigned char xinghe_frame_icon_end[];

namespace xh::linuxport {
namespace {

PixelRect ToPixelRect(const Rect& r) { return {r.left, r.top, r.Width(), r.Height()}; }

struct LayoutUnref {
    void operator()(PangoLayout* l) const { g_object_unref(l); }
};
struct FontFree {
    void operator()(PangoFontDescription* f) const { pango_font_description_free(f); }
};

// The title text at a point, with no layout box: nothing clips or aligns it.
void DrawTitleText(cairo_t* cr, const std::string& text, double x, double y) {
    std::unique_ptr<PangoLayout, LayoutUnref> layout(pango_cairo_create_layout(cr));
    std::unique_ptr<PangoFontDescription, FontFree> font(pango_font_description_new());
    pango_font_description_set_family(font.get(), ResolveFontFamily(kTitleFontFamily).c_str());
    pango_font_description_set_absolute_size(font.get(), kTitleFontPixels * PANGO_SCALE);
    pango_font_description_set_weight(font.get(), PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout.get(), font.get());
    pango_layout_set_text(layout.get(), text.c_str(), -1);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout.get()), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout.get());
    SetSourceArgb(cr, kTitleTextColour);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout.get());
}

}  // namespace

LinuxFrameWindow::LinuxFrameWindow() {
    m_window = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    g_object_ref_sink(m_window);
    GtkWidget* w = GTK_WIDGET(m_window);
    // The frame paints its title bar itself; the game window covers the rest.
    gtk_widget_set_app_paintable(w, TRUE);
    gtk_window_set_default_size(m_window, kRestoredWidth, kRestoredHeight);
    GdkGeometry hints{};
    hints.min_width = kMinTrackSize;
    hints.min_height = kMinTrackSize;
    gtk_window_set_geometry_hints(m_window, nullptr, &hints, GDK_HINT_MIN_SIZE);
    gtk_widget_add_events(w, GDK_BUTTON_PRESS_MASK | GDK_STRUCTURE_MASK);
    // The buttons sit on an overlay layer: their places must not keep the window from being
    // made smaller than the maximised width they were laid out for.
    GtkWidget* overlay = gtk_overlay_new();
    gtk_container_add(GTK_CONTAINER(m_window), overlay);
    m_fixed = gtk_fixed_new();
    gtk_widget_set_halign(m_fixed, GTK_ALIGN_FILL);
    gtk_widget_set_valign(m_fixed, GTK_ALIGN_FILL);
    gtk_overlay_add_overlay(GTK_OVERLAY(overlay), m_fixed);
    gtk_widget_show_all(overlay);
    g_signal_connect(w, "draw", G_CALLBACK(OnDraw), this);
    g_signal_connect(w, "button-press-event", G_CALLBACK(OnButtonPress), this);
    g_signal_connect(w, "configure-event", G_CALLBACK(OnConfigure), this);
    g_signal_connect(w, "window-state-event", G_CALLBACK(OnWindowState), this);
    g_signal_connect(w, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(w, "key-press-event", G_CALLBACK(OnKey), this);
    // The window id is the frame's handle from the start, before it is ever shown.
    gtk_widget_realize(w);
    gdk_window_add_filter(gtk_widget_get_window(w), OnXEvent, this);
}

LinuxFrameWindow::~LinuxFrameWindow() {
    for (const auto& [id, source] : m_timers) g_source_remove(source);
    if (GdkWindow* gw = gtk_widget_get_window(GTK_WIDGET(m_window))) gdk_window_remove_filter(gw, OnXEvent, this);
    g_signal_handlers_disconnect_by_data(m_window, this);
    m_buttons.clear();
    gtk_widget_destroy(GTK_WIDGET(m_window));
    g_object_unref(m_window);
}

void LinuxFrameWindow::DoModal(CVidave_ZqDlg& dialog) {
    m_dialog = &dialog;
    dialog.OnInitDialog();
    if (!m_ended) {
        SetBigIcon();
        gtk_widget_show(GTK_WIDGET(m_window));
        gtk_window_present(m_window);
        m_running = true;
        gtk_main();
        m_running = false;
    }
    gtk_widget_hide(GTK_WIDGET(m_window));
    m_dialog = nullptr;
}

void LinuxFrameWindow::EndDialog() {
    m_ended = true;
    if (m_running) gtk_main_quit();
}

WindowId LinuxFrameWindow::Handle() {
    GdkWindow* gw = gtk_widget_get_window(GTK_WIDGET(m_window));
    return gw ? ToWindowId(gdk_x11_window_get_xid(gw)) : 0;
}

void LinuxFrameWindow::SetTitle(const std::string& title) { gtk_window_set_title(m_window, title.c_str()); }

void LinuxFrameWindow::RemoveCaption() { gtk_window_set_decorated(m_window, FALSE); }

void LinuxFrameWindow::SetWindowRect(const Rect& rect) {
    m_rect = rect;
    if (!IsZoomed()) m_restoredRect = rect;
    gtk_window_move(m_window, rect.left, rect.top);
    gtk_window_resize(m_window, rect.Width(), rect.Height());
}

Rect LinuxFrameWindow::ClientRect() { return {0, 0, m_rect.Width(), m_rect.Height()}; }

void LinuxFrameWindow::CenterOnScreen() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    GdkRectangle screen{0, 0, 1280, 800};
    if (monitor) gdk_monitor_get_geometry(monitor, &screen);
    const int w = m_rect.Width(), h = m_rect.Height();
    SetWindowRect({screen.x + (screen.width - w) / 2, screen.y + (screen.height - h) / 2,
                   screen.x + (screen.width - w) / 2 + w, screen.y + (screen.height - h) / 2 + h});
}

void LinuxFrameWindow::SendSysCommand(SysCommand command) {
    switch (command) {
        case SysCommand::Maximize:
            gtk_window_deiconify(m_window);
            gtk_window_maximize(m_window);
            // The window manager answers later; the frame counts as zoomed from now on.
            m_state = GdkWindowState(m_state | GDK_WINDOW_STATE_MAXIMIZED);
            break;
        case SysCommand::Restore:
            if (m_state & GDK_WINDOW_STATE_ICONIFIED) {
                gtk_window_deiconify(m_window);
            } else {
                gtk_window_unmaximize(m_window);
                m_state = GdkWindowState(m_state & ~GDK_WINDOW_STATE_MAXIMIZED);
                // Back to the last place it had while restored, whatever the window manager
                // made of the fitting done while maximised.
                SetWindowRect(m_restoredRect);
            }
            break;
        case SysCommand::Minimize:
            gtk_window_iconify(m_window);
            break;
        case SysCommand::Close:
            break;
    }
}

bool LinuxFrameWindow::IsZoomed() { return (m_state & GDK_WINDOW_STATE_MAXIMIZED) != 0; }

CTouchButton& LinuxFrameWindow::Button(int id) {
    auto& button = m_buttons[id];
    if (!button) {
        button = std::make_unique<CTouchButton>();
        const auto row = std::find_if(kTitleButtons.begin(), kTitleButtons.end(),
                                       [id](const TitleButtonSpec& b) { return b.id == id; });
        const Rect place = m_places.count(id) ? m_places[id]
                                              : xh::LayoutTitleButtons(m_rect.Width())[static_cast<std::size_t>(
                                                    row - kTitleButtons.begin())]
                                                    .rect;
        m_places[id] = place;
        button->Create(
            m_fixed, id, ToPixelRect(place), [this](cairo_t* cr) { DrawTitleBar(cr, m_rect.Width()); },
            [this](int clicked) { OnCommand(clicked); });
        gtk_widget_show(button->Widget());
    }
    return *button;
}

void LinuxFrameWindow::PlaceButton(int id, const Rect& rect) {
    m_places[id] = rect;
    Button(id).Move(ToPixelRect(rect));
}

void LinuxFrameWindow::ShowButton(int id, bool visible) { gtk_widget_set_visible(Button(id).Widget(), visible); }

void LinuxFrameWindow::SetButtonImages(int id, unsigned normal, unsigned hover, unsigned pressed) {
    Button(id).SetImages(normal, hover, pressed);
}

void LinuxFrameWindow::SetButtonToolTip(int id, const std::string& text) { Button(id).SetToolTipText(text, true); }

bool LinuxFrameWindow::LoadTitlePictures() {
    m_pTitleLeft = LoadPngImage(kTitleLeftPng);
    m_pTitleMiddle = LoadPngImage(kTitleMiddlePng);
    m_pTitleRight = LoadPngImage(kTitleRightPng);
    return m_pTitleLeft && m_pTitleMiddle && m_pTitleRight;
}

void LinuxFrameWindow::Invalidate(const Rect& rect, bool) {
    gtk_widget_queue_draw_area(GTK_WIDGET(m_window), rect.left, rect.top, rect.Width(), rect.Height());
}

void LinuxFrameWindow::SetBigIcon() {
    // Icon 180, decoded once; the icon file's largest picture.
    static const PixbufPtr icon = DecodePicture(
        std::span<const unsigned char>(xinghe_frame_icon_begin, static_cast<std::size_t>(xinghe_frame_icon_end - xinghe_frame_icon_begin)));
    if (icon) gtk_window_set_icon(m_window, icon.get());
}

std::optional<Rect> LinuxFrameWindow::TaskbarRect() { return DockWindowRect(GdkXDisplay()); }

Rect LinuxFrameWindow::WorkArea() {
    if (const auto area = WorkAreaFromWm(GdkXDisplay())) return *area;
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    GdkRectangle area{0, 0, 1280, 800};
    if (monitor) gdk_monitor_get_workarea(monitor, &area);
    return {area.x, area.y, area.x + area.width, area.y + area.height};
}

void LinuxFrameWindow::SendToGame(WindowId game, unsigned message, long wParam) {
    SendWindowMessage(GdkXDisplay(), ToXWindow(game), {message, wParam, 0});
}

void LinuxFrameWindow::PostToGame(WindowId game, unsigned message, long wParam) {
    // A client message is queued at the receiver either way; posting skips the round trip.
    Display* display = GdkXDisplay();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = ToXWindow(game);
    event.xclient.message_type = WindowMessageAtom(display);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(message);
    event.xclient.data.l[1] = wParam;
    GdkDisplay* gd = gdk_display_get_default();
    gdk_x11_display_error_trap_push(gd);
    XSendEvent(display, ToXWindow(game), False, NoEventMask, &event);
    XFlush(display);
    gdk_x11_display_error_trap_pop_ignored(gd);
}

void LinuxFrameWindow::SetTimer(unsigned id, unsigned ms) {
    KillTimer(id);
    struct Tick {
        LinuxFrameWindow* self;
        unsigned id;
    };
    m_timers[id] = g_timeout_add_full(
        G_PRIORITY_DEFAULT, ms,
        [](gpointer data) -> gboolean {
            auto* tick = static_cast<Tick*>(data);
            if (tick->self->m_dialog) tick->self->m_dialog->OnTimer(tick->id);
            return G_SOURCE_CONTINUE;  // until KillTimer, as a window timer
        },
        new Tick{this, id}, [](gpointer data) { delete static_cast<Tick*>(data); });
}

void LinuxFrameWindow::KillTimer(unsigned id) {
    const auto it = m_timers.find(id);
    if (it == m_timers.end()) return;
    g_source_remove(it->second);
    m_timers.erase(it);
}

void LinuxFrameWindow::BeginDrag() {
    gtk_window_begin_move_drag(m_window, static_cast<gint>(m_lastPress.button), static_cast<gint>(m_lastPress.x_root),
                               static_cast<gint>(m_lastPress.y_root), m_lastPress.time);
}

void LinuxFrameWindow::DrawTitleBar(cairo_t* cr, int width) {
    if (!m_dialog || !m_dialog->ShouldDrawTitleBar()) return;
    PaintOffscreen(cr, width, kTitleBarHeight, [&](cairo_t* off) {
        const int leftW = gdk_pixbuf_get_width(m_pTitleLeft), leftH = gdk_pixbuf_get_height(m_pTitleLeft);
        const int rightW = gdk_pixbuf_get_width(m_pTitleRight), rightH = gdk_pixbuf_get_height(m_pTitleRight);
        FillTiled(off, m_pTitleLeft, {0, 0, leftW, leftH});
        FillTiled(off, m_pTitleMiddle, {leftW, 0, width - leftW - rightW, gdk_pixbuf_get_height(m_pTitleMiddle)});
        FillTiled(off, m_pTitleRight, {width - rightW, 0, rightW, rightH});
        const std::string text = m_dialog->TitleBarText();
        if (!text.empty()) DrawTitleText(off, text, leftW + kTitleTextGap, kTitleTextY);
    });
}

gboolean LinuxFrameWindow::OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self) {
    auto* me = static_cast<LinuxFrameWindow*>(self);
    const int width = gtk_widget_get_allocated_width(widget), height = gtk_widget_get_allocated_height(widget);
    // Until the game window arrives the client area stays dark rather than undefined.
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, 0, kTitleBarHeight, width, height - kTitleBarHeight);
    cairo_fill(cr);
    me->DrawTitleBar(cr, width);
    return FALSE;  // the buttons draw over the title bar
}

gboolean LinuxFrameWindow::OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer self) {
    auto* me = static_cast<LinuxFrameWindow*>(self);
    if (!me->m_dialog || event->button != 1) return FALSE;
    me->m_lastPress = *event;
    if (event->type == GDK_2BUTTON_PRESS) {
        me->m_dialog->OnLButtonDblClk();
    } else if (event->type == GDK_BUTTON_PRESS) {
        me->m_dialog->OnLButtonDown();
    }
    return TRUE;
}

gboolean LinuxFrameWindow::OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer self) {
    auto* me = static_cast<LinuxFrameWindow*>(self);
    // Lay out for every size that arrives, whatever size the frame asked for last.
    const bool resized = event->width != me->m_laidOutWidth || event->height != me->m_laidOutHeight;
    int x = event->x, y = event->y;
    gtk_window_get_position(me->m_window, &x, &y);
    me->m_rect = {x, y, x + event->width, y + event->height};
    // A restored frame has no sizing border: only the frame itself changes its size, so a
    // size that arrives (from a maximise or fullscreen on its way) is never the restored
    // place; a move of the restored frame is.
    const bool restored =
        !(me->m_state & (GDK_WINDOW_STATE_MAXIMIZED | GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_FULLSCREEN));
    if (restored && event->width == me->m_restoredRect.Width() && event->height == me->m_restoredRect.Height()) {
        me->m_restoredRect = me->m_rect;
    }
    if (resized && me->m_dialog) {
        me->m_laidOutWidth = event->width;
        me->m_laidOutHeight = event->height;
        // The window manager sizes the window after the command that asked for it: lay the
        // title bar out again for the size that came.
        me->m_dialog->LayoutTitleButtons();
        me->m_dialog->OnSize();
        gtk_widget_queue_draw_area(GTK_WIDGET(me->m_window), 0, 0, event->width, kTitleBarHeight);
    }
    return FALSE;
}

gboolean LinuxFrameWindow::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self) {
    auto* me = static_cast<LinuxFrameWindow*>(self);
    const GdkWindowState before = me->m_state;
    me->m_state = event->new_window_state;
    const bool deiconified = (before & GDK_WINDOW_STATE_ICONIFIED) && !(event->new_window_state & GDK_WINDOW_STATE_ICONIFIED);
    // Brought back from the taskbar: the system's restore command.
    if (deiconified && me->m_dialog) me->m_dialog->OnSysCommand(SysCommand::Restore);
    return FALSE;
}

void LinuxFrameWindow::OnCommand(int id) {
    if (m_dialog) m_dialog->OnCommand(id);
}

void LinuxFrameWindow::OnSysClose() {
    if (m_dialog) m_dialog->OnSysCommand(SysCommand::Close);
}

gboolean LinuxFrameWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<LinuxFrameWindow*>(self)->OnSysClose();
    return TRUE;  // only a confirmed prompt ends the frame
}

gboolean LinuxFrameWindow::OnKey(GtkWidget*, GdkEventKey* event, gpointer self) {
    return static_cast<LinuxFrameWindow*>(self)->OnKeyPress(*event);
}

GdkFilterReturn LinuxFrameWindow::OnXEvent(GdkXEvent* xevent, GdkEvent*, gpointer self) {
    auto* me = static_cast<LinuxFrameWindow*>(self);
    const auto message = ReadWindowMessage(GdkXDisplay(), *static_cast<XEvent*>(xevent));
    if (!message) return GDK_FILTER_CONTINUE;
    if (message->message == WM_GAMEWND_ATTACHED && me->m_dialog) {
        me->m_dialog->OnGameWindowAttached(static_cast<WindowId>(message->wParam));
    }
    return GDK_FILTER_REMOVE;
}

namespace {

// argv for a raw command line: the quoted path, the next word, the rest, so that joining
// them with single spaces gives the line back exactly.
std::vector<std::string> SplitGameCommandLine(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t end = line.size();
    if (!line.empty() && line[0] == '"') {
        const auto quote = line.find('"', 1);
        if (quote != std::string::npos) end = quote + 1;
    }
    parts.push_back(line.substr(0, end));
    if (end + 1 >= line.size() || line[end] != ' ') {
        if (end < line.size()) parts.back() = line;
        return parts;
    }
    const std::string rest = line.substr(end + 1);
    const auto space = rest.find(' ');
    parts.push_back(rest.substr(0, space));
    if (space != std::string::npos) parts.push_back(rest.substr(space + 1));
    return parts;
}

}  // namespace

bool StartGameProcess(WindowId frame, const std::string& gameUrl) {
    const std::string path = ports().process->ModulePath();
    const std::vector<std::string> parts = SplitGameCommandLine(FormatGameCommandLine(path, frame, gameUrl));
    std::vector<char*> argv;
    for (const std::string& p : parts) argv.push_back(const_cast<char*>(p.c_str()));
    argv.push_back(nullptr);
    // Started through an intermediate child that ends at once, so the game host never
    // becomes a zombie of a frame that keeps no handle of it.
    const pid_t middle = ::fork();
    if (middle < 0) return false;
    if (middle == 0) {
        if (::fork() == 0) {
            ::closefrom(3);
            ::execv(path.c_str(), argv.data());
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(middle, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void RunFrameWindow() {
    LinuxFeatureFrameWindow window;
    FrameHooks hooks;
    hooks.runLogin = [] { return RunLoginModal(); };
    hooks.startGameProcess = [](WindowId frame, const std::string& url) { StartGameProcess(frame, url); };
    hooks.startThread = [](std::function<void()> run) { std::thread(std::move(run)).detach(); };
    CVidave_ZqDlg dialog(window, hooks);
    window.Attach(dialog, dialog.ModeFlags());
    window.DoModal(dialog);
}

}  // namespace xh::linuxport
