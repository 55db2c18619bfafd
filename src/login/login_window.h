#pragma once
// The skinned login window: one large picture with per-pixel alpha, the pop-up with the
// web login form glued over it, and the captured game URL when it ends.
#include <functional>
#include <memory>
#include <string>

#include "login/login_popup.h"

namespace xh {

struct LoginLayout {
    static constexpr int kBackgroundPng = 319;
    // The version text's layout box relative to the client size.
    static Rect VersionTextRect(int clientWidth, int clientHeight) {
        return {clientWidth - 60, clientHeight - 33, clientWidth - 60 + 200, clientHeight - 33 + 31};
    }
    static constexpr unsigned kVersionColor = 0xFFCBAE5B;  // ARGB
};

class ILoginWindowView {
public:
    virtual ~ILoginWindowView() = default;
    virtual void SetTitle(const std::string& title) = 0;
    // Loads the background picture; false when it is missing or cannot be decoded.
    virtual bool LoadBackground(int& width, int& height) = 0;
    // Hands the picture once to the platform as the window's per-pixel-alpha content.
    virtual void ApplyLayeredBackground() = 0;
    virtual void CenterOnScreen() = 0;
    virtual Rect ScreenRect() const = 0;
    virtual void Minimize() = 0;
    virtual ILoginPopupView& CreatePopupView() = 0;
    virtual void EndModal(int result) = 0;
};

struct LoginHooks {
    std::function<void()> runUpdateCheck;
    std::function<void()> runFirstStartInstall;
    std::function<std::string()> versionText;  // the running program's version text
};

class CVidaveLogin {
public:
    CVidaveLogin(ILoginWindowView& view, LoginHooks hooks);
    ~CVidaveLogin();

    void OnInitDialog();
    void OnWindowPosChanged();
    // SC_CLOSE (Alt+F4, the taskbar's close): ask; a declined exit changes nothing.
    void OnSysClose() { ConfirmLauncherExit(); }
    // Enter, Escape and the close that turns into Cancel do nothing.
    void OnOK() {}
    void OnCancel() {}
    // The version text and its layout box for a client area of that size.
    std::string VersionText() const { return m_hooks.versionText ? m_hooks.versionText() : std::string(); }

    std::string GetGameUrl() const { return m_strGameUrl; }
    void MinimizeWindow() { m_view.Minimize(); }
    // From the pop-up: the capture is done.
    void FinishWithGameUrl(const std::string& url);

    CLoginPopupDlg* Popup() { return m_pPopup.get(); }
    unsigned BackWidth() const { return m_nBackWidth; }
    unsigned BackHeight() const { return m_nBackHeight; }

private:
    ILoginWindowView& m_view;
    LoginHooks m_hooks;
    std::string m_strGameUrl;
    std::unique_ptr<CLoginPopupDlg> m_pPopup;
    unsigned m_nBackWidth = 0;
    unsigned m_nBackHeight = 0;
};

}  // namespace xh
