#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include <string>
#include <vector>

#include "frame/frame_dialog.h"
#include "support/fake_ports.h"

namespace xh {
namespace {

// A frame window that records what the presenter asks of it and behaves like a window
// that is zoomed after SC_MAXIMIZE and not after SC_RESTORE.
class FakeFrameView final : public IFrameView {
public:
    std::vector<std::string> calls;
    Rect window{0, 0, 1000, 700};
    Rect workArea{0, 0, 1280, 770};
    std::optional<Rect> taskbar = Rect{0, 770, 1280, 800};
    bool zoomed = false;
    bool picturesLoad = true;
    std::map<int, bool> visible;
    std::map<int, Rect> places;

    WindowId Handle() override { return 4242; }
    void SetTitle(const std::string& t) override { calls.push_back("title " + t); }
    void RemoveCaption() override { calls.push_back("no caption"); }
    void AddMinimizeBox() override { calls.push_back("minimize box"); }
    void SetWindowRect(const Rect& r) override {
        window = r;
        calls.push_back("rect " + Text(r));
    }
    Rect ClientRect() override { return {0, 0, window.Width(), window.Height()}; }
    void CenterOnScreen() override { calls.push_back("centre"); }
    void SendSysCommand(SysCommand c) override {
        if (c == SysCommand::Maximize) zoomed = true;
        if (c == SysCommand::Restore) {
            zoomed = false;
            window = {140, 35, 1140, 735};
        }
        calls.push_back(c == SysCommand::Maximize ? "SC_MAXIMIZE" : c == SysCommand::Restore ? "SC_RESTORE" : "SC_MINIMIZE");
    }
    bool IsZoomed() override { return zoomed; }
    void PlaceButton(int id, const Rect& r) override { places[id] = r; }
    void ShowButton(int id, bool v) override { visible[id] = v; }
    void SetButtonImages(int id, unsigned n, unsigned h, unsigned p) override {
        calls.push_back("images " + std::to_string(id) + " " + std::to_string(n) + "," + std::to_string(h) + "," +
                        std::to_string(p));
    }
    void SetButtonToolTip(int id, const std::string& t) override {
        calls.push_back("tooltip " + std::to_string(id) + " " + t);
    }
    bool LoadTitlePictures() override {
        calls.push_back("title pictures");
        return picturesLoad;
    }
    void Invalidate(const Rect& r, bool erase) override {
        calls.push_back(std::string("invalidate ") + Text(r) + (erase ? " erase" : ""));
    }
    void SetBigIcon() override {}
    std::optional<Rect> TaskbarRect() override { return taskbar; }
    Rect WorkArea() override { return workArea; }
    void SendToGame(WindowId g, unsigned m, long w) override {
        calls.push_back("send " + std::to_string(g) + " " + std::to_string(m) + " " + std::to_string(w));
    }
    void PostToGame(WindowId g, unsigned m, long w) override {
        calls.push_back("post " + std::to_string(g) + " " + std::to_string(m) + " " + std::to_string(w));
    }
    void SetTimer(unsigned id, unsigned ms) override {
        calls.push_back("timer " + std::to_string(id) + " " + std::to_string(ms));
    }
    void KillTimer(unsigned id) override { calls.push_back("kill timer " + std::to_string(id)); }
    void BeginDrag() override { calls.push_back("drag"); }
    void AddTrayIcon(const std::string& tip) override { calls.push_back("tray " + tip); }
    void CreateNoticeOverlay() override { calls.push_back("overlay"); }
    void RegisterHotKeys() override { calls.push_back("hotkeys"); }

    static std::string Text(const Rect& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
               std::to_string(r.bottom);
    }
    bool Has(const std::string& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }
    std::size_t IndexOf(const std::string& call) const {
        return static_cast<std::size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
    }
};

constexpr const char* kUrl = "http://127.0.0.1:1/game/play.php?play_gamecode=xinghe&sid=2&svname=%E7%94%B5%E4%BF%A1%2F%E7%BD%91";

struct Frame {
    testing::FakePorts fakes;
    FakeFrameView view;
    std::vector<std::string> launched;
    std::vector<std::string> order;  // login and launch, in the order they ran
    CVidave_ZqDlg dlg{view, FrameHooks{[this] {
                                           order.push_back("login");
                                           order.push_back("visible calls " + std::to_string(view.calls.size()));
                                           return std::string(kUrl);
                                       },
                                       [this](WindowId f, const std::string& u) {
                                           launched.push_back(std::to_string(f) + " " + u);
                                       },
                                       {}}};

    void Start() {
        dlg.OnInitDialog();
        view.calls.clear();
    }
};

TEST(FrameDialogTest, StartsUpInOrderWithTheLoginBeforeAnythingIsShown) {
    Frame f;
    f.dlg.OnInitDialog();
    const auto& c = f.view.calls;
    // The window is shaped before the login, everything else comes after it.
    ASSERT_GE(c.size(), 4u);
    EXPECT_EQ(c[0], "title 星河登录器");
    EXPECT_EQ(c[1], "no caption");
    EXPECT_EQ(c[2], "rect 0,0-1000,700");
    EXPECT_EQ(c[3], "minimize box");
    EXPECT_EQ(f.order, (std::vector<std::string>{"login", "visible calls 4"}));
    EXPECT_EQ(f.dlg.GameUrl(), kUrl);
    EXPECT_EQ(f.dlg.ServerName(), "电信");

    const std::vector<std::string> steps = {"tray 星河登录器", "images 1001 207,208,227", "title pictures", "centre",
                                            "SC_MAXIMIZE", "rect 0,0-1280,770", "invalidate 0,0-1280,30 erase",
                                            "overlay", "hotkeys"};
    std::size_t last = 0;
    for (const auto& s : steps) {
        const std::size_t at = f.view.IndexOf(s);
        ASSERT_LT(at, c.size()) << s;
        EXPECT_GE(at, last) << s;
        last = at;
    }
    EXPECT_EQ(f.launched, (std::vector<std::string>{std::string("4242 ") + kUrl}));
    EXPECT_TRUE(f.dlg.Maximized());
    EXPECT_FALSE(f.dlg.MinimizedByButton());
    EXPECT_FALSE(f.view.visible[kBtnMaximize]);
    EXPECT_TRUE(f.view.visible[kBtnRestore]);
    EXPECT_EQ(f.view.places[kBtnClose], (Rect{1252, 3, 1280, 29}));
    EXPECT_TRUE(f.dlg.ShouldDrawTitleBar());
    EXPECT_EQ(f.dlg.TitleBarText(), "[ 电信 ]");
}

TEST(FrameDialogTest, GivesEveryButtonItsPicturesAndTheFiveTooltips) {
    Frame f;
    f.dlg.OnInitDialog();
    for (const char* call : {"images 1008 220,213,228", "images 1002 221,217,229", "images 1003 209,210,230",
                             "images 1004 224,214,234", "images 1005 223,215,233", "images 1030 252,253,261",
                             "images 1021 226,219,236", "images 1007 211,212,231",
                             "tooltip 1004 全屏/取消全屏（快捷键F11）", "tooltip 1005 老板键（快捷键F10）",
                             "tooltip 1030 清除缓存", "tooltip 1021 刷新", "tooltip 1007 选择新的服务器"}) {
        EXPECT_TRUE(f.view.Has(call)) << call;
    }
    const auto tips = std::count_if(f.view.calls.begin(), f.view.calls.end(),
                                    [](const std::string& s) { return s.rfind("tooltip", 0) == 0; });
    EXPECT_EQ(tips, 5);
}

TEST(FrameDialogTest, MissingTitlePictureOrFullScreenPaintsNoTitleBar) {
    Frame f;
    f.view.picturesLoad = false;
    f.dlg.OnInitDialog();
    EXPECT_FALSE(f.dlg.ShouldDrawTitleBar());
}

TEST(FrameDialogTest, UrlWithoutServerNameGivesEmptyTitleText) {
    testing::FakePorts fakes;
    FakeFrameView view;
    CVidave_ZqDlg dlg(view, FrameHooks{[] { return std::string("http://h/play.php?play_gamecode=x"); }, {}, {}});
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.ServerName(), "");
    EXPECT_EQ(dlg.TitleBarText(), "");
}

// Every row of the window-state table, from a started (maximised) frame.
TEST(FrameDialogTest, WindowStateTransitions) {
    {  // maximised -> restored by the restore button, and back by the maximise button
        Frame f;
        f.Start();
        f.dlg.OnGameWindowAttached(77);
        f.dlg.OnCommand(kBtnRestore);
        EXPECT_FALSE(f.view.zoomed);
        EXPECT_FALSE(f.dlg.Maximized());
        EXPECT_TRUE(f.view.visible[kBtnMaximize]);
        EXPECT_FALSE(f.view.visible[kBtnRestore]);
        EXPECT_TRUE(f.view.Has("send 77 3027 0"));
        EXPECT_TRUE(f.view.Has("invalidate 0,0-1000,30 erase"));
        EXPECT_FALSE(f.view.Has("timer 102 10"));  // the frame's own restore is no taskbar restore
        EXPECT_EQ(f.view.places[kBtnClose], (Rect{972, 3, 1000, 29}));

        f.view.calls.clear();
        f.dlg.OnCommand(kBtnMaximize);
        EXPECT_TRUE(f.view.zoomed);
        EXPECT_TRUE(f.dlg.Maximized());
        EXPECT_FALSE(f.view.visible[kBtnMaximize]);
        EXPECT_TRUE(f.view.visible[kBtnRestore]);
        EXPECT_EQ(f.view.window, (Rect{0, 0, 1280, 770}));
        EXPECT_TRUE(f.view.Has("send 77 3027 0"));
    }
    {  // double click toggles, and keeps the minimise flag as it was
        Frame f;
        f.Start();
        f.dlg.OnCommand(kBtnMinimize);
        EXPECT_TRUE(f.dlg.MinimizedByButton());
        EXPECT_TRUE(f.view.Has("SC_MINIMIZE"));
        EXPECT_EQ(f.dlg.OnLButtonDblClk(), Then::Default);
        EXPECT_FALSE(f.view.zoomed);
        EXPECT_FALSE(f.dlg.Maximized());
        EXPECT_TRUE(f.dlg.MinimizedByButton());
        f.dlg.OnLButtonDblClk();
        EXPECT_TRUE(f.view.zoomed);
        EXPECT_TRUE(f.dlg.Maximized());
        EXPECT_TRUE(f.dlg.MinimizedByButton());
        f.dlg.OnCommand(kBtnRestore);
        EXPECT_FALSE(f.dlg.MinimizedByButton());
    }
    {  // a taskbar restore of a maximised frame refits it 10 ms later, once
        Frame f;
        f.Start();
        f.dlg.OnCommand(kBtnMinimize);
        f.view.window = {0, 0, 1280, 800};
        EXPECT_EQ(f.dlg.OnSysCommand(SysCommand::Restore), Then::Default);
        EXPECT_TRUE(f.view.Has("timer 102 10"));
        f.view.calls.clear();
        EXPECT_EQ(f.dlg.OnTimer(102), Then::Default);
        EXPECT_EQ(f.view.calls.front(), "rect 0,0-1280,770");
        EXPECT_EQ(f.view.calls.back(), "kill timer 102");
        f.view.calls.clear();
        f.dlg.OnTimer(7);
        EXPECT_TRUE(f.view.calls.empty());
    }
    {  // a restored frame coming back from the taskbar is not refitted
        Frame f;
        f.Start();
        f.dlg.OnCommand(kBtnRestore);
        f.view.calls.clear();
        f.dlg.OnSysCommand(SysCommand::Restore);
        EXPECT_FALSE(f.view.Has("timer 102 10"));
    }
}

TEST(FrameDialogTest, DragsOnlyWhenRestored) {
    Frame f;
    f.Start();
    EXPECT_EQ(f.dlg.OnLButtonDown(), Then::Default);
    EXPECT_FALSE(f.view.Has("drag"));
    f.dlg.OnCommand(kBtnRestore);
    f.dlg.OnLButtonDown();
    EXPECT_TRUE(f.view.Has("drag"));
}

TEST(FrameDialogTest, GameWindowMessagesWaitForTheAnnouncement) {
    Frame f;
    f.Start();
    // Before the game window is known nothing goes out.
    f.dlg.OnSize();
    f.dlg.OnCommand(kBtnRefresh);
    f.dlg.FitToWorkArea();
    for (const auto& c : f.view.calls) {
        EXPECT_NE(c.rfind("send", 0), 0u) << c;
        EXPECT_NE(c.rfind("post", 0), 0u) << c;
    }
    EXPECT_EQ(f.dlg.OnGameWindowAttached(-5), Then::Done);
    f.view.calls.clear();
    f.dlg.OnSize();
    f.dlg.OnCommand(kBtnRefresh);
    EXPECT_EQ(f.view.calls, (std::vector<std::string>{"send -5 3027 0", "post -5 3026 0"}));
    EXPECT_FALSE(f.dlg.OnCommand(kBtnClose));  // someone else's
}

TEST(FrameDialogTest, TaskbarRuleForFourPositions) {
    const Rect screen{0, 0, 1280, 800};
    struct Case {
        const char* where;
        std::optional<Rect> taskbar;
        Rect work;
        Rect expected;
    } cases[] = {
        {"bottom", Rect{0, 770, 1280, 800}, {0, 0, 1280, 770}, {0, 0, 1280, 770}},
        {"top", Rect{0, 0, 1280, 30}, {0, 30, 1280, 800}, {0, 30, 1280, 800}},
        {"left", Rect{0, 0, 60, 800}, {60, 0, 1280, 800}, {60, 0, 1280, 800}},
        {"right", Rect{1220, 0, 1280, 800}, {0, 0, 1220, 800}, {0, 0, 1220, 800}},
        {"none", std::nullopt, screen, screen},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WorkAreaPlacement(c.taskbar, c.work), c.expected) << c.where;
        Frame f;
        f.view.taskbar = c.taskbar;
        f.view.workArea = c.work;
        f.Start();
        f.dlg.FitToWorkArea();
        EXPECT_EQ(f.view.window, c.expected) << c.where;
    }
}

}  // namespace
}  // namespace xh
