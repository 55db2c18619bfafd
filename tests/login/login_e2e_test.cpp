// The login window as a player meets it, on the desktop of scripts/with-desktop.sh with the
// demo platform: the page shows, the player logs in by typing and picks a server, and the
// marked navigation ends the login without ever reaching the platform.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/desktop.h"
#include "support/temp_dir.h"
#include "update/update_module.h"

namespace xh {
namespace {

using namespace std::chrono_literals;
using testing::Box;
using testing::Child;
using testing::Xdotool;

constexpr const char* kTitle = "^星河登录器$";

std::string ShotsFolder() {
    const std::string dir = XINGHE_TEST_SHOTS;
    std::filesystem::create_directories(dir);
    return dir;
}

class LoginE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs the desktop of scripts/with-desktop.sh";
        demo_ = std::make_unique<testing::DemoPlatform>(XINGHE_TEST_DEMO, XINGHE_TEST_DEMO_PORT, home_ / "demo.log");
        ASSERT_TRUE(demo_->Get("/__demo/version").size() > 0) << "demo platform did not start";
    }
    void TearDown() override {
        probe_.reset();
        demo_.reset();
    }

    // Starts the login and waits until its page has been shown.
    void StartLogin() {
        const std::string home = testing::TempDir::Utf8(home_.path());
        probe_ = std::make_unique<Child>(XINGHE_TEST_PROBE, std::vector<std::string>{XINGHE_TEST_PROBE}, output_,
                                         std::vector<std::string>{"HOME=" + home, "XDG_DATA_HOME=" + home + "/share",
                                                                  "XDG_CONFIG_HOME=" + home + "/config"});
        ASSERT_TRUE(testing::WaitFor(20s, [&] { return !testing::VisibleWindows(kTitle).empty(); }))
            << "no login window";
        ASSERT_TRUE(testing::WaitFor(20s, [&] { return demo_->Requested("/getClientVersion.php"); }))
            << "the first completed page runs the version check";
        std::this_thread::sleep_for(1500ms);  // the page appears after its first load
        login_ = testing::VisibleWindows(kTitle).front();
    }

    Box LoginBox() { return testing::WindowBox(login_).value_or(Box{}); }

    testing::TempDir home_;
    std::string output_ = home_ / "probe.out";
    std::unique_ptr<testing::DemoPlatform> demo_;
    std::unique_ptr<Child> probe_;
    std::string login_;
};

TEST_F(LoginE2eTest, LogsInAndCapturesTheGameUrlWithoutLoadingIt) {
    StartLogin();
    {
        testing::Screenshot shot(ShotsFolder() + "/login-page.png");
        ASSERT_TRUE(shot.Valid());
        const Box b = LoginBox();
        // The page area of the pop-up is no longer the pop-up's own background.
        GdkPixbuf* background = gdk_pixbuf_new_from_file(XINGHE_IMAGES_DIR "/318-popup-background.bmp", nullptr);
        ASSERT_NE(background, nullptr);
        int differing = 0;
        for (int y = 80; y < 400; y += 40) {
            for (int x = 40; x < 600; x += 40) {
                differing += shot.Pixel(b.x + 538 + x, b.y + 114 + y) !=
                             testing::Screenshot::PixelOf(background, x, y);
            }
        }
        g_object_unref(background);
        EXPECT_GT(differing, 20) << "the login page is shown in the pop-up";
    }
    // The account field has the focus; Enter reaches the page and submits its form.
    Xdotool("type --delay 30 pilot7");
    Xdotool("key Tab");
    Xdotool("type --delay 30 secret9");
    Xdotool("key Return");
    ASSERT_TRUE(testing::WaitFor(15s, [&] { return demo_->Requested("/games/xhvx/dlq/servers.php"); }));
    std::this_thread::sleep_for(1500ms);
    testing::Screenshot(ShotsFolder() + "/login-servers.png");
    Xdotool("key 2");  // the server with "/" and Chinese in its name

    const auto code = probe_->WaitExit(20s);
    ASSERT_TRUE(code.has_value()) << "the capture ends the login";
    EXPECT_EQ(*code, 0);
    const std::string out = testing::ReadText(output_);
    const std::string expected =
        "captured http://127.0.0.1:" + std::to_string(XINGHE_TEST_DEMO_PORT) +
        "/game/play.php?play_gamecode=xinghe&sid=2&svname=%E7%94%B5%E4%BF%A1%2F%E7%BD%91%E9%80%9A%20%E5%8F%8C%E7%BA%BF%E4%BA%8C%E5%8C%BA";
    EXPECT_NE(out.find(expected), std::string::npos) << out;
    EXPECT_FALSE(demo_->Requested("/game/play.php")) << demo_->Requests();
}

// The check runs on the login's own thread: a version service that never answers may hold
// the login only until the query gives up, and the log says so.
TEST_F(LoginE2eTest, SilentVersionServiceHoldsTheLoginOnlyUntilTheQueryGivesUp) {
    demo_->Post("/__demo/version-silence", "600000");
    StartLogin();
    const auto asked = std::chrono::steady_clock::now();
    Xdotool("type --delay 30 pilot7");
    Xdotool("key Tab");
    Xdotool("type --delay 30 secret9");
    Xdotool("key Return");
    ASSERT_TRUE(testing::WaitFor(40s, [&] { return demo_->Requested("/games/xhvx/dlq/servers.php"); }))
        << "the login never came back";
    const auto held = std::chrono::steady_clock::now() - asked;
    EXPECT_LT(held, std::chrono::milliseconds(xh::kVersionQueryDeadlineMs) + 8s)
        << std::chrono::duration_cast<std::chrono::milliseconds>(held).count() << " ms";

    // update.log is UTF-16LE; its lines here are ASCII.
    std::string log;
    const std::string bytes = testing::ReadText(testing::TempDir::Utf8(home_.path()) + "/share/Vexa/xinghe/res/update.log");
    for (std::size_t i = 0; i < bytes.size(); i += 2) log += bytes[i];
    EXPECT_NE(log.find("Try Download File Exception"), std::string::npos) << log;
    EXPECT_NE(log.find("Server response check version msg:\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Finish Update."), std::string::npos) << log;
}

TEST_F(LoginE2eTest, ExitAsksAndOnlyAConfirmedExitEnds) {
    StartLogin();
    Xdotool("windowactivate --sync " + login_);
    Xdotool("key alt+F4");
    ASSERT_TRUE(testing::WaitFor(10s, [&] { return !testing::VisibleWindows("关闭提示").empty(); }))
        << "Alt+F4 asks first";
    testing::Screenshot(ShotsFolder() + "/login-exit-question.png");
    Xdotool("key Escape");  // the box's Cancel
    ASSERT_TRUE(testing::WaitFor(10s, [&] { return testing::VisibleWindows("关闭提示").empty(); }));
    EXPECT_FALSE(probe_->WaitExit(1s).has_value()) << "a declined exit keeps the login";
    EXPECT_FALSE(testing::VisibleWindows(kTitle).empty());

    // The pop-up's close button asks the same question; OK ends the process with 0.
    const Box b = LoginBox();
    Xdotool("mousemove " + std::to_string(b.x + 538 + 667 + 15) + " " + std::to_string(b.y + 114 + 10 + 15) +
            " click 1");
    ASSERT_TRUE(testing::WaitFor(10s, [&] { return !testing::VisibleWindows("关闭提示").empty(); }));
    Xdotool("key Return");  // the box's OK
    const auto code = probe_->WaitExit(10s);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
}

TEST_F(LoginE2eTest, DraggingMovesThePopupWithTheWindow) {
    StartLogin();
    const Box before = LoginBox();
    // An opaque pixel of the artwork, left of the pop-up.
    const int x = before.x + 300, y = before.y + 400;
    Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " mousedown 1");
    Xdotool("mousemove " + std::to_string(x - 60) + " " + std::to_string(y - 40));
    Xdotool("mousemove " + std::to_string(x - 120) + " " + std::to_string(y - 80) + " mouseup 1");
    ASSERT_TRUE(testing::WaitFor(5s, [&] { return LoginBox().x != before.x; })) << "the window was dragged";
    std::this_thread::sleep_for(500ms);
    const Box after = LoginBox();
    EXPECT_EQ(after.x, before.x - 120);
    EXPECT_EQ(after.y, before.y - 80);
    // The pop-up keeps its place over the artwork: its background shows there.
    testing::Screenshot shot(ShotsFolder() + "/login-dragged.png");
    GdkPixbuf* close = gdk_pixbuf_new_from_file(XINGHE_IMAGES_DIR "/323-popup-close-normal.png", nullptr);
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(testing::Near(shot.Pixel(after.x + 538 + 667 + 15, after.y + 114 + 10 + 15),
                              testing::Screenshot::PixelOf(close, 15, 15), 40))
        << "the close button moved with the window";
    g_object_unref(close);
}

}  // namespace
}  // namespace xh
