// The launcher as a player meets it: log in on the demo platform, pick a server, play in the
// frame. Real processes on the desktop of scripts/with-desktop.sh; input through xdotool.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/desktop.h"
#include "support/temp_dir.h"
#include "support/x11_desktop.h"



namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using xh::testing::Alive;
using xh::testing::Box;
using xh::testing::CommandLineOf;
using Desktop = xh::testing::X11Desktop;
using xh::testing::Child;
using xh::testing::ReadText;
using xh::testing::WaitFor;
using xh::testing::Xdotool;

const std::string kOrigin = "http://127.0.0.1:" + std::to_string(XINGHE_TEST_DEMO_PORT);



std::optional<pid_t> FindGameHost() {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = std::stoi(name);
        if (Alive(pid) && CommandLineOf(pid).find(" -frameWnd=") != std::string::npos &&
            CommandLineOf(pid).find(XINGHE_TEST_LAUNCHER) != std::string::npos) {
            return pid;
        }
    }
    return std::nullopt;
}



class Demo {
public:
    explicit Demo(const std::string& output)
        : m_child(XINGHE_TEST_DEMO, {XINGHE_TEST_DEMO, "--port", std::to_string(XINGHE_TEST_DEMO_PORT)}, output) {
        WaitFor(5s, [&] { return Requests().has_value(); });
    }
    std::optional<std::string> Requests() {
        httplib::Client client("127.0.0.1", XINGHE_TEST_DEMO_PORT);
        auto res = client.Get("/__demo/requests");
        if (!res || res->status != 200) return std::nullopt;
        return res->body;
    }
    void Clear() {
        httplib::Client client("127.0.0.1", XINGHE_TEST_DEMO_PORT);
        client.Post("/__demo/requests/clear", "", "text/plain");
    }
    // The request lines that hold `text`.
    std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(Requests().value_or(""));
        for (std::string line; std::getline(in, line);) {
            if (line.find(text) != std::string::npos) lines.push_back(line);
        }
        return lines;
    }

private:
    Child m_child;
};

// One launcher for the whole suite: logging in takes a while, and the cases follow the
// player's way through the frame in order.
class FrameEndToEnd : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!std::getenv("DISPLAY")) return;
        s = new Suite;
        s->Start();
    }
    static void TearDownTestSuite() {
        delete s;
        s = nullptr;
    }
    void SetUp() override {
        if (!s) GTEST_SKIP() << "needs a desktop: run under scripts/with-desktop.sh";
        ASSERT_TRUE(s->started) << s->failure << "\n--- launcher output ---\n" << ReadText(s->launcherLog);
    }

    struct Suite {
        xh::testing::TempDir home;
        std::string launcherLog = home / "launcher.log";
        Demo demo{home / "demo.log"};
        Desktop desktop;
        std::unique_ptr<Child> launcher;
        pid_t gameHost = 0;
        Window frame = 0, game = 0;
        std::string gameTarget;  // the server link the player chose, as the demo saw it
        bool started = false;
        std::string failure;

        void Start() {
            if (!desktop.Ready()) {
                failure = "no X display";
                return;
            }
            launcher = std::make_unique<Child>(XINGHE_TEST_LAUNCHER, std::vector<std::string>{XINGHE_TEST_LAUNCHER},
                                               launcherLog,
                                               std::vector<std::string>{"HOME=" + home.path().string(),
                                                                        "XDG_DATA_HOME=", "XDG_CONFIG_HOME="});
            if (!WaitFor(30s, [&] { return !demo.Lines("GET /games/xhvx/dlq/ ").empty() || !demo.Lines("GET /games/xhvx/dlq/\n").empty() || !demo.Lines("GET /static/platform.css").empty(); })) {
                failure = "the login page was never asked for";
                return;
            }
            // The pop-up with the login page; its account field, as the page lays it out.
            std::optional<Box> popup;
            if (!WaitFor(20s, [&] { return (popup = desktop.ClientOfSize(697, 542)).has_value(); })) {
                failure = "the login pop-up never appeared";
                return;
            }
            std::this_thread::sleep_for(3s);  // the page settles
            Xdotool("mousemove " + std::to_string(popup->x + 455) + " " + std::to_string(popup->y + 206) + " click 1");
            Xdotool("type --delay 40 pilot7");
            Xdotool("key Tab");
            Xdotool("type --delay 40 secret");
            Xdotool("key Return");
            if (!WaitFor(20s, [&] { return !demo.Lines("GET /games/xhvx/dlq/servers.php").empty(); })) {
                failure = "the login was not sent";
                return;
            }
            std::this_thread::sleep_for(2s);
            // Through the page's links by keyboard to one of the servers.
            Xdotool("key --delay 150 Tab Tab Tab Tab Tab Tab Return");
            if (!WaitFor(30s, [&] { return FindGameHost().has_value(); })) {
                failure = "no game host was started";
                return;
            }
            gameHost = *FindGameHost();
            const std::string line = CommandLineOf(gameHost);
            const auto at = line.find(" -frameWnd=");
            frame = static_cast<Window>(std::stoul(line.substr(at + 11)));
            if (!WaitFor(20s, [&] {
                    const auto lines = demo.Lines("GET /game/play.php?");
                    if (!lines.empty()) gameTarget = lines.front().substr(4);
                    return !gameTarget.empty();
                })) {
                failure = "the game page was never asked for";
                return;
            }
            if (!WaitFor(10s, [&] {
                    const auto g = desktop.ChildOf(frame, gameHost);
                    if (g) game = *g;
                    return g && desktop.ScreenBox(*g).has_value();
                })) {
                failure = "the game window never appeared in the frame";
                return;
            }
            std::this_thread::sleep_for(3s);  // the page draws
            started = true;
        }

        // The game window exactly below the frame's title bar.
        ::testing::AssertionResult GameCoversClient() {
            const auto f = desktop.ScreenBox(frame);
            const auto g = desktop.ScreenBox(game);
            if (!f || !g) return ::testing::AssertionFailure() << "a window is missing";
            const Box expected{f->x, f->y + 30, f->width, f->height - 30};
            if (*g == expected) return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure() << "frame " << *f << ", game " << *g << ", expected " << expected;
        }
        bool Settled(const std::function<::testing::AssertionResult()>& check) {
            return WaitFor(5s, [&] { return bool(check()); });
        }
        void Shot(const std::string& name) {
            if (const char* dir = std::getenv("XINGHE_SCREENSHOTS")) xh::testing::Run("import -window root " + std::string(dir) + "/" + name + ".png");
        }
    };
    static Suite* s;
};
FrameEndToEnd::Suite* FrameEndToEnd::s = nullptr;

TEST_F(FrameEndToEnd, FrameIsMaximisedIntoTheWorkAreaWithTheServerInItsTitleBar) {
    s->Shot("frame-maximised");
    const Box work = s->desktop.WorkArea();
    EXPECT_EQ(work, (Box{0, 0, 1280, 770}));  // the screen without the panel at the bottom
    EXPECT_TRUE(WaitFor(5s, [&] { return s->desktop.ScreenBox(s->frame) == work; }))
        << *s->desktop.ScreenBox(s->frame);
    // "[ server ]" in its colour right of the left title picture.
    EXPECT_GT(s->desktop.CountColour({203, 2, 160, 26}, 0xFFF3CD, 40), 40);
}

TEST_F(FrameEndToEnd, GameHostRunsWithTheExactCommandLine) {
    EXPECT_EQ(CommandLineOf(s->gameHost), std::string("\"") + XINGHE_TEST_LAUNCHER + "\" -frameWnd=" +
                                              std::to_string(s->frame) + " -gameurl=" + kOrigin + s->gameTarget);
    EXPECT_EQ(s->gameTarget.rfind("/game/play.php?play_gamecode=xinghe&sid=", 0), 0u) << s->gameTarget;
    EXPECT_NE(s->gameTarget.find("&svname=%"), std::string::npos) << s->gameTarget;
}

TEST_F(FrameEndToEnd, GamePageGreetsTheLoggedInAccount) {
    // The account in the greeting's gold, and none of the guest notice's pink, in the page's
    // header right of the server's name.
    const auto g = s->desktop.ScreenBox(s->game);
    ASSERT_TRUE(g);
    const Box header{g->x + 300, g->y + 5, 500, 32};
    EXPECT_TRUE(WaitFor(10s, [&] { return s->desktop.CountColour(header, 0xFFD88A, 24) > 20; }));
    EXPECT_EQ(s->desktop.CountColour(header, 0xFF9A9A, 24), 0);
}

TEST_F(FrameEndToEnd, GameWindowFollowsRestoreMoveAndMaximise) {
    ASSERT_TRUE(s->Settled([&] { return s->GameCoversClient(); })) << s->GameCoversClient().message();
    // Double click on the title bar: restored, 1000 x 700 in the middle of the screen.
    Xdotool("mousemove 640 15 click --repeat 2 --delay 100 1");
    EXPECT_TRUE(WaitFor(5s, [&] { return s->desktop.ScreenBox(s->frame) == Box{140, 50, 1000, 700}; }))
        << *s->desktop.ScreenBox(s->frame);
    EXPECT_TRUE(s->Settled([&] { return s->GameCoversClient(); })) << s->GameCoversClient().message();
    std::this_thread::sleep_for(1500ms);  // the page repaints at its new size
    s->Shot("frame-restored");

    // Dragged by its title bar.
    Xdotool("mousemove 600 65 mousedown 1 sleep 0.2 mousemove 620 80 sleep 0.2 mousemove 660 110 sleep 0.2 mouseup 1");
    EXPECT_TRUE(WaitFor(5s, [&] { return s->desktop.ScreenBox(s->frame) == Box{200, 95, 1000, 700}; }))
        << *s->desktop.ScreenBox(s->frame);
    EXPECT_TRUE(s->Settled([&] { return s->GameCoversClient(); })) << s->GameCoversClient().message();

    // The maximise button, which sits where the restore button was.
    Xdotool("mousemove " + std::to_string(200 + 1000 - 57 + 14) + " " + std::to_string(95 + 16) + " click 1");
    EXPECT_TRUE(WaitFor(5s, [&] { return s->desktop.ScreenBox(s->frame) == s->desktop.WorkArea(); }))
        << *s->desktop.ScreenBox(s->frame);
    EXPECT_TRUE(s->Settled([&] { return s->GameCoversClient(); })) << s->GameCoversClient().message();

    // Minimised by its button, brought back as from the taskbar: maximised into the work area.
    Xdotool("mousemove " + std::to_string(1280 - 86 + 14) + " 16 click 1");
    EXPECT_TRUE(WaitFor(5s, [&] { return !s->desktop.ScreenBox(s->frame); }));
    Xdotool("windowactivate " + std::to_string(s->frame));
    EXPECT_TRUE(WaitFor(5s, [&] { return s->desktop.ScreenBox(s->frame) == s->desktop.WorkArea(); }));
    EXPECT_TRUE(s->Settled([&] { return s->GameCoversClient(); })) << s->GameCoversClient().message();
}

TEST_F(FrameEndToEnd, LinkClickWritesTheDebugLineAndRefreshAndF5LoadTheStartingUrl) {
    const auto frame = s->desktop.ScreenBox(s->frame);
    ASSERT_TRUE(frame);
    // The refresh button.
    s->demo.Clear();
    Xdotool("mousemove " + std::to_string(frame->x + frame->width - 428 + 39) + " " + std::to_string(frame->y + 15) +
            " click 1");
    EXPECT_TRUE(WaitFor(10s, [&] { return !s->demo.Lines("GET " + s->gameTarget).empty(); }));

    // A link of the page's header ("公告", at its right end): reported, then followed.
    std::this_thread::sleep_for(2s);
    s->demo.Clear();
    const auto g = s->desktop.ScreenBox(s->game);
    ASSERT_TRUE(g);
    Xdotool("mousemove " + std::to_string(g->x + g->width - 110) + " " + std::to_string(g->y + 20) + " click 1");
    EXPECT_TRUE(WaitFor(10s, [&] { return !s->demo.Lines("GET /game/links.html").empty(); }))
        << s->demo.Requests().value_or("");
    EXPECT_TRUE(WaitFor(5s, [&] {
        return ReadText(s->launcherLog).find("单击事件:/game/links.html#news\r\n") != std::string::npos;
    })) << ReadText(s->launcherLog);
    std::this_thread::sleep_for(1500ms);
    s->Shot("game-links-page");

    // F5 in the page: the starting URL, not the page it shows now.
    std::this_thread::sleep_for(1s);
    s->demo.Clear();
    Xdotool("mousemove " + std::to_string(g->x + g->width / 2) + " " + std::to_string(g->y + 300) + " click 1");
    // The game host takes the keyboard when it sees the click; a key sent before that goes
    // wherever the focus was.
    EXPECT_TRUE(WaitFor(5s, [&] { return s->desktop.Focus() == s->game; })) << s->desktop.Focus();
    Xdotool("key F5");
    EXPECT_TRUE(WaitFor(10s, [&] { return !s->demo.Lines("GET " + s->gameTarget).empty(); }))
        << s->demo.Requests().value_or("");
    EXPECT_TRUE(s->demo.Lines("GET /game/links.html").empty());
    std::this_thread::sleep_for(2s);
    s->Shot("game-reloaded");
}

TEST_F(FrameEndToEnd, KillingTheFrameEndsTheGameHostWithinTwoSeconds) {
    ASSERT_TRUE(Alive(s->gameHost));
    const auto killed = Clock::now();
    s->launcher->Kill(SIGKILL);
    // The host looks once a second and ends a second after it closed its window: two seconds,
    // with room for a busy machine that wakes the host late.
    EXPECT_TRUE(WaitFor(6s, [&] { return !Alive(s->gameHost); }));
    EXPECT_LE(Clock::now() - killed, 5s);
}

}  // namespace
