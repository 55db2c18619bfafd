#pragma once
// The browser control of the Linux backend: a WebKitGTK view placed in a GtkFixed of its
// host window. Navigation decisions of the page and of its frames stand for BeforeNavigate2
// (ignoring the decision cancels), a finished load for DocumentComplete.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <string>

#include "login/web_browser.h"

namespace xh::linuxport {

// One web context per process, with cookies and cache under the data folder.
WebKitWebContext* SharedWebContext();
// Where the login hands its cookies to the game process.
std::string WebDataFolder();
std::string SessionCookieFile();

class WebKitBrowserControl final : public IBrowserControl {
public:
    explicit WebKitBrowserControl(GtkFixed* host);
    ~WebKitBrowserControl() override;

    bool Exists() const override { return m_view != nullptr; }
    bool Activate(const Rect& rect, IBrowserEvents& events) override;
    bool Navigate(const std::string& url) override;
    bool Place(const Rect& rect) override;
    Rect HostClientRect() const override;

    WebKitWebView* View() const { return m_view; }

private:
    static gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision*, WebKitPolicyDecisionType, gpointer self);
    static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent, gpointer self);

    GtkFixed* m_host;
    WebKitWebView* m_view = nullptr;
    IBrowserEvents* m_events = nullptr;
};

// Writes the cookies the engine holds for `url` (session cookies included) to the hand-over
// file, waiting for the engine's answer. The game process reads them back.
void ExportSessionCookies(const std::string& url);
// Adds the handed-over cookies to this process's engine.
void ImportSessionCookies();

}  // namespace xh::linuxport
