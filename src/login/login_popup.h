#pragma once
// The pop-up over the login window's artwork that holds the platform's login page, and
// the capture of the game URL from its navigations.
#include <functional>
#include <memory>
#include <string>

#include "login/web_browser.h"

namespace xh {

inline constexpr const char* kGameUrlMarker = "play_gamecode";
inline constexpr int kIdGameUrlNavigated = 10001;  // from the web form to its pop-up
inline constexpr int kIdPopupMinimize = 1016;
inline constexpr int kIdPopupClose = 1027;

// The URL of the login form's most recent navigation.
extern std::string g_strGameUrl;

// The exit question of both login windows (asked through the question prompt port);
// a confirmed exit ends the process with 0.
void ConfirmLauncherExit();

class WebFormLogin final : public CWebBrowserBase {
public:
    // sendCommand delivers a command to the host window and returns once it was handled.
    WebFormLogin(std::unique_ptr<IBrowserControl> control, std::function<void(int)> sendCommand,
                 std::function<void()> runUpdateCheck);

    void OnBeforeNavigate2(const std::string& url, bool& cancel) override;
    void OnDocumentComplete(const std::string& url) override;

    bool FirstDocumentDone() const { return m_bFirstDocDone != 0; }

private:
    std::function<void(int)> m_sendCommand;  // empty when there is no host window
    std::function<void()> m_runUpdateCheck;
    int m_bFirstDocDone = 0;
};

// What the pop-up does to its own key-down messages.
enum class PopupKeyAction {
    Default,         // the dialog's own pre-translation
    ToFocusedWindow, // straight to the focused window (the page), past the dialog manager
    ToPage,          // handed to the page's accelerator handling
    Swallow,         // neither translated nor dispatched
};
PopupKeyAction ClassifyPopupKey(unsigned virtualKey, bool controlHeld);

struct PopupLayout {
    static constexpr int kWidth = 695, kHeight = 500;
    static constexpr Point kOffsetInLogin{538, 114};
    static constexpr Rect kPageRect{0, 42, 645, 500};
    static constexpr Rect kMinimizeButton{695 - 65, 0, 695 - 65 + 29, 29};
    static constexpr Rect kCloseButton{695 - 28, 10, 695 - 28 + 30, 40};
    static constexpr int kMinimizeImages[3] = {320, 321, 322};
    static constexpr int kCloseImages[3] = {323, 324, 325};
    static constexpr int kBackgroundBitmap = 318;
};

class ILoginPopupView {
public:
    virtual ~ILoginPopupView() = default;
    // Sizes the window, sets up its transparent colour key, background pattern and buttons.
    virtual void Initialize() = 0;
    virtual std::unique_ptr<IBrowserControl> CreateBrowserControl() = 0;
    virtual void MoveTo(const Rect& screenRect) = 0;
    virtual bool IsVisible() const = 0;
    virtual void Show() = 0;
};

class CVidaveLogin;

class CLoginPopupDlg {
public:
    CLoginPopupDlg(CVidaveLogin* login, ILoginPopupView& view, std::function<void()> runUpdateCheck);

    void OnInitDialog();
    void FollowLogin(const Rect& loginScreenRect);
    void OnCommand(int id);
    void OnSysClose() { ConfirmLauncherExit(); }
    PopupKeyAction OnKeyDown(unsigned virtualKey, bool controlHeld) const {
        return ClassifyPopupKey(virtualKey, controlHeld);
    }

    WebFormLogin* WebForm() { return m_pWebForm.get(); }

private:
    void OnGameUrlCaptured();

    CVidaveLogin* m_pLogin;
    ILoginPopupView& m_view;
    std::function<void()> m_runUpdateCheck;
    std::unique_ptr<WebFormLogin> m_pWebForm;
};

}  // namespace xh
