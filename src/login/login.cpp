#include "app/profile.h"
#include "controls/control_types.h"
#include "login/login_popup.h"
#include "login/login_window.h"
#include "platform/ports.h"

namespace xh {

std::string g_strGameUrl;

void ConfirmLauncherExit() {
    (void)LoadProfileString(kIdsLauncherName);  // loaded, but the question has no place for it
    IQuestionPrompt* prompt = ports().prompt;
    if (prompt && prompt->Ask("关闭提示", "是否退出《星河》登录器？") == kIdOk) ports().process->Exit(0);
}

WebFormLogin::WebFormLogin(std::unique_ptr<IBrowserControl> control, std::function<void(int)> sendCommand,
                           std::function<void()> runUpdateCheck)
    : CWebBrowserBase(std::move(control)),
      m_sendCommand(std::move(sendCommand)),
      m_runUpdateCheck(std::move(runUpdateCheck)) {}

void WebFormLogin::OnBeforeNavigate2(const std::string& url, bool& cancel) {
    if (url.find(kGameUrlMarker) != std::string::npos) cancel = true;
    if (m_sendCommand) {
        g_strGameUrl = url;
        m_sendCommand(kIdGameUrlNavigated);
    }
}

void WebFormLogin::OnDocumentComplete(const std::string&) {
    if (m_bFirstDocDone == 0) {
        if (m_runUpdateCheck) m_runUpdateCheck();
        m_bFirstDocDone = 1;
    }
    SetWebRect(m_rcTarget);
}

PopupKeyAction ClassifyPopupKey(unsigned vk, bool controlHeld) {
    switch (vk) {
        case 13: return PopupKeyAction::ToFocusedWindow;
        case 9: return PopupKeyAction::ToPage;
        case 32:
        case 27: return PopupKeyAction::Swallow;
        case 65: case 67: case 86: case 88:
        case 97: case 99: case 118: case 120:
            return controlHeld ? PopupKeyAction::ToPage : PopupKeyAction::Default;
        default: return PopupKeyAction::Default;
    }
}

CLoginPopupDlg::CLoginPopupDlg(CVidaveLogin* login, ILoginPopupView& view, std::function<void()> runUpdateCheck)
    : m_pLogin(login), m_view(view), m_runUpdateCheck(std::move(runUpdateCheck)) {}

void CLoginPopupDlg::OnInitDialog() {
    m_view.Initialize();
    m_pWebForm = std::make_unique<WebFormLogin>(
        m_view.CreateBrowserControl(), [this](int id) { OnCommand(id); }, m_runUpdateCheck);
    m_pWebForm->CreateBrowser();
    m_pWebForm->m_rcTarget = PopupLayout::kPageRect;
    m_pWebForm->Navigate(LoadProfileString(kIdsLoginPage));
    m_pWebForm->SetWebRect(Rect{});  // hidden until its first page has loaded
}

void CLoginPopupDlg::FollowLogin(const Rect& login) {
    const int left = login.left + PopupLayout::kOffsetInLogin.x;
    const int top = login.top + PopupLayout::kOffsetInLogin.y;
    m_view.MoveTo({left, top, left + PopupLayout::kWidth, top + PopupLayout::kHeight});
    if (!m_view.IsVisible()) m_view.Show();
}

void CLoginPopupDlg::OnCommand(int id) {
    switch (id) {
        case kIdPopupMinimize:
            if (m_pLogin) m_pLogin->MinimizeWindow();
            break;
        case kIdPopupClose:
            ConfirmLauncherExit();
            break;
        case kIdGameUrlNavigated:
            OnGameUrlCaptured();
            break;
        default:
            break;
    }
}

void CLoginPopupDlg::OnGameUrlCaptured() {
    if (g_strGameUrl.find(kGameUrlMarker) == std::string::npos) return;
    if (m_pLogin) m_pLogin->FinishWithGameUrl(g_strGameUrl);
}

CVidaveLogin::CVidaveLogin(ILoginWindowView& view, LoginHooks hooks) : m_view(view), m_hooks(std::move(hooks)) {}

CVidaveLogin::~CVidaveLogin() = default;

void CVidaveLogin::OnInitDialog() {
    m_view.SetTitle(LoadProfileString(kIdsLauncherName));
    int width = 0, height = 0;
    if (!m_view.LoadBackground(width, height)) width = height = 0;
    m_nBackWidth = static_cast<unsigned>(width);
    m_nBackHeight = static_cast<unsigned>(height);
    m_view.ApplyLayeredBackground();
    m_view.CenterOnScreen();
    m_pPopup = std::make_unique<CLoginPopupDlg>(this, m_view.CreatePopupView(), m_hooks.runUpdateCheck);
    m_pPopup->OnInitDialog();
    m_pPopup->FollowLogin(m_view.ScreenRect());
    if (m_hooks.runFirstStartInstall) m_hooks.runFirstStartInstall();
}

void CVidaveLogin::OnWindowPosChanged() {
    if (m_pPopup) m_pPopup->FollowLogin(m_view.ScreenRect());
}

void CVidaveLogin::FinishWithGameUrl(const std::string& url) {
    m_strGameUrl = url;
    m_view.EndModal(0);
}

}  // namespace xh
