#include "linux/web_view.h"

#include <libsoup/soup.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "settings/settings.h"

namespace xh::linuxport {
namespace {

void MakeFolders(const std::string& path) {
    std::string partial;
    std::stringstream parts(path);
    std::string piece;
    while (std::getline(parts, piece, '/')) {
        if (piece.empty()) continue;
        partial += "/" + piece;
        ::mkdir(partial.c_str(), 0700);
    }
}

}  // namespace

std::string WebDataFolder() { return GetDataFolder() + "web"; }
std::string SessionCookieFile() { return WebDataFolder() + "/session-cookies.txt"; }

WebKitWebContext* SharedWebContext() {
    static WebKitWebContext* context = [] {
        const std::string base = WebDataFolder();
        MakeFolders(base + "/data");
        MakeFolders(base + "/cache");
        WebKitWebsiteDataManager* data = webkit_website_data_manager_new(
            "base-data-directory", (base + "/data").c_str(), "base-cache-directory", (base + "/cache").c_str(),
            nullptr);
        WebKitWebContext* ctx = webkit_web_context_new_with_website_data_manager(data);
        g_object_unref(data);
        webkit_cookie_manager_set_persistent_storage(webkit_web_context_get_cookie_manager(ctx),
                                                     (base + "/cookies.sqlite").c_str(),
                                                     WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
        return ctx;
    }();
    return context;
}

WebKitBrowserControl::WebKitBrowserControl(GtkFixed* host) : m_host(host) {
    m_view = WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(SharedWebContext()));
    g_object_ref_sink(m_view);
}

WebKitBrowserControl::~WebKitBrowserControl() {
    if (m_view) {
        g_signal_handlers_disconnect_by_data(m_view, this);
        g_object_unref(m_view);
    }
}

bool WebKitBrowserControl::Activate(const Rect& rect, IBrowserEvents& events) {
    m_events = &events;
    g_signal_connect(m_view, "decide-policy", G_CALLBACK(OnDecidePolicy), this);
    g_signal_connect(m_view, "load-changed", G_CALLBACK(OnLoadChanged), this);
    gtk_fixed_put(m_host, GTK_WIDGET(m_view), rect.left, rect.top);
    return Place(rect);
}

bool WebKitBrowserControl::Navigate(const std::string& url) {
    webkit_web_view_load_uri(m_view, url.c_str());
    return true;
}

bool WebKitBrowserControl::Place(const Rect& rect) {
    GtkWidget* w = GTK_WIDGET(m_view);
    if (gtk_widget_get_parent(w) != GTK_WIDGET(m_host)) return true;
    if (rect.IsEmpty()) {
        // Shrunk to nothing: the page keeps loading while it cannot be seen.
        gtk_widget_hide(w);
        return true;
    }
    gtk_fixed_move(m_host, w, rect.left, rect.top);
    gtk_widget_set_size_request(w, rect.Width(), rect.Height());
    const bool appearing = !gtk_widget_get_visible(w);
    gtk_widget_show(w);
    // A page that appears takes the keyboard, so its autofocused field can be typed in at once.
    if (appearing) gtk_widget_grab_focus(w);
    return true;
}

Rect WebKitBrowserControl::HostClientRect() const {
    GtkAllocation a{};
    gtk_widget_get_allocation(GTK_WIDGET(m_host), &a);
    return {0, 0, a.width, a.height};
}

gboolean WebKitBrowserControl::OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                              WebKitPolicyDecisionType type, gpointer self) {
    auto* me = static_cast<WebKitBrowserControl*>(self);
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
        return FALSE;
    }
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    bool cancel = false;
    if (me->m_events && uri) me->m_events->BeforeNavigate(uri, cancel);
    if (cancel) {
        webkit_policy_decision_ignore(decision);
        return TRUE;
    }
    return FALSE;
}

void WebKitBrowserControl::OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self) {
    auto* me = static_cast<WebKitBrowserControl*>(self);
    if (event != WEBKIT_LOAD_FINISHED || !me->m_events) return;
    const char* uri = webkit_web_view_get_uri(view);
    me->m_events->DocumentComplete(uri ? uri : "");
}

namespace {

struct CookieWait {
    GList* cookies = nullptr;
    bool done = false;
};

void OnCookies(GObject* source, GAsyncResult* result, gpointer data) {
    auto* wait = static_cast<CookieWait*>(data);
    wait->cookies = webkit_cookie_manager_get_cookies_finish(WEBKIT_COOKIE_MANAGER(source), result, nullptr);
    wait->done = true;
}

}  // namespace

void ExportSessionCookies(const std::string& url) {
    WebKitCookieManager* manager = webkit_web_context_get_cookie_manager(SharedWebContext());
    CookieWait wait;
    webkit_cookie_manager_get_cookies(manager, url.c_str(), nullptr, OnCookies, &wait);
    while (!wait.done) g_main_context_iteration(nullptr, TRUE);
    const std::string path = SessionCookieFile();
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        for (GList* l = wait.cookies; l; l = l->next) {
            auto* cookie = static_cast<SoupCookie*>(l->data);
            char* header = soup_cookie_to_set_cookie_header(cookie);
            // One Set-Cookie line per cookie, with the domain it belongs to.
            out << soup_cookie_get_domain(cookie) << '\t' << header << '\n';
            g_free(header);
        }
    }
    ::chmod(temp.c_str(), 0600);
    std::rename(temp.c_str(), path.c_str());
    g_list_free_full(wait.cookies, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
}

void ImportSessionCookies() {
    std::ifstream in(SessionCookieFile(), std::ios::binary);
    WebKitCookieManager* manager = webkit_web_context_get_cookie_manager(SharedWebContext());
    std::string line;
    int pending = 0;
    while (std::getline(in, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        const std::string domain = line.substr(0, tab);
        const std::string host = domain.empty() || domain[0] != '.' ? domain : domain.substr(1);
        GUri* origin = g_uri_build(G_URI_FLAGS_NONE, "http", nullptr, host.c_str(), -1, "/", nullptr, nullptr);
        SoupCookie* cookie = soup_cookie_parse(line.c_str() + tab + 1, origin);
        g_uri_unref(origin);
        if (!cookie) continue;
        ++pending;
        webkit_cookie_manager_add_cookie(
            manager, cookie, nullptr,
            [](GObject* src, GAsyncResult* res, gpointer data) {
                webkit_cookie_manager_add_cookie_finish(WEBKIT_COOKIE_MANAGER(src), res, nullptr);
                --*static_cast<int*>(data);
            },
            &pending);
        soup_cookie_free(cookie);
    }
    while (pending > 0) g_main_context_iteration(nullptr, TRUE);
}

}  // namespace xh::linuxport
