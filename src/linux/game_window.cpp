#include "linux/game_window.h"

#include <jsc/jsc.h>
#include <libsoup/soup.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "linux/frame_cache.h"
#include "linux/web_view.h"
#include "platform/ports.h"

// Xlib last: its macros (None, Status, ...) clash with names in the headers above.
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace xh::linuxport {
namespace {

// Defines the click sink of the top-level document; the view connects it after each
// completed load. A click reports the elements from its source up to the root.
constexpr const char* kClickSinkScript = R"JS(
(function () {
  if (window.__xinghe) return;
  function report(e) {
    var chain = [];
    for (var el = e.target; el && el.nodeType === 1; el = el.parentElement) {
      var href = null;
      try { href = el.getAttribute('href'); } catch (x) { href = null; }
      chain.push({ tag: String(el.tagName), href: href });
    }
    window.webkit.messageHandlers.xinghe.postMessage(chain);
  }
  window.__xinghe = {
    connected: false,
    connect: function () {
      if (!this.connected) document.addEventListener('click', report, false);
      this.connected = true;
    },
    disconnect: function () {
      document.removeEventListener('click', report, false);
      this.connected = false;
    }
  };
})();
)JS";

std::vector<ClickedElement> ReadChain(JSCValue* value) {
    std::vector<ClickedElement> chain;
    if (!value || !jsc_value_is_array(value)) return chain;
    JSCValue* lengthValue = jsc_value_object_get_property(value, "length");
    const int length = jsc_value_to_int32(lengthValue);
    g_object_unref(lengthValue);
    for (int i = 0; i < length; ++i) {
        JSCValue* item = jsc_value_object_get_property_at_index(value, static_cast<guint>(i));
        JSCValue* tag = jsc_value_object_get_property(item, "tag");
        JSCValue* href = jsc_value_object_get_property(item, "href");
        ClickedElement e;
        char* tagText = jsc_value_to_string(tag);
        e.tagName = tagText ? tagText : "";
        g_free(tagText);
        if (jsc_value_is_string(href)) {
            char* hrefText = jsc_value_to_string(href);
            e.href = hrefText ? hrefText : "";
            g_free(hrefText);
        }
        chain.push_back(std::move(e));
        g_object_unref(href);
        g_object_unref(tag);
        g_object_unref(item);
    }
    return chain;
}

void WriteDebugOutput(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

// CMyHtmlView's engine: a WebKitGTK view on the game window's GtkFixed.
class WebKitGameBrowser final : public IHtmlBrowser {
public:
    WebKitGameBrowser(GtkWidget* host, CMyHtmlView** owner) : m_host(host), m_owner(owner) {}
    ~WebKitGameBrowser() override { Release(); }

    bool Create(const Rect& rect) override {
        m_content = webkit_user_content_manager_new();
        WebKitUserScript* script =
            webkit_user_script_new(kClickSinkScript, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                   WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
        webkit_user_content_manager_add_script(m_content, script);
        webkit_user_script_unref(script);
        g_signal_connect(m_content, "script-message-received::xinghe", G_CALLBACK(OnScriptMessage), this);
        webkit_user_content_manager_register_script_message_handler(m_content, "xinghe");
        m_view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", SharedWebContext(),
                                              "user-content-manager", m_content, nullptr));
        g_object_ref_sink(m_view);
        gtk_widget_set_name(GTK_WIDGET(m_view), kGameViewWindowName);
        g_signal_connect(m_view, "load-changed", G_CALLBACK(OnLoadChanged), this);
        g_signal_connect(m_view, "create", G_CALLBACK(OnCreateWindow), this);
        gtk_fixed_put(GTK_FIXED(m_host), GTK_WIDGET(m_view), rect.left, rect.top);
        Move(rect, false);
        gtk_widget_show(GTK_WIDGET(m_view));
        return true;
    }
    bool HasWindow() override { return m_view && gtk_widget_get_parent(GTK_WIDGET(m_view)); }
    void DestroyWindow() override {
        if (m_view) gtk_widget_destroy(GTK_WIDGET(m_view));
    }
    void Navigate(const std::string& url) override {
        if (m_view) webkit_web_view_load_uri(m_view, url.c_str());
    }
    void Move(const Rect& rect, bool) override {
        if (!HasWindow()) return;
        gtk_fixed_move(GTK_FIXED(m_host), GTK_WIDGET(m_view), rect.left, rect.top);
        gtk_widget_set_size_request(GTK_WIDGET(m_view), std::max(rect.Width(), 1), std::max(rect.Height(), 1));
    }
    std::uintptr_t TopLevelDocument() override { return m_document; }
    std::uint32_t Advise(std::uintptr_t document) override {
        if (document != m_document || !m_view) return 0;
        Run("window.__xinghe && window.__xinghe.connect();");
        return ++m_lastCookie;
    }
    void Unadvise(std::uintptr_t document, std::uint32_t) override {
        // A document that was replaced took its listener with it.
        if (document == m_document && m_view) Run("window.__xinghe && window.__xinghe.disconnect();");
    }

private:
    void Run(const char* script) {
        webkit_web_view_evaluate_javascript(m_view, script, -1, nullptr, nullptr, nullptr, nullptr, nullptr);
    }

    void Release() {
        if (m_content) {
            g_signal_handlers_disconnect_by_data(m_content, this);
            g_object_unref(m_content);
            m_content = nullptr;
        }
        if (m_view) {
            g_signal_handlers_disconnect_by_data(m_view, this);
            g_object_unref(m_view);
            m_view = nullptr;
        }
    }

    static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self) {
        auto* me = static_cast<WebKitGameBrowser*>(self);
        if (event == WEBKIT_LOAD_COMMITTED) ++me->m_document;  // a new top-level document
        if (event != WEBKIT_LOAD_FINISHED || !*me->m_owner) return;
        const char* uri = webkit_web_view_get_uri(view);
        (*me->m_owner)->OnDocumentComplete(uri ? uri : "");
    }

    static void OnScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer self) {
        auto* me = static_cast<WebKitGameBrowser*>(self);
        if (!*me->m_owner) return;
        (*me->m_owner)->EventHandler().OnHtmlClick(ReadChain(webkit_javascript_result_get_js_value(result)));
    }

    // New windows of the page open as windows of their own, outside the game window.
    static GtkWidget* OnCreateWindow(WebKitWebView* view, WebKitNavigationAction*, gpointer) {
        GtkWidget* popup = webkit_web_view_new_with_related_view(view);
        GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(window), 1000, 700);
        gtk_container_add(GTK_CONTAINER(window), popup);
        g_signal_connect_swapped(popup, "ready-to-show", G_CALLBACK(gtk_widget_show_all), window);
        g_signal_connect_swapped(popup, "close", G_CALLBACK(gtk_widget_destroy), window);
        return popup;
    }

    GtkWidget* m_host;
    CMyHtmlView** m_owner;
    WebKitUserContentManager* m_content = nullptr;
    WebKitWebView* m_view = nullptr;
    std::uintptr_t m_document = 0;
    std::uint32_t m_lastCookie = 0;
};

// The dialog's view pointer, for the engine's callbacks while the view exists.
CMyHtmlView* g_currentView = nullptr;
// The process's one game window.
LinuxGameWindow* g_gameWindow = nullptr;

GameKey GameKeyOf(guint keyval) {
    switch (keyval) {
        case GDK_KEY_Escape: return GameKey::Escape;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter: return GameKey::Enter;
        case GDK_KEY_F5: return GameKey::F5;
        default: return GameKey::Other;
    }
}

}  // namespace

LinuxGameWindow::LinuxGameWindow() {
    m_window = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    g_object_ref_sink(m_window);
    gtk_window_set_decorated(m_window, FALSE);
    gtk_window_set_skip_taskbar_hint(m_window, TRUE);
    m_fixed = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(m_window), m_fixed);
    gtk_widget_show(m_fixed);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(OnDelete), this);
    // The frame's window takes ours with it when its process ends; the watchdog ends this
    // process after that, and until then the window is simply gone.
    g_signal_connect(m_window, "destroy-event", G_CALLBACK(OnDelete), this);
    // Requests about a window that went with its parent fail; they must not end the process.
    gdk_x11_display_error_trap_push(gdk_display_get_default());
    gtk_widget_realize(GTK_WIDGET(m_window));
    gdk_window_add_filter(gtk_widget_get_window(GTK_WIDGET(m_window)), OnXEvent, this);
}

LinuxGameWindow::~LinuxGameWindow() {
    gdk_event_handler_set([](GdkEvent* event, gpointer) { gtk_main_do_event(event); }, nullptr, nullptr);
    if (GdkWindow* gw = gtk_widget_get_window(GTK_WIDGET(m_window))) gdk_window_remove_filter(gw, OnXEvent, this);
    g_signal_handlers_disconnect_by_data(m_window, this);
    g_object_unref(m_window);
}

void LinuxGameWindow::Create(CGameWndDlg& dialog) {
    m_dialog = &dialog;
    // Every event of the process passes here before GTK dispatches it, as messages pass
    // the dialog's PreTranslateMessage.
    gdk_event_handler_set(OnEvent, this, nullptr);
    dialog.OnInitDialog();
    g_currentView = dialog.View();
    Show();
    // The game takes the keyboard from the frame it was started from.
    GdkDisplay* gd = gdk_display_get_default();
    gdk_x11_display_error_trap_push(gd);
    XSetInputFocus(GdkXDisplay(), gdk_x11_window_get_xid(gtk_widget_get_window(GTK_WIDGET(m_window))),
                   RevertToParent, CurrentTime);
    gdk_x11_display_error_trap_pop_ignored(gd);
}

WindowId LinuxGameWindow::Handle() {
    return ToWindowId(gdk_x11_window_get_xid(gtk_widget_get_window(GTK_WIDGET(m_window))));
}

std::unique_ptr<IHtmlBrowser> LinuxGameWindow::MakeBrowser() {
    // The page must see the login's session.
    ImportSessionCookies();
    // The engine answers the added cookies before its network side applies them; a read
    // of the store after them is the round trip that makes the first page load see them.
    struct Wait {
        GList* cookies = nullptr;
        bool done = false;
    } wait;
    webkit_cookie_manager_get_cookies(
        webkit_web_context_get_cookie_manager(SharedWebContext()), "http://127.0.0.1/", nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* w = static_cast<Wait*>(data);
            w->cookies = webkit_cookie_manager_get_cookies_finish(WEBKIT_COOKIE_MANAGER(source), result, nullptr);
            w->done = true;
        },
        &wait);
    while (!wait.done) g_main_context_iteration(nullptr, TRUE);
    g_list_free_full(wait.cookies, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
    return std::make_unique<WebKitGameBrowser>(m_fixed, &g_currentView);
}

std::optional<Rect> LinuxGameWindow::FrameClientRect(WindowId frame) {
    return ClientRectOf(GdkXDisplay(), ToXWindow(frame));
}

void LinuxGameWindow::MoveWindow(const Rect& rect, bool) {
    m_rect = rect;
    const int w = std::max(rect.Width(), 1), h = std::max(rect.Height(), 1);
    gtk_window_resize(m_window, w, h);
    Display* display = GdkXDisplay();
    GdkDisplay* gd = gdk_display_get_default();
    // In the parent's coordinates; GTK would place a top-level window for a window manager.
    gdk_x11_display_error_trap_push(gd);
    XMoveResizeWindow(display, gdk_x11_window_get_xid(gtk_widget_get_window(GTK_WIDGET(m_window))), rect.left,
                      rect.top, static_cast<unsigned>(w), static_cast<unsigned>(h));
    XFlush(display);
    gdk_x11_display_error_trap_pop_ignored(gd);
    if (m_dialog) m_dialog->OnSize();
}

Rect LinuxGameWindow::ClientRect() { return {0, 0, m_rect.Width(), m_rect.Height()}; }

void LinuxGameWindow::SetParent(WindowId frame) {
    m_parent = ToXWindow(frame);
    Display* display = GdkXDisplay();
    GdkDisplay* gd = gdk_display_get_default();
    gdk_x11_display_error_trap_push(gd);
    XReparentWindow(display, gdk_x11_window_get_xid(gtk_widget_get_window(GTK_WIDGET(m_window))), m_parent,
                    m_rect.left, m_rect.top);
    XSync(display, False);
    gdk_x11_display_error_trap_pop_ignored(gd);
}

void LinuxGameWindow::SendToFrame(WindowId frame, unsigned message, long wParam) {
    SendWindowMessage(GdkXDisplay(), ToXWindow(frame), {message, wParam, 0});
}

bool LinuxGameWindow::IsVisible() { return gtk_widget_get_visible(GTK_WIDGET(m_window)); }

void LinuxGameWindow::Show() {
    gtk_widget_show(GTK_WIDGET(m_window));
    // GTK places a top-level window where it last asked the window manager to; in the
    // frame only our own coordinates count.
    MoveWindow(m_rect, false);
}

void LinuxGameWindow::PostQuit(int code) {
    m_exitCode = code;
    g_currentView = nullptr;
    g_idle_add(
        [](gpointer) -> gboolean {
            if (gtk_main_level() > 0) gtk_main_quit();
            return G_SOURCE_REMOVE;
        },
        nullptr);
}

void LinuxGameWindow::StartWatchdog() {
    const Window frame = m_parent ? m_parent : ToXWindow(m_dialog ? m_dialog->FrameWindow() : 0);
    std::thread([frame] {
        WindowProbe probe;
        WatchdogActions actions;
        actions.frameExists = [&probe, frame] { return probe.Exists(frame); };
        actions.postClose = [] {
            // WM_CLOSE to the game window, handled on its own thread.
            g_idle_add(
                [](gpointer) -> gboolean {
                    if (g_gameWindow && g_gameWindow->Dialog()) g_gameWindow->Dialog()->OnClose();
                    return G_SOURCE_REMOVE;
                },
                nullptr);
        };
        actions.endProcess = [] { ports().process->Exit(0); };
        FrameWatchdogThread(*ports().clock, actions);
    }).detach();
}

GdkFilterReturn LinuxGameWindow::OnXEvent(GdkXEvent* xevent, GdkEvent*, gpointer self) {
    auto* me = static_cast<LinuxGameWindow*>(self);
    const auto message = ReadWindowMessage(GdkXDisplay(), *static_cast<XEvent*>(xevent));
    if (!message) return GDK_FILTER_CONTINUE;
    if (!me->m_dialog) return GDK_FILTER_REMOVE;
    switch (message->message) {
        case WM_GAMEWND_FIT: me->m_dialog->OnFit(message->wParam); break;
        case WM_GAMEWND_RELOAD: me->m_dialog->OnReload(); break;
        case kWmClose: me->m_dialog->OnClose(); break;
        default: HandleCacheRequest(*message); break;  // the frame's cache cleaning
    }
    return GDK_FILTER_REMOVE;
}

void LinuxGameWindow::OnEvent(GdkEvent* event, gpointer self) {
    auto* me = static_cast<LinuxGameWindow*>(self);
    GdkWindow* ours = gtk_widget_get_window(GTK_WIDGET(me->m_window));
    const bool inGameWindow = event->any.window && gdk_window_get_toplevel(event->any.window) == ours;
    if (inGameWindow && me->m_dialog) {
        if (event->type == GDK_KEY_PRESS) {
            if (me->m_dialog->PreTranslateKeyDown(GameKeyOf(event->key.keyval)) == KeyRoute::Consumed) return;
        } else if (event->type == GDK_BUTTON_PRESS || event->type == GDK_BUTTON_RELEASE) {
            // No window manager gives a window inside another program's window the keyboard:
            // a click takes it, as it would in a child window. Taken again when the button
            // comes up: the window manager focuses the frame on the same press, and on a busy
            // machine its request may reach the server after ours.
            GdkDisplay* gd = gdk_display_get_default();
            gdk_x11_display_error_trap_push(gd);
            XSetInputFocus(GdkXDisplay(), gdk_x11_window_get_xid(ours), RevertToParent, CurrentTime);
            gdk_x11_display_error_trap_pop_ignored(gd);
        }
    }
    gtk_main_do_event(event);
}

gboolean LinuxGameWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer) { return TRUE; }

bool CreateGameWindow(WindowId frame, const std::string& gameUrl) {
    // A frame that is already gone leaves nothing to host the game in: end at once.
    if (!ClientRectOf(GdkXDisplay(), ToXWindow(frame))) return false;
    // Both live until the process ends, as the framework's main window does.
    g_gameWindow = new LinuxGameWindow();
    auto* dialog = new CGameWndDlg(*g_gameWindow, frame, gameUrl, WriteDebugOutput);
    g_gameWindow->Create(*dialog);
    return true;
}

int RunGameMessageLoop() {
    gtk_main();
    return g_gameWindow ? g_gameWindow->ExitCode() : 0;
}

}  // namespace xh::linuxport
