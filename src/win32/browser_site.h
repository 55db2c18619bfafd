#pragma once
// The container site of the system's web browser control: one object that is the control's
// client site, in-place site and frame, UI handler and event sink. It is the Windows
// IBrowserControl, so the core's CWebBrowserBase drives it and receives its two events.
#include "win32/windows_api.h"

#include <exdisp.h>
#include <mshtmhst.h>
#include <ole2.h>

#include <string>

#include "login/web_browser.h"
#include "win32/scoped.h"

namespace xh::win32 {

inline constexpr DISPID kDispidBeforeNavigate2 = 250;
inline constexpr DISPID kDispidDocumentComplete = 259;
inline constexpr DWORD kNo3dOuterBorder = 0x200000;  // DOCHOSTUIFLAG_NO3DOUTERBORDER

class CBrowserSite : public IDispatch,
                     public IOleClientSite,
                     public IOleInPlaceSite,
                     public IOleInPlaceFrame,
                     public IDocHostUIHandler,
                     public IBrowserControl {
public:
    // Initialises OLE for this thread and builds the control; a refusal leaves the site
    // without a control, silently. `host` is the window the control lives in.
    explicit CBrowserSite(HWND host);
    // The same with another control class (tests use one nobody registered).
    CBrowserSite(HWND host, const CLSID& control);
    // Deactivates and closes the control and ends the event connection before the site goes,
    // so that no callback reaches a deleted site.
    ~CBrowserSite() override;
    CBrowserSite(const CBrowserSite&) = delete;
    CBrowserSite& operator=(const CBrowserSite&) = delete;

    // IBrowserControl
    bool Exists() const override { return static_cast<bool>(m_pOleObject); }
    bool Activate(const Rect& rect, IBrowserEvents& events) override;
    bool Navigate(const std::string& url) override;
    bool Place(const Rect& rect) override;
    Rect HostClientRect() const override;

    // Where Invoke delivers the two events; Activate sets it too.
    void BindEvents(IBrowserEvents* events) { m_events = events; }
    HWND GetHostWindow() const { return m_hWndHost; }
    // The control's IWebBrowser2, asked for once and kept; null without a control.
    IWebBrowser2* GetWebBrowser();
    // The descendant window of class "Internet Explorer_Server" that takes the keys; null
    // without one.
    HWND FindBrowserWindow();
    // Offers a key to the document's accelerator handling, as a key-down message of the
    // browser window: S_OK when the page consumed it, S_FALSE when not, E_FAIL without a
    // control, document or active object.
    HRESULT TranslatePageKey(WPARAM key, LPARAM keyData);
    const Rect& SiteRect() const { return m_rcWeb; }
    LONG RefCount() const { return m_nRefCount; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch: the event sink of DWebBrowserEvents2
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow (shared by the in-place site and frame)
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHODIMP Scroll(SIZE extent) override;
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;

    // IOleInPlaceUIWindow / IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT border) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
    STDMETHODIMP InsertMenus(HMENU menu, LPOLEMENUGROUPWIDTHS widths) override;
    STDMETHODIMP SetMenu(HMENU menu, HOLEMENU shared, HWND activeObject) override;
    STDMETHODIMP RemoveMenus(HMENU menu) override;
    STDMETHODIMP SetStatusText(LPCOLESTR text) override;
    // Also IDocHostUIHandler::EnableModeless: the same answer for both.
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg, WORD id) override;

    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* object, IOleCommandTarget* target, IOleInPlaceFrame* frame,
                        IOleInPlaceUIWindow* doc) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID* group, DWORD command) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    STDMETHODIMP GetDropTarget(IDropTarget* target, IDropTarget** result) override;
    STDMETHODIMP GetExternal(IDispatch** external) override;
    STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR in, LPWSTR* out) override;
    STDMETHODIMP FilterDataObject(IDataObject* object, IDataObject** result) override;

private:
    void StoreHostClientRect(LPRECT out);

    volatile LONG m_nRefCount = 0;
    HWND m_hWndHost;
    Rect m_rcWeb;
    bool m_bCreated = false;
    bool m_oleInitialized = false;
    IBrowserEvents* m_events = nullptr;
    ComPtr<IStorage> m_pStorage;
    ComPtr<IOleObject> m_pOleObject;
    ComPtr<IOleInPlaceObject> m_pInPlaceObject;
    ComPtr<IWebBrowser2> m_pWebBrowser;
    ComPtr<IConnectionPoint> m_eventSource;
    DWORD m_eventCookie = 0;
};

// The site of the login form: the page gets no external object, but the question is answered.
class CLoginFormSite final : public CBrowserSite {
public:
    using CBrowserSite::CBrowserSite;
    STDMETHODIMP GetExternal(IDispatch** external) override;
};

}  // namespace xh::win32
