#include "game/game_window.h"

namespace xh {

CGameWndDlg::CGameWndDlg(IGameWindowView& view, WindowId frame, std::string gameUrl, DebugOutput debug)
    : m_view(view), m_hFrameWnd(frame), m_strGameUrl(std::move(gameUrl)), m_debug(std::move(debug)) {}

CGameWndDlg::~CGameWndDlg() = default;

bool CGameWndDlg::OnInitDialog() {
    if (m_hFrameWnd) {
        m_pView = std::make_unique<CMyHtmlView>(m_view.MakeBrowser(), m_debug);
        m_pView->Create({0, 0, 0, 0});
        m_pView->Navigate2(m_strGameUrl);
        const Rect c = m_view.FrameClientRect(m_hFrameWnd).value_or(Rect{});
        m_view.MoveWindow(GameWindowRect(c, false), true);
        m_pView->MoveWindow(m_view.ClientRect(), false);
        m_view.SetParent(m_hFrameWnd);
        m_view.SendToFrame(m_hFrameWnd, WM_GAMEWND_ATTACHED, m_view.Handle());
    }
    m_view.StartWatchdog();
    return true;
}

KeyRoute CGameWndDlg::PreTranslateKeyDown(GameKey key) {
    switch (key) {
        case GameKey::Escape:
        case GameKey::Enter:
            return KeyRoute::ToPage;
        case GameKey::F5:
            // The starting URL, not the page's current address.
            if (m_pView) m_pView->Navigate2(m_strGameUrl);
            return KeyRoute::Consumed;
        case GameKey::Other:
            break;
    }
    return KeyRoute::Default;
}

void CGameWndDlg::OnClose() {
    if (m_pView) {
        m_pView->DestroyWindow();
        m_pView.reset();
    }
    m_view.PostQuit(0);
}

void CGameWndDlg::OnSize() {
    if (m_pView && m_pView->HasWindow()) m_pView->MoveWindow(m_view.ClientRect(), false);
}

long CGameWndDlg::OnReload() {
    if (m_pView) m_pView->Navigate2(m_strGameUrl);
    return 0;
}

long CGameWndDlg::OnFit(long fullScreen) {
    if (!m_hFrameWnd) return 0;
    const auto c = m_view.FrameClientRect(m_hFrameWnd);
    if (!c) return 0;
    m_view.MoveWindow(GameWindowRect(*c, fullScreen != 0), false);
    if (!m_view.IsVisible()) m_view.Show();
    return 0;
}

void FrameWatchdogThread(IClock& clock, const WatchdogActions& actions) {
    while (actions.frameExists()) clock.SleepMillis(kWatchdogPeriodMs);
    actions.postClose();
    clock.SleepMillis(kWatchdogPeriodMs);
    actions.endProcess();
}

}  // namespace xh
