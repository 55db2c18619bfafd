#include "win32/browser_site.h"

#include <servprov.h>

#include "win32/wide.h"

namespace xh::win32 {
namespace {

// {8856F961-340A-11D0-A96B-00C04FD705A2}
constexpr CLSID kClsidWebBrowser = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
// {34A715A0-6587-11D0-924A-0020AFC7AC4D}
constexpr IID kDiidWebBrowserEvents2 = {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};
// SID_SShellBrowser is the identifier of IShellBrowser.
constexpr GUID kSidShellBrowser = {0x000214E2, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRECT(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The control measures its extent in hundredths of a millimetre.
LONG PixelsToHimetric(int pixels, int dpi) { return ::MulDiv(pixels, 2540, dpi > 0 ? dpi : 96); }

// The text of an event argument that is a string or a reference to a variant holding one.
const BSTR* StringArgument(const VARIANT& arg) {
    if (arg.vt == VT_BSTR) return &arg.bstrVal;
    if (arg.vt == (VT_BYREF | VT_VARIANT) && arg.pvarVal && arg.pvarVal->vt == VT_BSTR) return &arg.pvarVal->bstrVal;
    if (arg.vt == (VT_BYREF | VT_BSTR) && arg.pbstrVal) return arg.pbstrVal;
    return nullptr;
}

std::string Text(BSTR text) { return text ? Narrow(std::wstring_view(text, ::SysStringLen(text))) : std::string(); }

}  // namespace

CBrowserSite::CBrowserSite(HWND host) : CBrowserSite(host, kClsidWebBrowser) {}

CBrowserSite::CBrowserSite(HWND host, const CLSID& control) : m_hWndHost(host) {
    m_oleInitialized = SUCCEEDED(::OleInitialize(nullptr));
    if (FAILED(::StgCreateDocfile(nullptr,
                                  STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_DIRECT | STGM_DELETEONRELEASE,
                                  0, m_pStorage.put()))) {
        return;
    }
    if (FAILED(::OleCreate(control, __uuidof(IOleObject), OLERENDER_DRAW, nullptr,
                           static_cast<IOleClientSite*>(this), m_pStorage.get(), m_pOleObject.put_void()))) {
        m_pOleObject.reset();
        return;
    }
    m_pInPlaceObject = m_pOleObject.As<IOleInPlaceObject>(__uuidof(IOleInPlaceObject));
}

CBrowserSite::~CBrowserSite() {
    m_events = nullptr;
    if (m_eventSource) m_eventSource->Unadvise(m_eventCookie);
    m_eventSource.reset();
    if (m_pInPlaceObject) m_pInPlaceObject->InPlaceDeactivate();
    m_pInPlaceObject.reset();
    m_pWebBrowser.reset();
    if (m_pOleObject) {
        m_pOleObject->Close(OLECLOSE_NOSAVE);
        m_pOleObject->SetClientSite(nullptr);
    }
    m_pOleObject.reset();
    m_pStorage.reset();
    if (m_oleInitialized) ::OleUninitialize();
}

bool CBrowserSite::Activate(const Rect& rect, IBrowserEvents& events) {
    m_events = &events;
    m_bCreated = true;
    m_rcWeb = rect;
    if (!m_pOleObject) return false;
    const Rect wanted = rect;
    RECT position = ToRECT(wanted);
    if (FAILED(m_pOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0,
                                    m_hWndHost, &position))) {
        return false;
    }
    // The control takes the window context's rectangle (the whole client area) while it
    // activates; the owner asked for its own.
    if (m_rcWeb != wanted) Place(wanted);
    IWebBrowser2* browser = GetWebBrowser();
    if (!browser) return false;
    auto container = m_pWebBrowser.As<IConnectionPointContainer>(__uuidof(IConnectionPointContainer));
    if (!container) return false;
    ComPtr<IConnectionPoint> point;
    if (FAILED(container->FindConnectionPoint(kDiidWebBrowserEvents2, point.put()))) return false;
    DWORD cookie = 0;
    if (FAILED(point->Advise(static_cast<IDispatch*>(this), &cookie))) return false;
    m_eventSource = point;
    m_eventCookie = cookie;
    return true;
}

bool CBrowserSite::Navigate(const std::string& url) {
    IWebBrowser2* browser = GetWebBrowser();
    if (!browser) return false;
    const std::wstring wide = Widen(url);
    BSTR address = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!address) return false;
    const HRESULT hr = browser->Navigate(address, nullptr, nullptr, nullptr, nullptr);
    ::SysFreeString(address);
    return SUCCEEDED(hr);
}

bool CBrowserSite::Place(const Rect& rect) {
    if (m_bCreated) {
        if (!m_pOleObject || !m_pInPlaceObject) return false;
        HDC screen = ::GetDC(nullptr);
        const int dpiX = ::GetDeviceCaps(screen, LOGPIXELSX), dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(nullptr, screen);
        SIZEL extent{PixelsToHimetric(rect.Width(), dpiX), PixelsToHimetric(rect.Height(), dpiY)};
        if (FAILED(m_pOleObject->SetExtent(DVASPECT_CONTENT, &extent))) return false;
        const RECT r = ToRECT(rect);
        if (FAILED(m_pInPlaceObject->SetObjectRects(&r, &r))) return false;
    }
    m_rcWeb = rect;
    return true;
}

Rect CBrowserSite::HostClientRect() const {
    RECT client{};
    if (m_hWndHost) ::GetClientRect(m_hWndHost, &client);
    return ToRect(client);
}

IWebBrowser2* CBrowserSite::GetWebBrowser() {
    if (!m_pWebBrowser && m_pOleObject) m_pWebBrowser = m_pOleObject.As<IWebBrowser2>(__uuidof(IWebBrowser2));
    return m_pWebBrowser.get();
}

HWND CBrowserSite::FindBrowserWindow() {
    IWebBrowser2* browser = GetWebBrowser();
    if (!browser) return nullptr;
    auto provider = m_pWebBrowser.As<IServiceProvider>(__uuidof(IServiceProvider));
    if (!provider) return nullptr;
    ComPtr<IOleWindow> shellWindow;
    if (FAILED(provider->QueryService(kSidShellBrowser, __uuidof(IOleWindow), shellWindow.put_void())) ||
        !shellWindow) {
        return nullptr;
    }
    HWND window = nullptr;
    if (FAILED(shellWindow->GetWindow(&window))) return nullptr;
    for (; window; window = ::GetWindow(window, GW_CHILD)) {
        wchar_t name[261] = {};
        ::GetClassNameW(window, name, 260);
        if (::lstrcmpiW(name, L"Internet Explorer_Server") == 0) return window;
    }
    return nullptr;
}

HRESULT CBrowserSite::TranslatePageKey(WPARAM key, LPARAM keyData) {
    IWebBrowser2* browser = GetWebBrowser();
    if (!browser) return E_FAIL;
    MSG message{};
    message.hwnd = FindBrowserWindow();
    message.message = WM_KEYDOWN;
    message.wParam = key;
    message.lParam = keyData;
    ComPtr<IDispatch> document;
    if (FAILED(browser->get_Document(document.put())) || !document) return E_FAIL;
    auto active = document.As<IOleInPlaceActiveObject>(__uuidof(IOleInPlaceActiveObject));
    if (!active) return E_FAIL;
    return active->TranslateAccelerator(&message) == S_OK ? S_OK : S_FALSE;
}

void CBrowserSite::StoreHostClientRect(LPRECT out) {
    m_rcWeb = HostClientRect();
    if (out) *out = ToRECT(m_rcWeb);
}

// ----- IUnknown -----

STDMETHODIMP CBrowserSite::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch)) {
        *out = static_cast<IDispatch*>(this);
    } else if (iid == __uuidof(IOleClientSite)) {
        *out = static_cast<IOleClientSite*>(this);
    } else if (iid == __uuidof(IDocHostUIHandler)) {
        *out = static_cast<IDocHostUIHandler*>(this);
    } else if (iid == __uuidof(IOleWindow) || iid == __uuidof(IOleInPlaceSite)) {
        *out = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == __uuidof(IOleInPlaceFrame) || iid == __uuidof(IOleInPlaceUIWindow)) {
        *out = static_cast<IOleInPlaceFrame*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CBrowserSite::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_nRefCount)); }

// The owner's delete ends the site's life, never the count.
STDMETHODIMP_(ULONG) CBrowserSite::Release() { return static_cast<ULONG>(::InterlockedDecrement(&m_nRefCount)); }

// ----- IDispatch -----

STDMETHODIMP CBrowserSite::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CBrowserSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    if (id != kDispidBeforeNavigate2 && id != kDispidDocumentComplete) return E_NOTIMPL;
    // The arguments come in reverse order; a short or mistyped list is refused, not read past.
    if (id == kDispidBeforeNavigate2) {
        if (!params || !params->rgvarg || params->cArgs < 6) return DISP_E_BADPARAMCOUNT;
        const BSTR* url = StringArgument(params->rgvarg[5]);
        const VARIANT& flag = params->rgvarg[0];
        if (!url || flag.vt != (VT_BYREF | VT_BOOL) || !flag.pboolVal) return DISP_E_TYPEMISMATCH;
        bool cancel = *flag.pboolVal != VARIANT_FALSE;
        const bool before = cancel;
        if (m_events) m_events->BeforeNavigate(Text(*url), cancel);
        if (cancel != before) *flag.pboolVal = cancel ? 1 : VARIANT_FALSE;
        return S_OK;
    }
    if (!params || !params->rgvarg || params->cArgs < 1) return DISP_E_BADPARAMCOUNT;
    const BSTR* url = StringArgument(params->rgvarg[0]);
    if (!url) return DISP_E_TYPEMISMATCH;
    if (m_events) m_events->DocumentComplete(Text(*url));
    return S_OK;
}

// ----- IOleClientSite -----

STDMETHODIMP CBrowserSite::SaveObject() { return S_OK; }

STDMETHODIMP CBrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CBrowserSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_FAIL;
}

STDMETHODIMP CBrowserSite::ShowObject() { return S_OK; }
STDMETHODIMP CBrowserSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP CBrowserSite::RequestNewObjectLayout() { return S_OK; }

// ----- IOleWindow -----

STDMETHODIMP CBrowserSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = m_hWndHost;
    return S_OK;
}

STDMETHODIMP CBrowserSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// ----- IOleInPlaceSite -----

STDMETHODIMP CBrowserSite::CanInPlaceActivate() { return m_bCreated ? S_OK : S_FALSE; }
STDMETHODIMP CBrowserSite::OnInPlaceActivate() { return S_OK; }
STDMETHODIMP CBrowserSite::OnUIActivate() { return S_OK; }

STDMETHODIMP CBrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position,
                                            LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
    if (frame) {
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
    }
    if (doc) *doc = nullptr;
    StoreHostClientRect(position);
    if (clip) *clip = ToRECT(m_rcWeb);
    if (frameInfo) {
        frameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
        frameInfo->fMDIApp = FALSE;
        frameInfo->hwndFrame = m_hWndHost ? ::GetParent(m_hWndHost) : nullptr;
        frameInfo->haccel = nullptr;
        frameInfo->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP CBrowserSite::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP CBrowserSite::OnInPlaceDeactivate() { return S_OK; }
STDMETHODIMP CBrowserSite::DiscardUndoState() { return S_OK; }
STDMETHODIMP CBrowserSite::DeactivateAndUndo() { return S_OK; }
STDMETHODIMP CBrowserSite::OnPosRectChange(LPCRECT) { return S_OK; }

// ----- IOleInPlaceFrame -----

STDMETHODIMP CBrowserSite::GetBorder(LPRECT border) {
    StoreHostClientRect(border);
    return S_OK;
}

STDMETHODIMP CBrowserSite::RequestBorderSpace(LPCBORDERWIDTHS) { return S_OK; }
STDMETHODIMP CBrowserSite::SetBorderSpace(LPCBORDERWIDTHS) { return S_OK; }
STDMETHODIMP CBrowserSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }
STDMETHODIMP CBrowserSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::SetMenu(HMENU, HOLEMENU, HWND) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::SetStatusText(LPCOLESTR) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::EnableModeless(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::TranslateAccelerator(LPMSG, WORD) { return E_NOTIMPL; }

// ----- IDocHostUIHandler -----

// E_NOTIMPL lets the control show its own context menu.
STDMETHODIMP CBrowserSite::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return E_NOTIMPL; }

STDMETHODIMP CBrowserSite::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info) return E_POINTER;
    info->dwFlags |= kNo3dOuterBorder;
    return S_OK;
}

STDMETHODIMP CBrowserSite::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                  IOleInPlaceUIWindow*) {
    return E_NOTIMPL;
}
STDMETHODIMP CBrowserSite::HideUI() { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::UpdateUI() { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::OnDocWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::OnFrameWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::GetOptionKeyPath(LPOLESTR*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::GetDropTarget(IDropTarget*, IDropTarget**) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::GetExternal(IDispatch**) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::TranslateUrl(DWORD, LPWSTR, LPWSTR*) { return E_NOTIMPL; }
STDMETHODIMP CBrowserSite::FilterDataObject(IDataObject*, IDataObject**) { return E_NOTIMPL; }

STDMETHODIMP CLoginFormSite::GetExternal(IDispatch** external) {
    if (external) *external = nullptr;
    return S_OK;
}

}  // namespace xh::win32
