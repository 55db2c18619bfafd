#include "game/html_view.h"

namespace xh {

std::optional<std::string> ClickReport(const std::vector<ClickedElement>& chain) {
    for (const ClickedElement& e : chain) {
        if (e.tagName != "a" && e.tagName != "A") continue;
        if (!e.href) return std::nullopt;
        return "单击事件:" + *e.href + "\r\n";
    }
    return std::nullopt;
}

void SDocEvtHandler::OnHtmlClick(const std::vector<ClickedElement>& chain) const {
    if (const auto line = ClickReport(chain); line && m_debug) m_debug(*line);
}

CMyHtmlView::CMyHtmlView(std::unique_ptr<IHtmlBrowser> browser, DebugOutput debug)
    : m_browser(std::move(browser)), m_pEvtHandler(std::make_unique<SDocEvtHandler>(std::move(debug))) {}

CMyHtmlView::~CMyHtmlView() {
    // The engine may outlive the view by a moment; it must not call a sink that is gone.
    if (m_dwCookie) DisconnectDocEvents();
}

void CMyHtmlView::OnDocumentComplete(const std::string&) { ConnectDocEvents(); }

void CMyHtmlView::ConnectDocEvents() {
    if (m_dwCookie) DisconnectDocEvents();
    m_pDocument = m_browser->TopLevelDocument();
    m_dwCookie = m_pDocument ? m_browser->Advise(m_pDocument) : 0;
}

void CMyHtmlView::DisconnectDocEvents() {
    if (m_pDocument) m_browser->Unadvise(m_pDocument, m_dwCookie);
    m_dwCookie = 0;
}

}  // namespace xh
