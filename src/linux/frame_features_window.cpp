#include "linux/frame_features_window.h"

#include <chrono>
#include <future>
#include <thread>

// Xlib last: its macros clash with names in the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace xh::linuxport {
namespace {

// How long the worker waits for the game host's engine to answer one request.
constexpr std::chrono::milliseconds kEngineTimeout{5000};

// The window the window manager calls active (_NET_ACTIVE_WINDOW).
Window ActiveWindow() {
    Display* display = GdkXDisplay();
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window active = 0;
    GdkDisplay* gd = gdk_display_get_default();
    gdk_x11_display_error_trap_push(gd);
    if (XGetWindowProperty(display, DefaultRootWindow(display), XInternAtom(display, "_NET_ACTIVE_WINDOW", False), 0,
                           1, False, XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        data && format == 32 && count == 1) {
        active = *reinterpret_cast<Window*>(data);
    }
    if (data) XFree(data);
    gdk_x11_display_error_trap_pop_ignored(gd);
    return active;
}

FrameKey FrameKeyOf(guint keyval) {
    switch (keyval) {
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter: return FrameKey::Enter;
        case GDK_KEY_Escape: return FrameKey::Escape;
        case GDK_KEY_F5: return FrameKey::F5;
        default: return FrameKey::Other;
    }
}

}  // namespace

LinuxFeatureFrameWindow::LinuxFeatureFrameWindow()
    : m_frame(Window()),
      m_tray([this](TrayMouse mouse) {
          if (m_features) m_features->OnTrayNotify(mouse);
      }),
      m_menu([this](int id) { OnCommand(id); }),
      m_hotKeys([this](int id) {
          if (m_features) m_features->OnHotKey(id);
      }) {
    g_signal_connect(m_frame, "configure-event", G_CALLBACK(OnConfigured), this);
}

LinuxFeatureFrameWindow::~LinuxFeatureFrameWindow() {
    g_signal_handlers_disconnect_by_func(m_frame, reinterpret_cast<gpointer>(OnConfigured), this);
    // The icon goes before the tray that shows it.
    m_features.reset();
}

void LinuxFeatureFrameWindow::Attach(CVidave_ZqDlg& dialog, FrameModeFlags flags) {
    CacheCleaningPorts cache;
    cache.openUrlCache = [](WindowId game) -> std::unique_ptr<IUrlCache> {
        return std::make_unique<EngineUrlCache>(game, kEngineTimeout);
    };
    cache.folder = &m_cacheFolder;
    cache.debug = WriteDebugLine;
    m_features = std::make_unique<FrameFeatures>(dialog, *this, *this, flags, FeaturePorts{m_tray, m_hotKeys, cache});
}

void LinuxFeatureFrameWindow::AddTrayIcon(const std::string& tip) {
    if (m_features) m_features->AddTrayIcon(tip);
}

void LinuxFeatureFrameWindow::CreateNoticeOverlay() {
    if (m_overlayCreated) return;
    m_overlay.Create(m_frame);
    m_overlay.Hide();
    m_overlayCreated = true;
}

void LinuxFeatureFrameWindow::RegisterHotKeys() {
    if (m_features) m_features->RegisterHotKeys();
}

void LinuxFeatureFrameWindow::OnCommand(int id) {
    if (Dialog() && Dialog()->OnCommand(id)) return;
    if (m_features) m_features->OnCommand(id);
}

void LinuxFeatureFrameWindow::OnSysClose() {
    LinuxFrameWindow::OnSysClose();
    if (m_features) m_features->OnSysClose();
    OnCommand(kIdCancelCommand);
}

gboolean LinuxFeatureFrameWindow::OnConfigured(GtkWidget*, GdkEventConfigure* event, gpointer self) {
    auto* me = static_cast<LinuxFeatureFrameWindow*>(self);
    const bool resized = event->width != me->m_configuredWidth || event->height != me->m_configuredHeight;
    me->m_configuredWidth = event->width;
    me->m_configuredHeight = event->height;
    // Out of fullscreen the frame asks for the work area before the window manager has
    // given it: the game is fitted again once the size has really changed (WM_SIZE).
    if (resized && me->Dialog()) me->Dialog()->OnSize();
    return FALSE;
}

bool LinuxFeatureFrameWindow::OnKeyPress(const GdkEventKey& event) {
    // Enter and Escape never reach the window's default handling; F5 is used up.
    return FrameFeatures::PreTranslateKeyDown(FrameKeyOf(event.keyval)) != FrameKeyRoute::Default;
}

bool LinuxFeatureFrameWindow::IsVisible() { return gtk_widget_get_visible(GTK_WIDGET(m_frame)); }

void LinuxFeatureFrameWindow::Show() { gtk_widget_show(GTK_WIDGET(m_frame)); }

void LinuxFeatureFrameWindow::Hide() { gtk_widget_hide(GTK_WIDGET(m_frame)); }

void LinuxFeatureFrameWindow::SetForeground() {
    GdkWindow* gw = gtk_widget_get_window(GTK_WIDGET(m_frame));
    // Presenting a hidden or minimised window would show or restore it; SetForegroundWindow
    // does neither.
    if (!gw || !IsVisible() || (gdk_window_get_state(gw) & GDK_WINDOW_STATE_ICONIFIED)) return;
    gtk_window_present_with_time(m_frame, gdk_x11_get_server_time(gw));
}

bool LinuxFeatureFrameWindow::IsTopParentActive() {
    GdkWindow* gw = gtk_widget_get_window(GTK_WIDGET(m_frame));
    return gw && IsVisible() && ActiveWindow() == gdk_x11_window_get_xid(gw);
}

Rect LinuxFeatureFrameWindow::ScreenRect() {
    GdkWindow* gw = gtk_widget_get_window(GTK_WIDGET(m_frame));
    if (!gw) return {};
    int x = 0, y = 0;
    gdk_window_get_origin(gw, &x, &y);
    return {x, y, x + gdk_window_get_width(gw), y + gdk_window_get_height(gw)};
}

Rect LinuxFeatureFrameWindow::PrimaryScreen() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    GdkRectangle screen{0, 0, 0, 0};
    if (monitor) gdk_monitor_get_geometry(monitor, &screen);
    return {0, 0, screen.width, screen.height};
}

void LinuxFeatureFrameWindow::CoverScreen(const Rect&) {
    // A window manager keeps a maximised window inside the work area; only its fullscreen
    // state covers the panel as well.
    gtk_window_fullscreen(m_frame);
}

void LinuxFeatureFrameWindow::UncoverScreen() { gtk_window_unfullscreen(m_frame); }

void LinuxFeatureFrameWindow::UpdateWindow() { gtk_widget_queue_draw(GTK_WIDGET(m_frame)); }

Point LinuxFeatureFrameWindow::CursorPos() {
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
    int x = 0, y = 0;
    if (pointer) gdk_device_get_position(pointer, nullptr, &x, &y);
    return {x, y};
}

void LinuxFeatureFrameWindow::TrackTrayMenu(const Point& at) { m_menu.Popup(at); }

void LinuxFeatureFrameWindow::ShowNoticeOverlay(const Rect& screen) {
    CreateNoticeOverlay();
    m_overlay.ShowOver({screen.left, screen.top, screen.Width(), screen.Height()});
}

void LinuxFeatureFrameWindow::HideNoticeOverlay() {
    if (m_overlayCreated) m_overlay.Hide();
}

void LinuxFeatureFrameWindow::StartWorker(std::function<void()> work) {
    std::thread(std::move(work)).detach();
}

void LinuxFeatureFrameWindow::SendCommand(int id) {
    // Runs on the GTK thread; the sender waits as SendMessage does.
    struct Call {
        LinuxFeatureFrameWindow* self;
        std::weak_ptr<int> alive;
        int id;
        std::promise<void> done;
    };
    auto* call = new Call{this, m_alive, id, {}};
    std::future<void> done = call->done.get_future();
    g_idle_add(
        [](gpointer data) -> gboolean {
            std::unique_ptr<Call> c(static_cast<Call*>(data));
            if (!c->alive.expired()) c->self->OnCommand(c->id);
            c->done.set_value();
            return G_SOURCE_REMOVE;
        },
        call);
    done.wait();
}

}  // namespace xh::linuxport
