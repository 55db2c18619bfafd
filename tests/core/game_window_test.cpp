#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "game/game_window.h"
#include "support/fake_ports.h"

namespace xh {
namespace {

struct BrowserLog {
    std::vector<std::string> calls;
    bool exists = false;
    std::uintptr_t document = 0;
    std::map<std::uintptr_t, bool> hasConnectionPoint;
    std::map<std::uintptr_t, int> connections;  // live connections per document
    std::uint32_t nextCookie = 100;
};

class FakeBrowser final : public IHtmlBrowser {
public:
    explicit FakeBrowser(BrowserLog& log) : m_log(log) {}
    bool Create(const Rect& r) override {
        m_log.exists = true;
        m_log.calls.push_back("create " + std::to_string(r.Width()));
        return true;
    }
    bool HasWindow() override { return m_log.exists; }
    void DestroyWindow() override {
        m_log.exists = false;
        m_log.calls.push_back("destroy");
    }
    void Navigate(const std::string& url) override { m_log.calls.push_back("navigate " + url); }
    void Move(const Rect& r, bool repaint) override {
        m_log.calls.push_back("move " + std::to_string(r.right) + "x" + std::to_string(r.bottom) + (repaint ? " paint" : ""));
    }
    std::uintptr_t TopLevelDocument() override { return m_log.document; }
    std::uint32_t Advise(std::uintptr_t d) override {
        if (!m_log.hasConnectionPoint[d]) return 0;
        ++m_log.connections[d];
        return m_log.nextCookie++;
    }
    void Unadvise(std::uintptr_t d, std::uint32_t) override { --m_log.connections[d]; }

private:
    BrowserLog& m_log;
};

class FakeGameView final : public IGameWindowView {
public:
    BrowserLog browser;
    std::vector<std::string> calls;
    std::optional<Rect> frameClient = Rect{0, 0, 1280, 770};
    Rect window;
    bool visible = false;

    WindowId Handle() override { return 99; }
    std::unique_ptr<IHtmlBrowser> MakeBrowser() override { return std::make_unique<FakeBrowser>(browser); }
    std::optional<Rect> FrameClientRect(WindowId) override { return frameClient; }
    void MoveWindow(const Rect& r, bool repaint) override {
        window = r;
        calls.push_back("move " + std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
                        "," + std::to_string(r.bottom) + (repaint ? " paint" : ""));
    }
    Rect ClientRect() override { return {0, 0, window.Width(), window.Height()}; }
    void SetParent(WindowId f) override { calls.push_back("parent " + std::to_string(f)); }
    void SendToFrame(WindowId f, unsigned m, long w) override {
        calls.push_back("send " + std::to_string(f) + " " + std::to_string(m) + " " + std::to_string(w));
    }
    bool IsVisible() override { return visible; }
    void Show() override {
        visible = true;
        calls.push_back("show");
    }
    void PostQuit(int code) override { calls.push_back("quit " + std::to_string(code)); }
    void StartWatchdog() override { calls.push_back("watchdog"); }
};

TEST(GameWindowTest, InitialisesViewPlacementParentAndAnnouncementInOrder) {
    FakeGameView view;
    CGameWndDlg dlg(view, 4242, "http://h/game?svname=x y");
    EXPECT_TRUE(dlg.OnInitDialog());
    EXPECT_EQ(view.browser.calls,
              (std::vector<std::string>{"create 0", "navigate http://h/game?svname=x y", "move 1280x740"}));
    EXPECT_EQ(view.calls, (std::vector<std::string>{"move 0,30-1280,770 paint", "parent 4242", "send 4242 3025 99",
                                                    "watchdog"}));
}

TEST(GameWindowTest, WithoutFrameOnlyTheWatchdogStarts) {
    FakeGameView view;
    CGameWndDlg dlg(view, 0, "http://h/");
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.View(), nullptr);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"watchdog"}));
    EXPECT_EQ(dlg.OnFit(0), 0);
    EXPECT_EQ(dlg.OnReload(), 0);
    EXPECT_EQ(view.calls.size(), 1u);
}

TEST(GameWindowTest, FitLeavesTheTitleBarFreeUnlessFullScreenAndShowsTheWindow) {
    const struct {
        long wParam;
        Rect client;
        const char* move;
    } cases[] = {
        {0, {0, 0, 1280, 770}, "move 0,30-1280,770"},
        {1, {0, 0, 1280, 800}, "move 0,0-1280,800"},
        {0, {0, 0, 1000, 700}, "move 0,30-1000,700"},
    };
    for (const auto& c : cases) {
        FakeGameView view;
        CGameWndDlg dlg(view, 4242, "u");
        dlg.OnInitDialog();
        view.calls.clear();
        view.frameClient = c.client;
        EXPECT_EQ(dlg.OnFit(c.wParam), 0);
        EXPECT_EQ(view.calls, (std::vector<std::string>{c.move, "show"}));
        view.calls.clear();
        dlg.OnFit(c.wParam);
        EXPECT_EQ(view.calls, (std::vector<std::string>{c.move}));  // already visible
    }
    FakeGameView gone;
    CGameWndDlg dlg(gone, 4242, "u");
    gone.frameClient.reset();
    dlg.OnFit(0);
    EXPECT_TRUE(gone.calls.empty());
}

TEST(GameWindowTest, KeysReloadAndClose) {
    FakeGameView view;
    CGameWndDlg dlg(view, 4242, "http://start/");
    dlg.OnInitDialog();
    view.browser.calls.clear();
    EXPECT_EQ(dlg.PreTranslateKeyDown(GameKey::Escape), KeyRoute::ToPage);
    EXPECT_EQ(dlg.PreTranslateKeyDown(GameKey::Enter), KeyRoute::ToPage);
    EXPECT_EQ(dlg.PreTranslateKeyDown(GameKey::Other), KeyRoute::Default);
    EXPECT_TRUE(view.browser.calls.empty());
    EXPECT_EQ(dlg.PreTranslateKeyDown(GameKey::F5), KeyRoute::Consumed);
    dlg.OnReload();
    EXPECT_EQ(view.browser.calls, (std::vector<std::string>{"navigate http://start/", "navigate http://start/"}));

    view.browser.calls.clear();
    dlg.OnSize();
    EXPECT_EQ(view.browser.calls, (std::vector<std::string>{"move 1280x740"}));

    view.calls.clear();
    dlg.OnClose();
    EXPECT_EQ(dlg.View(), nullptr);
    EXPECT_EQ(view.browser.calls.back(), "destroy");
    dlg.OnClose();  // the watchdog's late close only quits again
    EXPECT_EQ(view.calls, (std::vector<std::string>{"quit 0", "quit 0"}));
    EXPECT_EQ(dlg.PreTranslateKeyDown(GameKey::F5), KeyRoute::Consumed);  // used up without a view
    dlg.OnSize();
    dlg.OnReload();
}

TEST(GameWindowTest, WatchdogPollsEverySecondThenClosesAndEnds) {
    struct Case {
        std::uint64_t frameGoneAt;
        std::uint64_t closeAt, endAt;
    } cases[] = {{0, 0, 1000}, {1, 1000, 2000}, {3500, 4000, 5000}};
    for (const Case& c : cases) {
        testing::FixedClock clock;
        std::vector<std::string> events;
        int polls = 0;
        FrameWatchdogThread(clock, WatchdogActions{[&] {
                                                       ++polls;
                                                       return clock.millis < c.frameGoneAt;
                                                   },
                                                   [&] { events.push_back("close " + std::to_string(clock.millis)); },
                                                   [&] { events.push_back("end " + std::to_string(clock.millis)); }});
        EXPECT_EQ(events, (std::vector<std::string>{"close " + std::to_string(c.closeAt), "end " + std::to_string(c.endAt)}));
        EXPECT_EQ(polls, static_cast<int>(c.closeAt / 1000) + 1);
    }
}

TEST(HtmlViewTest, OneSinkOnTheLatestTopLevelDocument) {
    BrowserLog log;
    std::vector<std::string> out;
    CMyHtmlView view(std::make_unique<FakeBrowser>(log), [&](const std::string& s) { out.push_back(s); });
    log.hasConnectionPoint = {{1, true}, {2, true}, {3, false}};
    log.document = 0;
    view.OnDocumentComplete("about:blank");  // no document yet
    EXPECT_EQ(view.Cookie(), 0u);
    log.document = 1;
    view.OnDocumentComplete("a");
    view.OnDocumentComplete("frame inside a");  // a sub-frame's completion reconnects to the top
    EXPECT_EQ(log.connections[1], 1);
    log.document = 2;
    view.OnDocumentComplete("b");
    EXPECT_EQ(log.connections[1], 0);
    EXPECT_EQ(log.connections[2], 1);
    EXPECT_NE(view.Cookie(), 0u);
    log.document = 3;  // no connection point: left unconnected
    view.OnDocumentComplete("c");
    EXPECT_EQ(log.connections[2], 0);
    EXPECT_EQ(view.Cookie(), 0u);
    log.document = 2;
    view.OnDocumentComplete("b again");
    EXPECT_EQ(log.connections[2], 1);
}

TEST(HtmlViewTest, ClicksInsideLinksReportTheAnchorsHref) {
    const struct {
        const char* what;
        std::vector<ClickedElement> chain;
        std::optional<std::string> line;
    } cases[] = {
        {"span in a link", {{"SPAN", "x"}, {"A", "http://h/links.html#one"}, {"BODY", std::nullopt}},
         "单击事件:http://h/links.html#one\r\n"},
        {"link itself, lower case", {{"a", "/rel"}}, "单击事件:/rel\r\n"},
        {"outside links", {{"DIV", std::nullopt}, {"BODY", std::nullopt}, {"HTML", std::nullopt}}, std::nullopt},
        {"other case", {{"svg:A", "x"}, {"aBBR", "y"}}, std::nullopt},
        {"no root", {}, std::nullopt},
        {"unreadable href", {{"A", std::nullopt}}, std::nullopt},
        {"nearest link wins", {{"A", "inner"}, {"A", "outer"}}, "单击事件:inner\r\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> out;
        SDocEvtHandler sink([&](const std::string& s) { out.push_back(s); });
        sink.OnHtmlClick(c.chain);
        EXPECT_EQ(ClickReport(c.chain), c.line) << c.what;
        EXPECT_EQ(out.size(), c.line ? 1u : 0u) << c.what;
    }
}

}  // namespace
}  // namespace xh
