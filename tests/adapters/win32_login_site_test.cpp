// The browser control's container site: its interface table, its answers to the control's
// callbacks and its event dispatch, driven the way the control drives it (hand-built
// DISPPARAMS), on real windows.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "login/login_popup.h"
#include "win32/browser_site.h"
#include "win32/wide.h"

namespace xh {
namespace {

using win32::CBrowserSite;
using win32::CLoginFormSite;

// A borderless pop-up of a known client size, owned by a second window.
class HostWindows {
public:
    HostWindows() {
        m_owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
        m_host = ::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 10, 10, 300, 200, m_owner, nullptr, nullptr,
                                   nullptr);
    }
    ~HostWindows() {
        ::DestroyWindow(m_host);
        ::DestroyWindow(m_owner);
    }
    HostWindows(const HostWindows&) = delete;
    HostWindows& operator=(const HostWindows&) = delete;
    HWND host() const { return m_host; }
    HWND owner() const { return m_owner; }

private:
    HWND m_owner = nullptr;
    HWND m_host = nullptr;
};

struct RecordedEvents final : IBrowserEvents {
    std::vector<std::string> before, complete;
    bool cancelRequest = false;
    void BeforeNavigate(const std::string& url, bool& cancel) override {
        before.push_back(url);
        if (cancelRequest) cancel = true;
    }
    void DocumentComplete(const std::string& url) override { complete.push_back(url); }
};

// The argument list of a control event, in the reversed order IDispatch::Invoke receives it.
class EventArguments {
public:
    EventArguments(DISPID id, const std::string& url) : m_id(id) {
        const std::wstring wide = win32::Widen(url);
        ::VariantInit(&m_url);
        m_url.vt = VT_BSTR;
        m_url.bstrVal = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
        m_args.resize(id == win32::kDispidBeforeNavigate2 ? 7 : 2);
        for (VARIANT& v : m_args) ::VariantInit(&v);
        const std::size_t urlIndex = id == win32::kDispidBeforeNavigate2 ? 5 : 0;
        m_args[urlIndex].vt = VT_BYREF | VT_VARIANT;
        m_args[urlIndex].pvarVal = &m_url;
        if (id == win32::kDispidBeforeNavigate2) {
            m_args[0].vt = VT_BYREF | VT_BOOL;
            m_args[0].pboolVal = &m_cancel;
        }
        m_params.rgvarg = m_args.data();
        m_params.cArgs = static_cast<UINT>(m_args.size());
    }
    ~EventArguments() { ::VariantClear(&m_url); }
    EventArguments(const EventArguments&) = delete;
    EventArguments& operator=(const EventArguments&) = delete;

    HRESULT SendTo(IDispatch* sink, DISPID id) {
        return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &m_params, nullptr, nullptr, nullptr);
    }
    HRESULT Send(IDispatch* sink) { return SendTo(sink, m_id); }
    VARIANT_BOOL& cancel() { return m_cancel; }
    std::vector<VARIANT>& args() { return m_args; }
    DISPPARAMS& params() { return m_params; }

private:
    DISPID m_id;
    VARIANT m_url;
    VARIANT_BOOL m_cancel = VARIANT_FALSE;
    std::vector<VARIANT> m_args;
    DISPPARAMS m_params{};
};

class BrowserSiteTest : public testing::Test {
protected:
    HostWindows windows;
    CBrowserSite site{windows.host()};
    IDispatch* sink() { return static_cast<IDispatch*>(&site); }
};

TEST_F(BrowserSiteTest, QueryInterfaceGivesEachInterfaceOfTheTable) {
    IUnknown* const primary = static_cast<IDispatch*>(&site);
    const LONG held = site.RefCount();  // what the control holds, when there is one
    const struct {
        const char* name;
        IID iid;
        void* expected;
    } cases[] = {
        {"IUnknown", __uuidof(IUnknown), primary},
        {"IDispatch", __uuidof(IDispatch), primary},
        {"IOleClientSite", __uuidof(IOleClientSite), static_cast<IOleClientSite*>(&site)},
        {"IDocHostUIHandler", __uuidof(IDocHostUIHandler), static_cast<IDocHostUIHandler*>(&site)},
        {"IOleWindow", __uuidof(IOleWindow), static_cast<IOleInPlaceSite*>(&site)},
        {"IOleInPlaceSite", __uuidof(IOleInPlaceSite), static_cast<IOleInPlaceSite*>(&site)},
        {"IOleInPlaceFrame", __uuidof(IOleInPlaceFrame), static_cast<IOleInPlaceFrame*>(&site)},
        {"IOleInPlaceUIWindow", __uuidof(IOleInPlaceUIWindow), static_cast<IOleInPlaceFrame*>(&site)},
    };
    for (const auto& c : cases) {
        const LONG before = site.RefCount();
        void* out = nullptr;
        EXPECT_EQ(primary->QueryInterface(c.iid, &out), S_OK) << c.name;
        EXPECT_EQ(out, c.expected) << c.name;
        EXPECT_EQ(site.RefCount(), before + 1) << c.name;
        if (out) static_cast<IUnknown*>(out)->Release();
    }

    const struct {
        const char* name;
        IID iid;
    } refused[] = {
        {"IOleObject", __uuidof(IOleObject)},
        {"IStorage", __uuidof(IStorage)},
        {"IWebBrowser2", __uuidof(IWebBrowser2)},
        {"IConnectionPointContainer", __uuidof(IConnectionPointContainer)},
        {"IDocHostUIHandler2", __uuidof(IDocHostUIHandler2)},
    };
    for (const auto& r : refused) {
        void* out = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(primary->QueryInterface(r.iid, &out), E_NOINTERFACE) << r.name;
        EXPECT_EQ(out, nullptr) << r.name;
    }
    EXPECT_EQ(site.RefCount(), held);
}

TEST(BrowserSiteLifetimeTest, ReleasingTheLastReferenceKeepsTheSite) {
    struct WatchedSite final : CBrowserSite {
        explicit WatchedSite(bool& gone) : CBrowserSite(nullptr), m_gone(gone) {}
        ~WatchedSite() override { m_gone = true; }
        bool& m_gone;
    };
    bool gone = false;
    auto* site = new WatchedSite(gone);
    IUnknown* unknown = static_cast<IDispatch*>(site);
    const LONG start = site->RefCount();
    EXPECT_EQ(unknown->AddRef(), static_cast<ULONG>(start + 1));
    EXPECT_EQ(unknown->AddRef(), static_cast<ULONG>(start + 2));
    EXPECT_EQ(unknown->Release(), static_cast<ULONG>(start + 1));
    while (site->RefCount() > 0) unknown->Release();
    EXPECT_FALSE(gone);
    void* out = nullptr;
    EXPECT_EQ(unknown->QueryInterface(__uuidof(IOleClientSite), &out), S_OK);  // still alive and answering
    static_cast<IUnknown*>(out)->Release();
    delete site;
    EXPECT_TRUE(gone);
}

TEST_F(BrowserSiteTest, ContainerCallbacksAnswerAsListed) {
    IOleClientSite* client = &site;
    IOleInPlaceSite* inPlace = &site;
    IOleInPlaceFrame* frame = &site;
    IDocHostUIHandler* ui = &site;
    const LONG held = site.RefCount();
    MSG msg{};
    RECT rect{};
    SIZE size{};
    const struct {
        const char* name;
        HRESULT expected;
        std::function<HRESULT()> call;
    } cases[] = {
        {"GetTypeInfoCount", E_NOTIMPL, [&] { UINT n = 0; return sink()->GetTypeInfoCount(&n); }},
        {"GetTypeInfo", E_NOTIMPL, [&] { ITypeInfo* t = nullptr; return sink()->GetTypeInfo(0, 0, &t); }},
        {"GetIDsOfNames", E_NOTIMPL,
         [&] { DISPID id = 0; LPOLESTR name = const_cast<LPOLESTR>(L"x"); return sink()->GetIDsOfNames(IID_NULL, &name, 1, 0, &id); }},
        {"SaveObject", S_OK, [&] { return client->SaveObject(); }},
        {"ShowObject", S_OK, [&] { return client->ShowObject(); }},
        {"OnShowWindow", S_OK, [&] { return client->OnShowWindow(TRUE); }},
        {"RequestNewObjectLayout", S_OK, [&] { return client->RequestNewObjectLayout(); }},
        {"site ContextSensitiveHelp", E_NOTIMPL, [&] { return inPlace->ContextSensitiveHelp(TRUE); }},
        {"frame ContextSensitiveHelp", E_NOTIMPL, [&] { return frame->ContextSensitiveHelp(FALSE); }},
        {"OnInPlaceActivate", S_OK, [&] { return inPlace->OnInPlaceActivate(); }},
        {"OnUIActivate", S_OK, [&] { return inPlace->OnUIActivate(); }},
        {"Scroll", E_NOTIMPL, [&] { return inPlace->Scroll(size); }},
        {"OnUIDeactivate", S_OK, [&] { return inPlace->OnUIDeactivate(FALSE); }},
        {"OnInPlaceDeactivate", S_OK, [&] { return inPlace->OnInPlaceDeactivate(); }},
        {"DiscardUndoState", S_OK, [&] { return inPlace->DiscardUndoState(); }},
        {"DeactivateAndUndo", S_OK, [&] { return inPlace->DeactivateAndUndo(); }},
        {"OnPosRectChange", S_OK, [&] { return inPlace->OnPosRectChange(&rect); }},
        {"RequestBorderSpace", S_OK, [&] { return frame->RequestBorderSpace(&rect); }},
        {"SetBorderSpace", S_OK, [&] { return frame->SetBorderSpace(&rect); }},
        {"SetActiveObject", S_OK, [&] { return frame->SetActiveObject(nullptr, nullptr); }},
        {"InsertMenus", E_NOTIMPL, [&] { return frame->InsertMenus(nullptr, nullptr); }},
        {"SetMenu", E_NOTIMPL, [&] { return frame->SetMenu(nullptr, nullptr, nullptr); }},
        {"RemoveMenus", E_NOTIMPL, [&] { return frame->RemoveMenus(nullptr); }},
        {"SetStatusText", E_NOTIMPL, [&] { return frame->SetStatusText(L"x"); }},
        {"frame EnableModeless", E_NOTIMPL, [&] { return frame->EnableModeless(TRUE); }},
        {"frame TranslateAccelerator", E_NOTIMPL, [&] { return frame->TranslateAccelerator(&msg, 0); }},
        {"ShowContextMenu", E_NOTIMPL, [&] { POINT p{}; return ui->ShowContextMenu(0, &p, nullptr, nullptr); }},
        {"ShowUI", E_NOTIMPL, [&] { return ui->ShowUI(0, nullptr, nullptr, nullptr, nullptr); }},
        {"HideUI", E_NOTIMPL, [&] { return ui->HideUI(); }},
        {"UpdateUI", E_NOTIMPL, [&] { return ui->UpdateUI(); }},
        {"ui EnableModeless", E_NOTIMPL, [&] { return ui->EnableModeless(FALSE); }},
        {"OnDocWindowActivate", E_NOTIMPL, [&] { return ui->OnDocWindowActivate(TRUE); }},
        {"OnFrameWindowActivate", E_NOTIMPL, [&] { return ui->OnFrameWindowActivate(TRUE); }},
        {"ResizeBorder", E_NOTIMPL, [&] { return ui->ResizeBorder(&rect, nullptr, TRUE); }},
        {"ui TranslateAccelerator", E_NOTIMPL, [&] { return ui->TranslateAccelerator(&msg, nullptr, 0); }},
        {"GetOptionKeyPath", E_NOTIMPL, [&] { LPOLESTR key = nullptr; return ui->GetOptionKeyPath(&key, 0); }},
        {"GetDropTarget", E_NOTIMPL, [&] { IDropTarget* t = nullptr; return ui->GetDropTarget(nullptr, &t); }},
        {"GetExternal", E_NOTIMPL, [&] { IDispatch* d = nullptr; return ui->GetExternal(&d); }},
        {"TranslateUrl", E_NOTIMPL, [&] { LPWSTR out = nullptr; return ui->TranslateUrl(0, const_cast<LPWSTR>(L"x"), &out); }},
        {"FilterDataObject", E_NOTIMPL, [&] { IDataObject* d = nullptr; return ui->FilterDataObject(nullptr, &d); }},
    };
    for (const auto& c : cases) EXPECT_EQ(c.call(), c.expected) << c.name;
    EXPECT_EQ(site.RefCount(), held) << "no callback keeps a reference";
}

TEST_F(BrowserSiteTest, OutParametersOfTheCallbacks) {
    IMoniker* moniker = reinterpret_cast<IMoniker*>(0x1234);
    EXPECT_EQ(site.GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJFULL, &moniker), E_NOTIMPL);
    EXPECT_EQ(moniker, nullptr);
    IOleContainer* container = reinterpret_cast<IOleContainer*>(0x1234);
    EXPECT_EQ(site.GetContainer(&container), E_FAIL);
    EXPECT_EQ(container, nullptr);

    for (IOleWindow* window : {static_cast<IOleWindow*>(static_cast<IOleInPlaceSite*>(&site)),
                               static_cast<IOleWindow*>(static_cast<IOleInPlaceFrame*>(&site))}) {
        HWND answer = nullptr;
        EXPECT_EQ(window->GetWindow(&answer), S_OK);
        EXPECT_EQ(answer, windows.host());
    }

    RECT border{1, 2, 3, 4};
    EXPECT_EQ(site.GetBorder(&border), S_OK);
    EXPECT_EQ((Rect{border.left, border.top, border.right, border.bottom}), (Rect{0, 0, 300, 200}));
    EXPECT_EQ(site.SiteRect(), (Rect{0, 0, 300, 200}));

    DOCHOSTUIINFO info{};
    info.cbSize = sizeof(info);
    info.dwFlags = 0x4;
    info.dwDoubleClick = 7;
    EXPECT_EQ(site.GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, 0x4u | 0x200000u);
    EXPECT_EQ(info.dwDoubleClick, 7u);
    EXPECT_EQ(info.cbSize, sizeof(info));
}

TEST_F(BrowserSiteTest, WindowContextNamesTheSiteAndTheHostsOwner) {
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* doc = reinterpret_cast<IOleInPlaceUIWindow*>(0x1234);
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    const LONG held = site.RefCount();
    info.haccel = reinterpret_cast<HACCEL>(0x1234);
    info.cAccelEntries = 9;
    EXPECT_EQ(site.GetWindowContext(&frame, &doc, &position, &clip, &info), S_OK);
    EXPECT_EQ(frame, static_cast<IOleInPlaceFrame*>(&site));
    EXPECT_EQ(site.RefCount(), held + 1) << "the frame is handed out with a reference";
    EXPECT_EQ(doc, nullptr);
    for (const RECT& r : {position, clip}) {
        EXPECT_EQ((Rect{r.left, r.top, r.right, r.bottom}), (Rect{0, 0, 300, 200}));
    }
    EXPECT_EQ(site.SiteRect(), (Rect{0, 0, 300, 200}));
    EXPECT_EQ(info.cb, 20u);
    EXPECT_FALSE(info.fMDIApp);
    EXPECT_EQ(info.hwndFrame, windows.owner());
    EXPECT_EQ(info.haccel, nullptr);
    EXPECT_EQ(info.cAccelEntries, 0u);
    frame->Release();
}

TEST_F(BrowserSiteTest, InPlaceActivationIsAllowedOnlyOnceActivationBegan) {
    EXPECT_EQ(site.CanInPlaceActivate(), S_FALSE);
    RecordedEvents events;
    site.Activate({0, 0, 100, 100}, events);
    EXPECT_EQ(site.CanInPlaceActivate(), S_OK);
}

TEST(BrowserSiteExternalTest, OnlyTheLoginFormAnswersForTheExternalObject) {
    CBrowserSite plain(nullptr);
    CLoginFormSite form(nullptr);
    IDispatch* external = reinterpret_cast<IDispatch*>(0x1234);
    EXPECT_EQ(static_cast<IDocHostUIHandler&>(plain).GetExternal(&external), E_NOTIMPL);
    external = reinterpret_cast<IDispatch*>(0x1234);
    EXPECT_EQ(static_cast<IDocHostUIHandler&>(form).GetExternal(&external), S_OK);
    EXPECT_EQ(external, nullptr);
}

TEST_F(BrowserSiteTest, EventsReachTheirOperationsWithUrlAndCancelFlag) {
    const struct {
        const char* name;
        DISPID id;
        std::string url;
        VARIANT_BOOL cancelIn;
        bool handlerCancels;
        HRESULT expected;
        int before, complete;
        VARIANT_BOOL cancelOut;
    } cases[] = {
        {"navigation", 250, "http://127.0.0.1/login?a=1", VARIANT_FALSE, false, S_OK, 1, 0, VARIANT_FALSE},
        {"cancelled navigation", 250, "http://127.0.0.1/play?x=1", VARIANT_FALSE, true, S_OK, 1, 0, 1},
        {"already cancelled", 250, "http://127.0.0.1/", VARIANT_TRUE, false, S_OK, 1, 0, VARIANT_TRUE},
        {"Chinese text", 250, "http://127.0.0.1/?sv=星河一区", VARIANT_FALSE, false, S_OK, 1, 0, VARIANT_FALSE},
        {"document", 259, "http://127.0.0.1/done", VARIANT_FALSE, true, S_OK, 0, 1, VARIANT_FALSE},
        {"NavigateComplete2", 252, "http://127.0.0.1/", VARIANT_FALSE, true, E_NOTIMPL, 0, 0, VARIANT_FALSE},
        {"NewWindow3", 273, "http://127.0.0.1/", VARIANT_FALSE, true, E_NOTIMPL, 0, 0, VARIANT_FALSE},
        {"zero", 0, "http://127.0.0.1/", VARIANT_FALSE, true, E_NOTIMPL, 0, 0, VARIANT_FALSE},
    };
    for (const auto& c : cases) {
        RecordedEvents events;
        events.cancelRequest = c.handlerCancels;
        site.BindEvents(&events);
        // 252 and the others get BeforeNavigate2's argument shape: only the identifier counts.
        EventArguments args(c.id == 259 ? 259 : 250, c.url);
        args.cancel() = c.cancelIn;
        EXPECT_EQ(args.SendTo(sink(), c.id), c.expected) << c.name;
        ASSERT_EQ(static_cast<int>(events.before.size()), c.before) << c.name;
        ASSERT_EQ(static_cast<int>(events.complete.size()), c.complete) << c.name;
        if (c.before) {
            EXPECT_EQ(events.before[0], c.url) << c.name;
        }
        if (c.complete) {
            EXPECT_EQ(events.complete[0], c.url) << c.name;
        }
        EXPECT_EQ(args.cancel(), c.cancelOut) << c.name;
    }
    site.BindEvents(nullptr);
}

TEST_F(BrowserSiteTest, MalformedEventArgumentsAreRefusedUnread) {
    RecordedEvents events;
    site.BindEvents(&events);
    {
        EventArguments args(250, "http://127.0.0.1/");
        args.params().cArgs = 5;  // no URL argument
        EXPECT_EQ(args.Send(sink()), DISP_E_BADPARAMCOUNT);
    }
    {
        EventArguments args(250, "http://127.0.0.1/");
        args.args()[0].vt = VT_I4;  // the cancel flag is not a reference to a boolean
        EXPECT_EQ(args.Send(sink()), DISP_E_TYPEMISMATCH);
    }
    {
        EventArguments args(259, "http://127.0.0.1/");
        args.args()[0].vt = VT_EMPTY;
        EXPECT_EQ(args.Send(sink()), DISP_E_TYPEMISMATCH);
    }
    EXPECT_EQ(sink()->Invoke(259, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_TRUE(events.before.empty());
    EXPECT_TRUE(events.complete.empty());
    site.BindEvents(nullptr);
}

// The login form over the site: the capture cancels the navigation and reaches the pop-up
// while the event is still running; the first document runs the update check once.
TEST_F(BrowserSiteTest, LoginFormCapturesTheGameUrlThroughTheSite) {
    std::vector<std::pair<int, std::string>> commands;
    int updateChecks = 0;
    WebFormLogin form(
        nullptr, [&](int id) { commands.emplace_back(id, g_strGameUrl); }, [&] { ++updateChecks; });
    site.BindEvents(&static_cast<IBrowserEvents&>(form));

    const struct {
        std::string url;
        VARIANT_BOOL cancelOut;
    } navigations[] = {
        {"http://127.0.0.1/dlq/", VARIANT_FALSE},
        {"http://127.0.0.1/x?PLAY_GAMECODE=1", VARIANT_FALSE},
        {"http://127.0.0.1/x?play-gamecode=1", VARIANT_FALSE},
        {"http://127.0.0.1/start?play_gamecode=xhvx&svname=%E4%B8%80", 1},
    };
    for (const auto& n : navigations) {
        EventArguments args(250, n.url);
        EXPECT_EQ(args.Send(sink()), S_OK);
        EXPECT_EQ(args.cancel(), n.cancelOut) << n.url;
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands.back(), std::make_pair(kIdGameUrlNavigated, n.url));
    }
    EXPECT_EQ(commands.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EventArguments args(259, "http://127.0.0.1/frame" + std::to_string(i));
        EXPECT_EQ(args.Send(sink()), S_OK);
    }
    EXPECT_EQ(updateChecks, 1);
    site.BindEvents(nullptr);
    g_strGameUrl.clear();
}

// A class nobody registered stands for a system that refuses to build the control.
TEST(BrowserSiteWithoutControlTest, EverythingFailsQuietly) {
    constexpr CLSID kUnregistered = {0x5A1E0000, 0x0000, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};
    HostWindows windows;
    CBrowserSite site(windows.host(), kUnregistered);
    EXPECT_FALSE(site.Exists());
    EXPECT_EQ(site.RefCount(), 0);
    EXPECT_FALSE(site.Navigate("http://127.0.0.1/"));
    EXPECT_EQ(site.GetWebBrowser(), nullptr);
    EXPECT_EQ(site.FindBrowserWindow(), nullptr);
    EXPECT_EQ(site.TranslatePageKey(9, 0), E_FAIL);
    EXPECT_TRUE(site.Place({0, 0, 10, 10})) << "before activation the rectangle is only stored";
    EXPECT_EQ(site.SiteRect(), (Rect{0, 0, 10, 10}));
    RecordedEvents events;
    EXPECT_FALSE(site.Activate({0, 0, 100, 100}, events));
    EXPECT_FALSE(site.Place({0, 42, 645, 500}));
    EXPECT_EQ(site.SiteRect(), (Rect{0, 0, 100, 100})) << "a failed placement keeps the old rectangle";
}

// The real control, where the system builds one (Wine builds it but has no engine to show
// pages): the site activates it, places its window and receives its navigations.
class RealControlTest : public testing::Test {
protected:
    void SetUp() override {
        auto owned = std::make_unique<CLoginFormSite>(windows.host());
        site = owned.get();
        if (!site->Exists()) GTEST_SKIP() << "no browser control on this system";
        form = std::make_unique<WebFormLogin>(
            std::move(owned), [&](int id) { commands.emplace_back(id, g_strGameUrl); }, [] {});
    }
    void TearDown() override { g_strGameUrl.clear(); }

    // The control's own window inside the host, in host coordinates.
    Rect ControlWindowRect() const {
        HWND child = ::GetWindow(windows.host(), GW_CHILD);
        if (!child) return {-1, -1, -1, -1};
        RECT r{};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, windows.host(), reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top, r.right, r.bottom};
    }
    static void Pump(DWORD ms) {
        const DWORD until = ::GetTickCount() + ms;
        MSG msg;
        do {
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            ::Sleep(10);
        } while (::GetTickCount() < until);
    }

    HostWindows windows;
    CLoginFormSite* site = nullptr;
    std::unique_ptr<WebFormLogin> form;
    std::vector<std::pair<int, std::string>> commands;
};

TEST_F(RealControlTest, ActivatesOnceAndFollowsItsRectangle) {
    ASSERT_TRUE(form->SetWebRect({0, 42, 200, 150})) << "before activation the rectangle is only stored";
    ASSERT_TRUE(form->CreateBrowser());
    EXPECT_EQ(site->CanInPlaceActivate(), S_OK);
    EXPECT_EQ(ControlWindowRect(), (Rect{0, 42, 200, 150}));
    EXPECT_TRUE(form->CreateBrowser()) << "a second call does nothing";
    EXPECT_EQ(ControlWindowRect(), (Rect{0, 42, 200, 150}));

    const Rect places[] = {Rect{}, Rect{0, 42, 645, 500}, Rect{}, Rect{5, 6, 105, 56}};
    for (const Rect& place : places) {
        EXPECT_TRUE(form->SetWebRect(place));
        EXPECT_EQ(ControlWindowRect(), place);
        EXPECT_EQ(form->WebRect(), place);
    }
    EXPECT_NE(site->GetWebBrowser(), nullptr);
}

TEST_F(RealControlTest, ActivatesOverTheHostsClientAreaWithoutARectangle) {
    ASSERT_TRUE(form->CreateBrowser());
    EXPECT_EQ(ControlWindowRect(), (Rect{0, 0, 300, 200}));
    EXPECT_EQ(form->WebRect(), (Rect{0, 0, 300, 200}));
}

TEST_F(RealControlTest, NavigationsArriveThroughTheEventConnection) {
    ASSERT_TRUE(form->CreateBrowser());
    // Port 9 of the loopback: nothing answers, nothing leaves the machine.
    const std::string plain = "http://127.0.0.1:9/dlq/index.html";
    const std::string game = "http://127.0.0.1:9/start?play_gamecode=xhvx&svname=1";
    EXPECT_TRUE(form->Navigate(plain));
    Pump(300);
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), std::make_pair(kIdGameUrlNavigated, plain));
    EXPECT_TRUE(form->Navigate(game));
    Pump(300);
    EXPECT_EQ(commands.back(), std::make_pair(kIdGameUrlNavigated, game));
    EXPECT_EQ(g_strGameUrl, game);
}

}  // namespace
}  // namespace xh
#endif
