#include "win32/game_browser.h"

#include <exdisp.h>
#include <mshtml.h>
#include <mshtmdid.h>
#include <ocidl.h>

#include <vector>

#include "win32/browser_site.h"
#include "win32/wide.h"

namespace xh::win32 {
namespace {

constexpr wchar_t kViewClass[] = L"XingheGameView";

// The document's event interface, and the element events the sink also answers to; the
// import library of this toolchain has neither.
constexpr GUID kHtmlDocumentEvents2{0x3050F613, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
constexpr GUID kHtmlSinkInterface{0x3050F617, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    T** Put() {
        Reset();
        return &m_p;
    }
    void Reset() {
        if (m_p) m_p->Release();
        m_p = nullptr;
    }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

class Bstr {
public:
    explicit Bstr(const std::wstring& text) : m_b(::SysAllocString(text.c_str())) {}
    Bstr() = default;
    ~Bstr() { ::SysFreeString(m_b); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return m_b; }
    BSTR* Put() {
        ::SysFreeString(m_b);
        m_b = nullptr;
        return &m_b;
    }
    std::string Utf8() const { return m_b ? Narrow(std::wstring_view(m_b, ::SysStringLen(m_b))) : std::string(); }

private:
    BSTR m_b = nullptr;
};

// SDocEvtHandler's dispatch face: HTMLDocumentEvents2's onclick (dispatch id -600).
class ClickSink final : public IDispatch {
public:
    explicit ClickSink(CMyHtmlView* const* owner) : m_owner(owner) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kHtmlDocumentEvents2 ||
            iid == kHtmlSinkInterface) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (id != DISPID_HTMLELEMENTEVENTS2_ONCLICK || !params || params->cArgs < 1 ||
            params->rgvarg[0].vt != VT_DISPATCH || !params->rgvarg[0].pdispVal || !*m_owner) {
            return S_OK;
        }
        (*m_owner)->EventHandler().OnHtmlClick(Chain(params->rgvarg[0].pdispVal));
        return S_OK;
    }

private:
    // From the event's source element to the root.
    static std::vector<ClickedElement> Chain(IDispatch* event) {
        std::vector<ClickedElement> chain;
        ComPtr<IHTMLEventObj> obj;
        if (FAILED(event->QueryInterface(IID_IHTMLEventObj, reinterpret_cast<void**>(obj.Put())))) return chain;
        ComPtr<IHTMLElement> element;
        if (FAILED(obj->get_srcElement(element.Put()))) return chain;
        while (element) {
            ClickedElement e;
            Bstr tag;
            if (SUCCEEDED(element->get_tagName(tag.Put()))) e.tagName = tag.Utf8();
            Bstr name(L"href");
            VARIANT value;
            ::VariantInit(&value);
            if (SUCCEEDED(element->getAttribute(name.Get(), 0, &value)) && value.vt == VT_BSTR) {
                e.href = value.bstrVal ? Narrow(std::wstring_view(value.bstrVal, ::SysStringLen(value.bstrVal)))
                                       : std::string();
            }
            ::VariantClear(&value);
            chain.push_back(std::move(e));
            IHTMLElement* parent = nullptr;
            if (FAILED(element->get_parentElement(&parent))) break;
            *element.Put() = parent;
        }
        return chain;
    }

    CMyHtmlView* const* m_owner;
    ULONG m_refs = 1;
};

LRESULT CALLBACK ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The view's own context menu is swallowed; the page's comes from the control.
    if (message == WM_CONTEXTMENU) return 0;
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// The view's window hosts the control through the launcher's browser site.
class OleGameBrowser final : public IHtmlBrowser, private IBrowserEvents {
public:
    explicit OleGameBrowser(HWND gameWindow) : m_parent(gameWindow) {}
    ~OleGameBrowser() override;

    bool Create(const Rect& r) override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ViewProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kViewClass;
        ::RegisterClassW(&wc);
        m_view = ::CreateWindowExW(0, kViewClass, Widen(kGameViewWindowName).c_str(),
                                   WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, r.left, r.top, r.Width(), r.Height(),
                                   m_parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kGameViewControlId)),
                                   wc.hInstance, nullptr);
        if (!m_view) return false;
        // Without a control the view is an empty window: nothing is shown in it.
        m_site = std::make_unique<CBrowserSite>(m_view);
        if (m_site->Exists()) m_site->Activate({0, 0, r.Width(), r.Height()}, *this);
        return true;
    }
    bool HasWindow() override { return m_view && ::IsWindow(m_view); }
    void DestroyWindow() override {
        m_document.Reset();
        m_site.reset();
        if (m_view && ::IsWindow(m_view)) ::DestroyWindow(m_view);
        m_view = nullptr;
    }
    void Navigate(const std::string& url) override {
        if (m_site && m_site->Exists()) m_site->Navigate(url);
    }
    void Move(const Rect& r, bool repaint) override {
        if (!HasWindow()) return;
        ::MoveWindow(m_view, r.left, r.top, r.Width(), r.Height(), repaint ? TRUE : FALSE);
        if (m_site && m_site->Exists()) m_site->Place({0, 0, r.Width(), r.Height()});
    }
    std::uintptr_t TopLevelDocument() override {
        IWebBrowser2* browser = m_site ? m_site->GetWebBrowser() : nullptr;
        if (!browser) return 0;
        m_document.Reset();
        if (FAILED(browser->get_Document(m_document.Put()))) return 0;
        return reinterpret_cast<std::uintptr_t>(m_document.Get());
    }
    std::uint32_t Advise(std::uintptr_t document) override {
        ComPtr<IConnectionPoint> point;
        if (!FindDocumentEvents(document, point)) return 0;
        if (!m_sink) m_sink = new ClickSink(&m_owner);
        DWORD cookie = 0;
        if (FAILED(point->Advise(m_sink, &cookie))) return 0;
        return cookie;
    }
    void Unadvise(std::uintptr_t document, std::uint32_t cookie) override {
        ComPtr<IConnectionPoint> point;
        if (FindDocumentEvents(document, point)) point->Unadvise(cookie);
    }

    void SetOwner(CMyHtmlView* owner) { m_owner = owner; }
    CBrowserSite* Site() const { return m_site.get(); }

private:
    // Every navigation is allowed; every completed document connects the sink again.
    void BeforeNavigate(const std::string&, bool&) override {}
    void DocumentComplete(const std::string& url) override {
        if (m_owner) m_owner->OnDocumentComplete(url);
    }

    static bool FindDocumentEvents(std::uintptr_t document, ComPtr<IConnectionPoint>& point) {
        if (!document) return false;
        auto* dispatch = reinterpret_cast<IDispatch*>(document);
        ComPtr<IConnectionPointContainer> container;
        if (FAILED(dispatch->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.Put())))) {
            return false;
        }
        return SUCCEEDED(container->FindConnectionPoint(kHtmlDocumentEvents2, point.Put()));
    }

    HWND m_parent;
    HWND m_view = nullptr;
    std::unique_ptr<CBrowserSite> m_site;
    ClickSink* m_sink = nullptr;
    ComPtr<IDispatch> m_document;
    CMyHtmlView* m_owner = nullptr;
};

// The one page view of the game host, for the message loop and its owner.
OleGameBrowser* g_browser = nullptr;

OleGameBrowser::~OleGameBrowser() {
    DestroyWindow();
    if (m_sink) m_sink->Release();
    if (g_browser == this) g_browser = nullptr;
}

}  // namespace

void AttachGameBrowser(CMyHtmlView* view) {
    if (g_browser) g_browser->SetOwner(view);
}

std::unique_ptr<IHtmlBrowser> MakeGameBrowser(HWND gameWindow) {
    auto browser = std::make_unique<OleGameBrowser>(gameWindow);
    g_browser = browser.get();
    return browser;
}

bool TranslateBrowserAccelerator(MSG& msg) {
    if (!g_browser || !g_browser->Site() || msg.message != WM_KEYDOWN) return false;
    return g_browser->Site()->TranslatePageKey(msg.wParam, msg.lParam) == S_OK;
}

}  // namespace xh::win32
