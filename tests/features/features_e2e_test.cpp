// The frame's features as a player meets them: boss key, fullscreen, tray icon and menu,
// cache cleaning, the exit and re-selection prompts. Real launcher and game host processes
// on the desktop of scripts/with-desktop.sh, logged in on the demo platform, driven with
// xdotool.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

#include "support/desktop.h"
#include "support/temp_dir.h"
#include "support/x11_desktop.h"



namespace xh {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::Alive;
using testing::Box;
using testing::CommandLineOf;
using Desktop = testing::X11Desktop;
using testing::Child;
using testing::ReadText;
using testing::WaitFor;
using testing::Xdotool;

void Shot(const std::string& name) {
    fs::create_directories(XINGHE_TEST_SHOTS);
    testing::Run("import -window root '" XINGHE_TEST_SHOTS "/" + name + ".png' 2>/dev/null");
}



std::vector<pid_t> ProcessesWhere(const std::function<bool(const std::string&)>& line) {
    std::vector<pid_t> out;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = std::stoi(name);
        if (Alive(pid) && line(CommandLineOf(pid))) out.push_back(pid);
    }
    return out;
}


// A window of another client, to take the focus from the frame.
class OtherWindow {
public:
    explicit OtherWindow(Display* d) : m_display(d) {
        m_window = XCreateSimpleWindow(d, DefaultRootWindow(d), 100, 100, 300, 200, 0, 0, 0xFFFFFF);
        XStoreName(d, m_window, "another program");
        XMapWindow(d, m_window);
        XSync(d, False);
    }
    ~OtherWindow() {
        XDestroyWindow(m_display, m_window);
        XSync(m_display, False);
    }
    Window Id() const { return m_window; }

private:
    Display* m_display;
    Window m_window;
};

const Box kScreen{0, 0, 1280, 800};

// One launcher, logged in and playing, with the boss key `bossKey` in its settings file.
struct Session {
    testing::TempDir home;
    std::string log = home / "launcher.log";
    std::unique_ptr<testing::DemoPlatform> demo;
    Desktop desktop;
    std::unique_ptr<Child> launcher;
    pid_t gameHost = 0;
    Window frame = 0, game = 0;
    std::string failure;

    std::string DataFolder() const { return TempDir(home) + "/.local/share/Vexa/xinghe/"; }
    static std::string TempDir(const testing::TempDir& t) { return testing::TempDir::Utf8(t.path()); }

    bool Start(const std::optional<std::string>& settings) {
        if (!desktop.Ready()) return Fail("no X display");
        demo = std::make_unique<testing::DemoPlatform>(XINGHE_TEST_DEMO, XINGHE_TEST_DEMO_PORT, home / "demo.log");
        if (settings) {
            // Marked as unpacked, so the first start keeps these values.
            fs::create_directories(DataFolder() + "res");
            testing::TempDir::Write(DataFolder() + "res/systemset.ini", "[Setting]\r\nstart=1001\r\n" + *settings);
        }
        launcher = std::make_unique<Child>(XINGHE_TEST_LAUNCHER, std::vector<std::string>{XINGHE_TEST_LAUNCHER}, log,
                                           std::vector<std::string>{"HOME=" + TempDir(home), "XDG_DATA_HOME=",
                                                                    "XDG_CONFIG_HOME="});
        std::optional<Box> popup;
        if (!WaitFor(30s, [&] { return (popup = desktop.ClientOfSize(697, 542)).has_value(); })) {
            return Fail("the login pop-up never appeared");
        }
        std::this_thread::sleep_for(3s);
        Xdotool("mousemove " + std::to_string(popup->x + 455) + " " + std::to_string(popup->y + 206) + " click 1");
        Xdotool("type --delay 40 pilot7");
        Xdotool("key Tab");
        Xdotool("type --delay 40 secret");
        Xdotool("key Return");
        if (!WaitFor(20s, [&] { return demo->Requested("/games/xhvx/dlq/servers.php"); })) {
            return Fail("the login was not sent");
        }
        std::this_thread::sleep_for(2s);
        Xdotool("key --delay 150 Tab Tab Tab Tab Tab Tab Return");
        if (!WaitFor(30s, [&] { return !GameHosts().empty(); })) return Fail("no game host was started");
        gameHost = GameHosts().front();
        const std::string line = CommandLineOf(gameHost);
        frame = static_cast<Window>(std::stoul(line.substr(line.find(" -frameWnd=") + 11)));
        if (!WaitFor(20s, [&] {
                for (Window w : desktop.WindowsOf(gameHost)) {
                    if (desktop.ScreenBox(w) && desktop.ScreenBox(w)->y > 0) game = w;
                }
                return game != 0 && Visible(game);
            })) {
            return Fail("the game window never appeared in the frame");
        }
        std::this_thread::sleep_for(3s);
        return true;
    }
    bool Fail(const std::string& why) {
        failure = why;
        return false;
    }
    std::vector<pid_t> GameHosts() {
        return ProcessesWhere([&](const std::string& l) {
            return l.find(XINGHE_TEST_LAUNCHER) != std::string::npos && l.find(" -frameWnd=") != std::string::npos &&
                   launcher && l.find("-frameWnd=") != std::string::npos;
        });
    }
    bool Visible(Window w) { return desktop.ScreenBox(w).has_value(); }
    std::optional<Box> FrameBox() { return desktop.ScreenBox(frame); }
    // A title-bar button, by its distance from the frame's right edge and its width.
    void ClickTitleButton(int fromRight, int width) {
        const Box f = FrameBox().value_or(Box{});
        Xdotool("mousemove " + std::to_string(f.x + f.width - fromRight + width / 2) + " " + std::to_string(f.y + 15) +
                " click 1");
    }
    // The launcher's icon in the panel's tray.
    std::optional<Box> TrayIcon() {
        for (Window w : desktop.WindowsOf(launcher->Pid())) {
            const auto box = desktop.ScreenBox(w);
            if (box && box->width <= 32 && box->height <= 32 && box->y >= 770) return box;
        }
        return std::nullopt;
    }
    // The message box with this title, answered with its OK button (Enter).
    bool Confirm(const std::string& title) {
        std::vector<std::string> boxes;
        if (!WaitFor(10s, [&] { return !(boxes = testing::VisibleWindows("^" + title + "$")).empty(); })) return false;
        std::this_thread::sleep_for(500ms);
        Xdotool("windowactivate --sync " + boxes.front() + " key Return");
        return true;
    }
    bool Decline(const std::string& title) {
        std::vector<std::string> boxes;
        if (!WaitFor(10s, [&] { return !(boxes = testing::VisibleWindows("^" + title + "$")).empty(); })) return false;
        std::this_thread::sleep_for(500ms);
        Xdotool("windowactivate --sync " + boxes.front() + " key Escape");
        return WaitFor(5s, [&] { return testing::VisibleWindows("^" + title + "$").empty(); });
    }
    void Activate() {
        Xdotool("windowactivate --sync " + std::to_string(frame));
        WaitFor(3s, [&] { return desktop.Active() == frame; });
    }
};

// ---- a boss key from the settings file ------------------------------------------------------

class ConfiguredBossKey : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!std::getenv("DISPLAY")) return;
        s = new Session;
        s->Start("screentoggle=Ctrl+Shift+Q\r\nfullscreen=F11\r\n");
    }
    static void TearDownTestSuite() {
        delete s;
        s = nullptr;
    }
    void SetUp() override {
        if (!s) GTEST_SKIP() << "needs the desktop of scripts/with-desktop.sh";
        ASSERT_TRUE(s->failure.empty()) << s->failure << "\n--- launcher ---\n" << ReadText(s->log);
        ASSERT_TRUE(Alive(s->launcher->Pid()));
    }
    static Session* s;
};
Session* ConfiguredBossKey::s = nullptr;

TEST_F(ConfiguredBossKey, CtrlShiftQHidesAndShowsTheFrameWithTheGameAndF10IsLeftFree) {
    ASSERT_TRUE(s->Visible(s->frame));
    Xdotool("key F10");
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(s->Visible(s->frame)) << "F10 is not the boss key here";

    Xdotool("key ctrl+shift+q");
    EXPECT_TRUE(WaitFor(5s, [&] { return !s->Visible(s->frame) && !s->Visible(s->game); }));
    Shot("features-boss-key-hidden");
    Xdotool("key ctrl+shift+q");
    EXPECT_TRUE(WaitFor(5s, [&] { return s->Visible(s->frame) && s->Visible(s->game); }));
    EXPECT_TRUE(WaitFor(5s, [&] { return s->FrameBox() == s->desktop.WorkArea(); })) << *s->FrameBox();
}

TEST_F(ConfiguredBossKey, ViewModeRowsThroughTheButtonsTheTrayToggleAndTheMinimiseRule) {
    const Box work = s->desktop.WorkArea();
    s->Activate();
    // Restored, then fullscreen from its button, then out with the hotkey: maximised.
    // The first click after the tray's may only bring the pointer back to the frame.
    bool restored = false;
    for (int attempt = 0; attempt < 3 && !restored; ++attempt) {
        s->ClickTitleButton(57, 28);
        restored = WaitFor(3s, [&] { return s->FrameBox() && s->FrameBox()->width == 1000; });
    }
    ASSERT_TRUE(restored) << *s->FrameBox();
    s->ClickTitleButton(172, 85);
    EXPECT_TRUE(WaitFor(5s, [&] { return s->FrameBox() == kScreen; })) << *s->FrameBox();
    Shot("features-fullscreen-from-restored");
    Xdotool("key F11");
    EXPECT_TRUE(WaitFor(5s, [&] { return s->FrameBox() == work; })) << *s->FrameBox();

    // The boss-key button hides; the tray menu's toggle brings the frame back.
    s->ClickTitleButton(270, 97);
    ASSERT_TRUE(WaitFor(5s, [&] { return !s->Visible(s->frame); }));
    const auto icon = s->TrayIcon();
    ASSERT_TRUE(icon);
    std::set<Window> before;
    for (const auto& [w, box] : s->desktop.TopWindows()) before.insert(w);
    Xdotool("mousemove " + std::to_string(icon->x + 2) + " " + std::to_string(icon->y + 10) + " click 3");
    std::optional<Box> menu;
    EXPECT_TRUE(WaitFor(5s, [&] {
        for (const auto& [w, box] : s->desktop.TopWindows()) {
            if (!before.count(w) && box.width > 40 && box.height > 40 && box.width < 400 && box.height < 200) menu = box;
        }
        return menu.has_value();
    }));
    EXPECT_FALSE(s->Visible(s->frame)) << "opening the menu does not show the frame";
    if (!menu) Xdotool("key Escape");
    ASSERT_TRUE(menu);
    Xdotool("mousemove " + std::to_string(menu->x + 20) + " " + std::to_string(menu->y + 12) + " click 1");
    EXPECT_TRUE(WaitFor(5s, [&] { return s->Visible(s->frame) && s->FrameBox() == work; }));

    // Minimised with its own button, the boss key brings it back maximised and in front.
    s->Activate();
    s->ClickTitleButton(86, 28);
    ASSERT_TRUE(WaitFor(5s, [&] { return !s->Visible(s->frame); }));
    Xdotool("key ctrl+shift+q");
    EXPECT_TRUE(WaitFor(5s, [&] { return s->FrameBox() == work && s->Visible(s->game); }));
    EXPECT_TRUE(WaitFor(3s, [&] { return s->desktop.Active() == s->frame; }));

    // Minimised from the taskbar, the boss key hides it instead.
    Xdotool("windowminimize --sync " + std::to_string(s->frame));
    const Atom wmState = XInternAtom(s->desktop.X(), "WM_STATE", False);
    ASSERT_TRUE(WaitFor(5s, [&] { return s->desktop.Cardinals(s->frame, "WM_STATE", wmState) == std::vector<long>{3, 0}; }));
    Xdotool("key ctrl+shift+q");
    EXPECT_TRUE(WaitFor(5s, [&] {
        const auto state = s->desktop.Cardinals(s->frame, "WM_STATE", wmState);
        return state.empty() || state[0] == 0;  // withdrawn, not iconic
    }));
    Xdotool("key ctrl+shift+q");
    EXPECT_TRUE(WaitFor(5s, [&] { return !s->desktop.Cardinals(s->frame, "WM_STATE", wmState).empty(); }));
    Xdotool("windowactivate --sync " + std::to_string(s->frame));
    EXPECT_TRUE(WaitFor(5s, [&] { return s->Visible(s->frame); }));
    Shot("features-view-modes-end");
    // Restored and maximised again on the title bar's text, so that what follows finds the
    // buttons laid out for the frame's width.
    Xdotool("mousemove 300 15 click --repeat 2 --delay 100 1");
    WaitFor(5s, [&] { return s->FrameBox() && s->FrameBox()->width == 1000; });
    const Box again = s->FrameBox().value_or(Box{});
    std::this_thread::sleep_for(800ms);  // not a third click of the last double click
    Xdotool("mousemove " + std::to_string(again.x + 300) + " " + std::to_string(again.y + 15) +
            " click --repeat 2 --delay 100 1");
    EXPECT_TRUE(WaitFor(5s, [&] { return s->FrameBox() == work; })) << *s->FrameBox();
}

TEST_F(ConfiguredBossKey, F11SwitchesFullscreenOnlyWhileTheFrameIsActive) {
    s->Activate();
    Xdotool("key F11");
    EXPECT_TRUE(WaitFor(5s, [&] { return s->FrameBox() == kScreen; })) << *s->FrameBox();
    // The game covers the whole frame; the title bar is gone.
    EXPECT_TRUE(WaitFor(5s, [&] { return s->desktop.ScreenBox(s->game) == kScreen; })) << *s->desktop.ScreenBox(s->game);
    Shot("features-fullscreen");
    Xdotool("key F11");
    EXPECT_TRUE(WaitFor(5s, [&] { return s->FrameBox() == s->desktop.WorkArea(); })) << *s->FrameBox();
    EXPECT_TRUE(WaitFor(5s, [&] {
        const auto f = s->FrameBox();
        const auto g = s->desktop.ScreenBox(s->game);
        return f && g && *g == Box{f->x, f->y + 30, f->width, f->height - 30};
    }));

    OtherWindow other(s->desktop.X());
    ASSERT_TRUE(WaitFor(5s, [&] { return s->desktop.Active() == other.Id(); }))
        << "active " << s->desktop.Active();
    Xdotool("key F11");
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(s->FrameBox(), s->desktop.WorkArea()) << "F11 while another window is active";
}

TEST_F(ConfiguredBossKey, DeclinedCloseInFullscreenReturnsToTheMaximisedFrame) {
    s->Activate();
    Xdotool("key F11");
    ASSERT_TRUE(WaitFor(5s, [&] { return s->FrameBox() == kScreen; }));
    Xdotool("windowactivate --sync " + std::to_string(s->frame) + " key alt+F4");
    ASSERT_TRUE(s->Decline("关闭提示"));
    EXPECT_TRUE(WaitFor(5s, [&] { return s->FrameBox() == s->desktop.WorkArea(); })) << *s->FrameBox();
    EXPECT_TRUE(Alive(s->launcher->Pid()));
    EXPECT_TRUE(s->TrayIcon().has_value());
}

TEST_F(ConfiguredBossKey, TrayIconShowsAHiddenFrameAndOpensItsMenuLeftOfTheCursor) {
    std::optional<Box> icon;
    ASSERT_TRUE(WaitFor(5s, [&] { return (icon = s->TrayIcon()).has_value(); })) << "no icon in the panel's tray";
    Xdotool("key ctrl+shift+q");
    ASSERT_TRUE(WaitFor(5s, [&] { return !s->Visible(s->frame); }));
    const int cx = icon->x + icon->width / 2, cy = icon->y + icon->height / 2;
    Xdotool("mousemove " + std::to_string(cx) + " " + std::to_string(cy) + " click 1");
    EXPECT_TRUE(WaitFor(5s, [&] { return s->Visible(s->frame) && s->Visible(s->game); }));
    EXPECT_TRUE(WaitFor(3s, [&] { return s->desktop.Active() == s->frame; }));

    std::set<Window> before;
    for (const auto& [w, box] : s->desktop.TopWindows()) before.insert(w);
    // Near the icon's left edge, where the menu still fits on the screen.
    const int mx = icon->x + 2;
    Xdotool("mousemove " + std::to_string(mx) + " " + std::to_string(cy) + " click 3");
    std::optional<Box> menu;
    EXPECT_TRUE(WaitFor(5s, [&] {
        for (const auto& [w, box] : s->desktop.TopWindows()) {
            if (!before.count(w) && box.width > 40 && box.height > 40 && box.width < 400 && box.height < 200) menu = box;
        }
        return menu.has_value();
    }));
    Shot("features-tray-menu");
    if (!menu) Xdotool("key Escape");  // the menu holds the pointer while it is open
    ASSERT_TRUE(menu);
    // Left edge 130 pixels left of the cursor, unless that would push it off the screen,
    // where the menu is kept on it (as TrackPopupMenu does).
    EXPECT_EQ(menu->x, std::min(mx - 130, kScreen.width - menu->width)) << *menu << " cursor " << mx;
    // The first item, "隐藏/显示(F10)", hides the frame.
    Xdotool("mousemove " + std::to_string(menu->x + 20) + " " + std::to_string(menu->y + 12) + " click 1");
    EXPECT_TRUE(WaitFor(5s, [&] { return !s->Visible(s->frame); }));
    Xdotool("mousemove " + std::to_string(cx) + " " + std::to_string(cy) + " click 1");
    EXPECT_TRUE(WaitFor(5s, [&] { return s->Visible(s->frame); }));
}

TEST_F(ConfiguredBossKey, CleaningVeilsTheFrameEmptiesTheCacheFolderAndKeepsTheGameAndItsCookies) {
    const std::string cache = s->DataFolder() + "web/cache";
    // Enough files that the veil is seen (it goes when the walk ends; 4 000 were once walked
    // before a screen grab caught the veil), a read-only one and a desktop.ini that stays.
    fs::create_directories(cache + "/bulk/inner");
    for (int i = 0; i < 15000; ++i) testing::TempDir::Write(cache + "/bulk/f" + std::to_string(i), "x");
    testing::TempDir::Write(cache + "/bulk/inner/locked.bin", "x");
    fs::permissions(cache + "/bulk/inner/locked.bin", fs::perms::owner_write, fs::perm_options::remove);
    testing::TempDir::Write(cache + "/bulk/Desktop.ini", "[.ShellClassInfo]");
    ASSERT_FALSE(fs::is_empty(cache));

    const Box f = s->FrameBox().value_or(Box{});
    const Box patch{f.x + 40, f.y + f.height - 120, 40, 40};
    s->ClickTitleButton(349, 85);
    // The veil: the tint over white, almost black, over the frame's rectangle.
    bool veiled = false;
    WaitFor(5s, [&] { return veiled = s->desktop.CountColour(patch, 0x191919, 12) > 1500; });
    if (veiled) Shot("features-cleaning-overlay");
    EXPECT_TRUE(veiled);
    EXPECT_TRUE(WaitFor(20s, [&] { return s->desktop.CountColour(patch, 0x191919, 12) < 100; })) << "the veil stays";

    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(cache)) left.push_back(e.path().lexically_relative(cache));
    EXPECT_EQ(left, (std::vector<std::string>{"bulk", "bulk/Desktop.ini"}));
    const std::string out = ReadText(s->log);
    EXPECT_NE(out.find("临时文件夹路径为:" + cache + "\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("开始清理" + cache + "/bulk/inner文件夹\r\n"), std::string::npos);
    EXPECT_NE(out.find("*******第一次查找缓存:"), std::string::npos);

    // The game runs on, and a reload still greets the logged-in account: its cookies stayed.
    EXPECT_TRUE(Alive(s->gameHost));
    EXPECT_TRUE(s->Visible(s->game));
    s->demo->ClearRequests();
    s->ClickTitleButton(428, 78);
    EXPECT_TRUE(WaitFor(10s, [&] { return s->demo->Requested("GET /game/play.php?"); }));
    const auto g = s->desktop.ScreenBox(s->game);
    ASSERT_TRUE(g);
    const Box header{g->x + 300, g->y + 5, 500, 32};
    EXPECT_TRUE(WaitFor(10s, [&] { return s->desktop.CountColour(header, 0xFFD88A, 24) > 20; }));
    EXPECT_EQ(s->desktop.CountColour(header, 0xFF9A9A, 24), 0);
}

TEST_F(ConfiguredBossKey, ReselectionStartsANewLauncherWithTheBarePathAndEndsThisOne) {
    const pid_t old = s->launcher->Pid();
    s->ClickTitleButton(488, 59);
    ASSERT_TRUE(s->Confirm("选服"));
    EXPECT_TRUE(WaitFor(3s, [&] { return !s->Visible(s->frame); }));
    std::vector<pid_t> fresh;
    EXPECT_TRUE(WaitFor(10s, [&] {
        fresh = ProcessesWhere([&](const std::string& l) { return l == XINGHE_TEST_LAUNCHER; });
        std::erase(fresh, old);
        return !fresh.empty();
    }));
    EXPECT_TRUE(s->launcher->WaitExit(5s).has_value()) << "the old launcher ends";
    EXPECT_TRUE(WaitFor(5s, [&] { return !Alive(s->gameHost); }));
    // The new launcher shows the login again.
    EXPECT_TRUE(WaitFor(30s, [&] { return s->desktop.ClientOfSize(697, 542).has_value(); }));
    Shot("features-reselected-login");
    for (pid_t p : fresh) {
        EXPECT_EQ(CommandLineOf(p).find("-frameWnd="), std::string::npos);
        ::kill(p, SIGKILL);
    }
}

// ---- the shipped hotkeys ---------------------------------------------------------------------

class ShippedHotKeys : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!std::getenv("DISPLAY")) return;
        s = new Session;
        s->Start(std::nullopt);
    }
    static void TearDownTestSuite() {
        delete s;
        s = nullptr;
    }
    void SetUp() override {
        if (!s) GTEST_SKIP() << "needs the desktop of scripts/with-desktop.sh";
        ASSERT_TRUE(s->failure.empty()) << s->failure << "\n--- launcher ---\n" << ReadText(s->log);
    }
    static Session* s;
};
Session* ShippedHotKeys::s = nullptr;

TEST_F(ShippedHotKeys, F10HidesTheFrameAndTheGameFromAnywhereAndShowsThemAgain) {
    OtherWindow other(s->desktop.X());
    ASSERT_TRUE(WaitFor(5s, [&] { return s->desktop.Active() == other.Id(); }));
    Xdotool("key F10");
    EXPECT_TRUE(WaitFor(5s, [&] { return !s->Visible(s->frame) && !s->Visible(s->game); }));
    Xdotool("key F10");
    EXPECT_TRUE(WaitFor(5s, [&] { return s->Visible(s->frame) && s->Visible(s->game); }));
}

TEST_F(ShippedHotKeys, ConfirmedExitRemovesTheTrayIconAndEndsBothProcesses) {
    ASSERT_TRUE(WaitFor(5s, [&] { return s->TrayIcon().has_value(); }));
    s->ClickTitleButton(28, 28);
    ASSERT_TRUE(s->Confirm("关闭提示"));
    EXPECT_TRUE(WaitFor(5s, [&] { return !s->TrayIcon().has_value(); }));
    EXPECT_TRUE(s->launcher->WaitExit(5s).has_value());
    EXPECT_TRUE(WaitFor(3s, [&] { return !Alive(s->gameHost); }));
}

}  // namespace
}  // namespace xh
