#include <gtest/gtest.h>

#include "login/login_popup.h"
#include "controls/control_types.h"
#include "login/login_window.h"
#include "support/fake_ports.h"

namespace xh {
namespace {

// A browser control that records what the site asked of it and lets a test fire events.
class FakeBrowser final : public IBrowserControl {
public:
    explicit FakeBrowser(std::vector<std::string>& log) : log_(log) {}
    bool exists = true;
    IBrowserEvents* events = nullptr;
    bool Exists() const override { return exists; }
    bool Activate(const Rect& r, IBrowserEvents& e) override {
        events = &e;
        log_.push_back("activate " + Str(r));
        return true;
    }
    bool Navigate(const std::string& url) override {
        log_.push_back("navigate " + url);
        return true;
    }
    bool Place(const Rect& r) override {
        log_.push_back("place " + Str(r));
        return true;
    }
    Rect HostClientRect() const override { return {0, 0, 695, 500}; }
    static std::string Str(const Rect& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom);
    }

private:
    std::vector<std::string>& log_;
};

class FakePopupView final : public ILoginPopupView {
public:
    explicit FakePopupView(std::vector<std::string>& log) : log_(log) {}
    FakeBrowser* browser = nullptr;
    bool visible = false;
    void Initialize() override { log_.push_back("popup init"); }
    std::unique_ptr<IBrowserControl> CreateBrowserControl() override {
        auto b = std::make_unique<FakeBrowser>(log_);
        browser = b.get();
        return b;
    }
    void MoveTo(const Rect& r) override { log_.push_back("popup at " + FakeBrowser::Str(r)); }
    bool IsVisible() const override { return visible; }
    void Show() override {
        visible = true;
        log_.push_back("popup show");
    }

private:
    std::vector<std::string>& log_;
};

class FakeLoginView final : public ILoginWindowView {
public:
    std::vector<std::string> log;
    FakePopupView popup{log};
    Rect rect{100, 50, 1496, 897};
    bool hasPicture = true;
    int endResult = -1;
    void SetTitle(const std::string& t) override { log.push_back("title " + t); }
    bool LoadBackground(int& w, int& h) override {
        w = 1396, h = 847;
        return hasPicture;
    }
    void ApplyLayeredBackground() override { log.push_back("layered"); }
    void CenterOnScreen() override { log.push_back("center"); }
    Rect ScreenRect() const override { return rect; }
    void Minimize() override { log.push_back("minimize"); }
    ILoginPopupView& CreatePopupView() override { return popup; }
    void EndModal(int r) override {
        endResult = r;
        log.push_back("end " + std::to_string(r));
    }
};

class ScriptedPrompt final : public IQuestionPrompt {
public:
    int answer = kIdCancel;
    std::vector<std::string> asked;
    int Ask(const std::string& title, const std::string& message) override {
        asked.push_back(title + "|" + message);
        return answer;
    }
};

class LoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        ports().prompt = &prompt;
        g_strGameUrl.clear();
    }
    CVidaveLogin MakeLogin() {
        return CVidaveLogin(view, LoginHooks{[this] { ++updateChecks; }, [this] { view.log.push_back("install"); },
                                             [] { return std::string("1.0.1.0"); }});
    }
    bool Navigate(CVidaveLogin&, const std::string& url) {
        bool cancel = false;
        view.popup.browser->events->BeforeNavigate(url, cancel);
        return cancel;
    }

    testing::FakePorts fakes;
    ScriptedPrompt prompt;
    FakeLoginView view;
    int updateChecks = 0;
};

TEST_F(LoginTest, InitialisesInOrderWithThePageHiddenAtFirst) {
    CVidaveLogin login = MakeLogin();
    login.OnInitDialog();
    EXPECT_EQ(view.log, (std::vector<std::string>{
                            "title 星河登录器", "layered", "center", "popup init", "activate 0,0,695,500",
                            "navigate http://127.0.0.1:47615/games/xhvx/dlq/", "place 0,0,0,0",
                            "popup at 638,164,1333,664", "popup show", "install"}));
    EXPECT_EQ(login.BackWidth(), 1396u);
    EXPECT_EQ(login.BackHeight(), 847u);
}

TEST_F(LoginTest, PopupFollowsEveryMoveAndShowsAgain) {
    CVidaveLogin login = MakeLogin();
    login.OnInitDialog();
    view.log.clear();
    view.rect = {-20, 300, 1376, 1147};
    login.OnWindowPosChanged();
    view.popup.visible = false;  // hidden with a minimised owner
    login.OnWindowPosChanged();
    EXPECT_EQ(view.log, (std::vector<std::string>{"popup at 518,414,1213,914", "popup at 518,414,1213,914",
                                                  "popup show"}));
}

TEST_F(LoginTest, CapturesOnlyTheMarkedNavigation) {
    CVidaveLogin login = MakeLogin();
    login.OnInitDialog();
    const std::pair<std::string, bool> plain[] = {
        {"http://h/games/xhvx/dlq/login.php", false},
        {"http://h/x?PLAY_GAMECODE=1", false},
        {"http://h/x?play-gamecode=1", false},
        {"http://h/frame.html", false},
        {"http://h/servers.php", false},
    };
    for (const auto& [url, _] : plain) EXPECT_FALSE(Navigate(login, url)) << url;
    EXPECT_EQ(g_strGameUrl, "http://h/servers.php");
    EXPECT_EQ(view.endResult, -1) << "still open after five ordinary navigations";

    const std::string game = "http://h/game/play.php?sid=2&play_gamecode=xinghe&svname=%E6%98%9F";
    EXPECT_TRUE(Navigate(login, game)) << "the marked navigation is cancelled";
    EXPECT_EQ(view.endResult, 0);
    EXPECT_EQ(login.GetGameUrl(), game) << "handed over undecoded";
}

TEST_F(LoginTest, FirstCompletedDocumentRunsTheUpdateCheckOnce) {
    CVidaveLogin login = MakeLogin();
    login.OnInitDialog();
    view.log.clear();
    for (const char* url : {"http://h/page", "http://h/frame1", "http://h/frame2", "http://h/frame3"}) {
        view.popup.browser->events->DocumentComplete(url);
    }
    EXPECT_EQ(updateChecks, 1);
    EXPECT_EQ(view.log, std::vector<std::string>(4, "place 0,42,645,500"));
}

TEST_F(LoginTest, ExitQuestionEndsTheProcessOnlyWhenConfirmed) {
    CVidaveLogin login = MakeLogin();
    login.OnInitDialog();
    login.OnSysClose();
    login.Popup()->OnCommand(kIdPopupClose);
    login.Popup()->OnSysClose();
    EXPECT_EQ(prompt.asked, std::vector<std::string>(3, "关闭提示|是否退出《星河》登录器？"));
    EXPECT_EQ(view.endResult, -1);
    prompt.answer = kIdOk;
    try {
        login.OnSysClose();
        FAIL() << "a confirmed exit ends the process";
    } catch (int code) {
        EXPECT_EQ(code, 0);
    }
}

TEST_F(LoginTest, MinimiseButtonMinimisesTheLoginWindow) {
    CVidaveLogin login = MakeLogin();
    login.OnInitDialog();
    view.log.clear();
    login.Popup()->OnCommand(kIdPopupMinimize);
    login.Popup()->OnCommand(kIdGameUrlNavigated);  // no marked URL yet: nothing
    EXPECT_EQ(view.log, std::vector<std::string>{"minimize"});
}

TEST(PopupKeysTest, KeyTable) {
    const struct {
        unsigned vk;
        bool ctrl;
        PopupKeyAction action;
    } cases[] = {
        {13, false, PopupKeyAction::ToFocusedWindow}, {9, false, PopupKeyAction::ToPage},
        {32, false, PopupKeyAction::Swallow},         {27, true, PopupKeyAction::Swallow},
        {86, true, PopupKeyAction::ToPage},           {86, false, PopupKeyAction::Default},
        {118, true, PopupKeyAction::ToPage},          {65, true, PopupKeyAction::ToPage},
        {67, true, PopupKeyAction::ToPage},           {88, true, PopupKeyAction::ToPage},
        {66, true, PopupKeyAction::Default},          {0x74, false, PopupKeyAction::Default},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyPopupKey(c.vk, c.ctrl), c.action) << c.vk << " " << c.ctrl;
}

TEST(WebBrowserBaseTest, RectangleRulesOfTheSite) {
    std::vector<std::string> log;
    auto control = std::make_unique<FakeBrowser>(log);
    FakeBrowser* raw = control.get();
    CWebBrowserBase site(std::move(control));
    EXPECT_TRUE(site.SetWebRect({0, 42, 645, 500}));  // before activation: only stored
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(site.CreateBrowser());
    EXPECT_TRUE(site.CreateBrowser());  // a second call does nothing
    EXPECT_EQ(log, std::vector<std::string>{"activate 0,42,645,500"});
    EXPECT_TRUE(site.SetWebRect({}));
    EXPECT_EQ(log.back(), "place 0,0,0,0");

    std::vector<std::string> none;
    auto missing = std::make_unique<FakeBrowser>(none);
    missing->exists = false;
    CWebBrowserBase dead(std::move(missing));
    EXPECT_FALSE(dead.CreateBrowser());
    EXPECT_FALSE(dead.Navigate("http://h/"));
    EXPECT_EQ(dead.LastUrl(), "http://h/");
    (void)raw;
}

}  // namespace
}  // namespace xh
