// The Windows login window and its pop-up as real windows of this process, run modally the
// way the frame runs them: only the capture of a game URL ends the run; Enter, Escape, the
// close requests and the exit questions declined leave it running.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "login/login_window.h"
#include "platform/ports.h"
#include "win32/login_view.h"

namespace xh {
namespace {

using win32::Win32LoginWindow;

class CountingPrompt final : public IQuestionPrompt {
public:
    int Ask(const std::string& title, const std::string& message) override {
        asked.push_back(title + "|" + message);
        return 2;  // IDCANCEL
    }
    std::vector<std::string> asked;
};

// Steps run one per tick of a thread timer while the modal loop runs.
class Script {
public:
    static Script* current;
    std::vector<std::function<void()>> steps;
    std::size_t next = 0;
    std::function<void()> giveUp;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Script* s = current;
        if (!s) return;
        if (s->next < s->steps.size()) {
            s->steps[s->next++]();
        } else if (++s->idle > 200 && s->giveUp) {
            s->giveUp();  // the run should have ended by now
        }
    }

private:
    int idle = 0;
};
Script* Script::current = nullptr;

Rect WindowRect(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

struct PopupSearch {
    HWND owner, found;
};

BOOL CALLBACK MatchOwned(HWND w, LPARAM data) {
    auto* s = reinterpret_cast<PopupSearch*>(data);
    if (::GetWindow(w, GW_OWNER) != s->owner) return TRUE;
    s->found = w;
    return FALSE;
}

HWND OwnedPopup(HWND owner) {
    PopupSearch search{owner, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &MatchOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The browser control's own window inside the pop-up, in client coordinates.
Rect ControlRect(HWND popup) {
    HWND child = ::FindWindowExW(popup, nullptr, L"Shell Embedding", nullptr);
    if (!child) return {-1, -1, -1, -1};
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, popup, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

// DocumentComplete as the control raises it: the URL by reference in argument 0.
void CompleteDocument(win32::CBrowserSite& site, const std::wstring& url) {
    VARIANT text;
    ::VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = ::SysAllocString(url.c_str());
    VARIANT args[2];
    ::VariantInit(&args[1]);
    ::VariantInit(&args[0]);
    args[0].vt = VT_BYREF | VT_VARIANT;
    args[0].pvarVal = &text;
    DISPPARAMS params{args, nullptr, 2, 0};
    static_cast<IDispatch&>(site).Invoke(win32::kDispidDocumentComplete, IID_NULL, 0, DISPATCH_METHOD, &params,
                                         nullptr, nullptr, nullptr);
    ::VariantClear(&text);
}

TEST(Win32LoginWindowTest, OnlyTheCaptureEndsTheModalRun) {
    CountingPrompt prompt;
    Ports replaced = ports();
    replaced.prompt = &prompt;
    ScopedPorts scoped(replaced);

    int installs = 0, updateChecks = 0;
    Win32LoginWindow window;
    CVidaveLogin login(window, LoginHooks{[&] { ++updateChecks; }, [&] { ++installs; },
                                          [] { return std::string("1.0.1.0"); }});
    const std::string plain = "http://127.0.0.1:9/dlq/next.html";
    const std::string game = "http://127.0.0.1:9/start?play_gamecode=xhvx&svname=%E4%B8%80";

    HWND loginWindow = nullptr, popup = nullptr;
    bool hasControl = false;
    Rect pageBeforeLoad{-1, -1, -1, -1}, pageAfterLoad{-1, -1, -1, -1};
    Rect popupAtStart, popupAfterMove;
    bool iconicAfterMinimise = false, popupHiddenWhileIconic = false;
    Script script;
    script.giveUp = [&] { window.EndModal(1); };
    script.steps = {
        [&] {
            loginWindow = window.GetSafeHwnd();
            popup = OwnedPopup(loginWindow);
            popupAtStart = popup ? WindowRect(popup) : Rect{};
            hasControl = login.Popup() && login.Popup()->WebForm() && login.Popup()->WebForm()->Control()->Exists();
            // None of these ends the login.
            ::PostMessageW(loginWindow, WM_KEYDOWN, VK_RETURN, 0);
            ::PostMessageW(loginWindow, WM_KEYDOWN, VK_ESCAPE, 0);
            ::PostMessageW(loginWindow, WM_COMMAND, IDOK, 0);
            ::PostMessageW(loginWindow, WM_COMMAND, IDCANCEL, 0);
            ::PostMessageW(loginWindow, WM_CLOSE, 0, 0);
            ::PostMessageW(loginWindow, WM_SYSCOMMAND, SC_CLOSE, 0);            // asks
            ::PostMessageW(popup, WM_SYSCOMMAND, SC_CLOSE, 0);                  // asks
            ::PostMessageW(popup, WM_COMMAND, MAKEWPARAM(kIdPopupClose, BN_CLICKED), 0);  // asks
            ::PostMessageW(popup, WM_COMMAND, IDCANCEL, 0);
            g_strGameUrl = plain;
            ::SendMessageW(popup, WM_COMMAND, kIdGameUrlNavigated, 0);  // no marker: nothing
        },
        [&] {
            // Space never reaches the pop-up's buttons (a push and release would click
            // "close" and ask again); Escape closes nothing.
            HWND closeButton = ::GetDlgItem(popup, kIdPopupClose);
            ::PostMessageW(closeButton, WM_KEYDOWN, VK_SPACE, 0x00390001);
            ::PostMessageW(closeButton, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
            ::PostMessageW(closeButton, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        },
        [&] { ::SetWindowPos(loginWindow, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER); },
        [&] { popupAfterMove = WindowRect(popup); },
        [&] { ::PostMessageW(popup, WM_COMMAND, MAKEWPARAM(kIdPopupMinimize, BN_CLICKED), 0); },
        [&] {
            iconicAfterMinimise = ::IsIconic(loginWindow) != 0;
            const Rect r = WindowRect(popup);
            popupHiddenWhileIconic = !::IsWindowVisible(popup) || r.left < -1000 || r.top < -1000;
            ::ShowWindow(loginWindow, SW_RESTORE);
        },
        [&] {
            // The page and two frames complete (Wine has no engine to load them itself).
            if (!hasControl) return;
            pageBeforeLoad = ControlRect(popup);
            auto* site = dynamic_cast<win32::CBrowserSite*>(login.Popup()->WebForm()->Control());
            for (const wchar_t* url : {L"http://127.0.0.1:9/dlq/", L"http://127.0.0.1:9/a", L"http://127.0.0.1:9/b"}) {
                CompleteDocument(*site, url);
            }
            pageAfterLoad = ControlRect(popup);
        },
        [&] {
            if (hasControl) login.Popup()->WebForm()->Navigate(game);
        },
    };
    Script::current = &script;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &Script::Tick);
    const std::string url = window.DoModal(login);
    ::KillTimer(nullptr, timer);
    Script::current = nullptr;

    ASSERT_NE(loginWindow, nullptr);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(installs, 1);
    ASSERT_EQ(prompt.asked.size(), 3u);
    for (const std::string& asked : prompt.asked) EXPECT_EQ(asked, "关闭提示|是否退出《星河》登录器？");

    const Rect& login0 = popupAtStart;
    EXPECT_EQ(login0.Width(), PopupLayout::kWidth);
    EXPECT_EQ(login0.Height(), PopupLayout::kHeight);
    EXPECT_EQ(popupAfterMove, (Rect{40 + 538, 30 + 114, 40 + 538 + 695, 30 + 114 + 500}));
    EXPECT_TRUE(iconicAfterMinimise);
    EXPECT_TRUE(popupHiddenWhileIconic);

    if (!hasControl) GTEST_SKIP() << "no browser control: the page and the capture cannot be driven";
    EXPECT_TRUE(pageBeforeLoad.IsEmpty()) << "the page stays hidden until it has loaded";
    EXPECT_EQ(pageAfterLoad, PopupLayout::kPageRect);
    EXPECT_EQ(updateChecks, 1);
    EXPECT_EQ(url, game);
    EXPECT_EQ(login.GetGameUrl(), game);
    EXPECT_FALSE(::IsWindowVisible(loginWindow));
    EXPECT_FALSE(::IsWindowVisible(popup));
    g_strGameUrl.clear();
}

}  // namespace
}  // namespace xh
#endif
