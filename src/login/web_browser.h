#pragma once
// The embedded browser that shows the platform's login page.
//
// CWebBrowserBase keeps the site's state (its rectangle, whether it was activated, the
// last URL) and hands the control's two events to its virtual operations. The control
// itself is behind IBrowserControl: a COM-hosted browser control on Windows, a WebKit
// view on Linux.
#include <memory>
#include <string>

#include "platform/geometry.h"

namespace xh {

class IBrowserEvents {
public:
    virtual ~IBrowserEvents() = default;
    // Before every navigation of the page and of every frame in it; set cancel to stop it.
    virtual void BeforeNavigate(const std::string& url, bool& cancel) = 0;
    // Once per completed document.
    virtual void DocumentComplete(const std::string& url) = 0;
};

class IBrowserControl {
public:
    virtual ~IBrowserControl() = default;
    // False when the control could not be built at all.
    virtual bool Exists() const = 0;
    // Activates the control inside its host window at `rect` and connects the events.
    virtual bool Activate(const Rect& rect, IBrowserEvents& events) = 0;
    virtual bool Navigate(const std::string& url) = 0;
    // Host client coordinates; an empty rectangle hides the control.
    virtual bool Place(const Rect& rect) = 0;
    // The host window's client rectangle.
    virtual Rect HostClientRect() const = 0;
};

class CWebBrowserBase : public IBrowserEvents {
public:
    explicit CWebBrowserBase(std::unique_ptr<IBrowserControl> control);
    ~CWebBrowserBase() override = default;

    bool CreateBrowser();
    bool Navigate(const std::string& url);
    bool SetWebRect(const Rect& rect);

    virtual void OnDocumentComplete(const std::string& /*url*/) {}
    virtual void OnBeforeNavigate2(const std::string& /*url*/, bool& /*cancel*/) {}

    const Rect& WebRect() const { return m_rcWeb; }
    bool IsCreated() const { return m_bCreated; }
    const std::string& LastUrl() const { return m_strUrl; }
    IBrowserControl* Control() { return m_control.get(); }

    Rect m_rcTarget;  // filled and applied by derived forms

private:
    void BeforeNavigate(const std::string& url, bool& cancel) final { OnBeforeNavigate2(url, cancel); }
    void DocumentComplete(const std::string& url) final { OnDocumentComplete(url); }

    std::unique_ptr<IBrowserControl> m_control;
    Rect m_rcWeb;
    bool m_bCreated = false;
    std::string m_strUrl;
};

}  // namespace xh
