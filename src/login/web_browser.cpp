#include "login/web_browser.h"

namespace xh {

CWebBrowserBase::CWebBrowserBase(std::unique_ptr<IBrowserControl> control) : m_control(std::move(control)) {}

bool CWebBrowserBase::CreateBrowser() {
    if (!m_control || !m_control->Exists()) return false;
    if (m_rcWeb.Width() == 0 || m_rcWeb.Height() == 0) m_rcWeb = m_control->HostClientRect();
    if (m_bCreated) return true;
    m_bCreated = true;
    return m_control->Activate(m_rcWeb, *this);
}

bool CWebBrowserBase::Navigate(const std::string& url) {
    m_strUrl = url;
    return m_control && m_control->Exists() && m_control->Navigate(url);
}

bool CWebBrowserBase::SetWebRect(const Rect& rect) {
    if (m_bCreated && !m_control->Place(rect)) return false;
    m_rcWeb = rect;
    return true;
}

}  // namespace xh
