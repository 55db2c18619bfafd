// Runs the login window modally for the GUI check under Wine, without the update check and
// the first-start installation. Prints, once both windows are up:
//   login <left> <top> <width> <height>
//   popup <left> <top> <width> <height>
// and, when the login ends with a captured URL, "url <text>"; the exit status is 0 then.
// A confirmed exit question ends the process with 0 from inside the login.
#include "win32/windows_api.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>

#include "controls/question_box.h"
#include "platform/backend.h"
#include "platform/ports.h"
#include "win32/login_view.h"
#include "win32/wide.h"

namespace {

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// The skinned question box, whatever the installed ports ask with.
class MessageBoxPrompt final : public xh::IQuestionPrompt {
public:
    int Ask(const std::string& title, const std::string& message) override { return xh::ShowQuestionBox(title, message); }
};

std::string Geometry(const char* name, HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return std::string(name) + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
}

struct Found {
    HWND login = nullptr, popup = nullptr;
};

BOOL CALLBACK FindPopup(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<Found*>(data);
    if (window != found->login && ::GetWindow(window, GW_OWNER) == found->login && ::IsWindowVisible(window)) {
        found->popup = window;
        return FALSE;
    }
    return TRUE;
}

UINT_PTR g_timer = 0;

void CALLBACK ReportWindows(HWND, UINT, UINT_PTR, DWORD) {
    Found found;
    found.login = ::FindWindowW(nullptr, xh::win32::Widen("星河登录器").c_str());
    if (!found.login || !::IsWindowVisible(found.login)) return;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindPopup, reinterpret_cast<LPARAM>(&found));
    if (!found.popup) return;
    ::KillTimer(nullptr, g_timer);
    Say(Geometry("login", found.login));
    Say(Geometry("popup", found.popup));
}

}  // namespace

int wmain() {
    xh::InstallBackendPorts();
    static MessageBoxPrompt prompt;
    xh::ports().prompt = &prompt;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    g_timer = ::SetTimer(nullptr, 0, 100, &ReportWindows);
    const std::string url = xh::win32::RunLoginWindow(
        xh::LoginHooks{nullptr, nullptr, [] { return std::string("1.0.1.0"); }});
    Say("url " + url);
    Gdiplus::GdiplusShutdown(token);
    return url.empty() ? 1 : 0;
}
