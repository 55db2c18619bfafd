#pragma once
// CMyHtmlView and its click sink SDocEvtHandler, apart from the browser engine: the view
// fills the game window, and after every completed document exactly one sink listens to
// the top-level document's clicks and reports links to the debug output.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.h"

namespace xh {

inline constexpr int kGameViewControlId = 10000;
inline constexpr const char* kGameViewWindowName = "MyWebBrowser";

// An element on the way from a click's source element to the root.
struct ClickedElement {
    std::string tagName;
    std::optional<std::string> href;  // the attribute "href"; nullopt when it cannot be read
};

// The browser engine behind the view.
class IHtmlBrowser {
public:
    virtual ~IHtmlBrowser() = default;
    // A child window of the game window at `rect`; false when it cannot be made.
    virtual bool Create(const Rect& rect) = 0;
    virtual bool HasWindow() = 0;
    virtual void DestroyWindow() = 0;
    virtual void Navigate(const std::string& url) = 0;
    virtual void Move(const Rect& rect, bool repaint) = 0;
    // The current top-level document (0: none) and its click connection point.
    virtual std::uintptr_t TopLevelDocument() = 0;
    // The connection's cookie; 0 when the document has no such connection point.
    virtual std::uint32_t Advise(std::uintptr_t document) = 0;
    virtual void Unadvise(std::uintptr_t document, std::uint32_t cookie) = 0;
};

using DebugOutput = std::function<void(const std::string&)>;

class SDocEvtHandler {
public:
    explicit SDocEvtHandler(DebugOutput debug) : m_debug(std::move(debug)) {}
    // `chain` runs from the source element to the root; a link reports its href.
    void OnHtmlClick(const std::vector<ClickedElement>& chain) const;

private:
    DebugOutput m_debug;
};

// The line the sink writes for a click, or nothing when the click was not inside a link.
std::optional<std::string> ClickReport(const std::vector<ClickedElement>& chain);

class CMyHtmlView {
public:
    CMyHtmlView(std::unique_ptr<IHtmlBrowser> browser, DebugOutput debug);
    ~CMyHtmlView();

    bool Create(const Rect& rect) { return m_browser->Create(rect); }
    bool HasWindow() { return m_browser->HasWindow(); }
    void DestroyWindow() { m_browser->DestroyWindow(); }
    void Navigate2(const std::string& url) { m_browser->Navigate(url); }
    void MoveWindow(const Rect& rect, bool repaint) { m_browser->Move(rect, repaint); }

    // Every DocumentComplete the engine reports, those of frames included.
    void OnDocumentComplete(const std::string& url);
    void ConnectDocEvents();
    void DisconnectDocEvents();

    const SDocEvtHandler& EventHandler() const { return *m_pEvtHandler; }
    std::uint32_t Cookie() const { return m_dwCookie; }
    std::uintptr_t Document() const { return m_pDocument; }

private:
    std::unique_ptr<IHtmlBrowser> m_browser;
    std::unique_ptr<SDocEvtHandler> m_pEvtHandler;
    std::uint32_t m_dwCookie = 0;
    std::uintptr_t m_pDocument = 0;
};

}  // namespace xh
