#pragma once
// Win32 views of the login window (template 103, a layered window over PNG 319) and its
// pop-up with the web login form (template 1015).
#include "win32/windows_api.h"

#include <memory>
#include <string>

#include "login/login_window.h"
#include "win32/browser_site.h"
#include "win32/controls_touch_button.h"

namespace xh::win32port {

// Runs the login window modally with the update check and the first-start installation
// wired in; the captured game URL. Called from the frame's initialisation.
std::string RunLoginModal();

}  // namespace xh::win32port

namespace xh::win32 {

// The login with the given hooks (probes leave out the installation and the update check).
std::string RunLoginWindow(LoginHooks hooks);

struct WindowTraits {
    using Handle = HWND;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) {
        if (::IsWindow(h)) ::DestroyWindow(h);
    }
};
using ScopedWindow = UniqueHandle<WindowTraits>;

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};
using ScopedGdiObject = UniqueHandle<GdiObjectTraits>;

class Win32LoginPopupView final : public ILoginPopupView {
public:
    explicit Win32LoginPopupView(HWND owner) : m_owner(owner) {}
    ~Win32LoginPopupView() override = default;
    Win32LoginPopupView(const Win32LoginPopupView&) = delete;
    Win32LoginPopupView& operator=(const Win32LoginPopupView&) = delete;

    void Bind(CLoginPopupDlg* presenter) { m_presenter = presenter; }
    void Initialize() override;
    std::unique_ptr<IBrowserControl> CreateBrowserControl() override;
    void MoveTo(const Rect& screenRect) override;
    bool IsVisible() const override;
    void Show() override;

    // The pop-up's share of the modal loop's pre-translation (messages of the pop-up and of
    // its child windows); true when the message was dealt with.
    bool PreTranslateMessage(MSG& msg);
    bool Owns(HWND window) const;
    HWND GetSafeHwnd() const { return m_hWnd.get(); }

private:
    BOOL OnInitDialog();
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Dispatch(MSG& msg);

    HWND m_owner;
    ScopedWindow m_hWnd;
    CLoginPopupDlg* m_presenter = nullptr;
    CBrowserSite* m_site = nullptr;  // owned by the web form
    CTouchButton m_btnMinimize;
    CTouchButton m_btnClose;
    ScopedGdiObject m_brBack;
};

class Win32LoginWindow final : public ILoginWindowView {
public:
    Win32LoginWindow() = default;
    ~Win32LoginWindow() override;
    Win32LoginWindow(const Win32LoginWindow&) = delete;
    Win32LoginWindow& operator=(const Win32LoginWindow&) = delete;

    // Creates the window, runs its message loop until EndModal and hides it again; the
    // captured game URL. The windows go when this object goes, after the presenter.
    std::string DoModal(CVidaveLogin& login);

    void SetTitle(const std::string& title) override;
    bool LoadBackground(int& width, int& height) override;
    void ApplyLayeredBackground() override;
    void CenterOnScreen() override;
    Rect ScreenRect() const override;
    void Minimize() override;
    ILoginPopupView& CreatePopupView() override;
    void EndModal(int result) override;

    HWND GetSafeHwnd() const { return m_hWnd.get(); }

private:
    bool PreTranslateMessage(MSG& msg);
    void OnPaint();
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    ScopedWindow m_hWnd;
    Gdiplus::Image* m_pBackImage = nullptr;  // kept by the picture cache
    std::unique_ptr<Win32LoginPopupView> m_popup;
    CVidaveLogin* m_login = nullptr;
    bool m_ended = false;
};

}  // namespace xh::win32
