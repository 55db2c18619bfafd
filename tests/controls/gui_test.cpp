// The skinned controls as real windows on an X display with a window manager: a probe
// program (tests/controls/probe_*.cpp, the Linux one or the Windows one under Wine) shows
// them; xdotool moves, clicks and types; ImageMagick's import takes screenshots, whose
// pixels are compared with the pictures the controls are made of.
//
//   XINGHE_CONTROLS_PROBE   the probe's command (words separated by spaces); default: the
//                           Linux probe of this build
//   XINGHE_CONTROLS_SHOTS   a folder that keeps the screenshots
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "controls/color_matrix.h"
#include "controls/message_box.h"
#include "controls/notice_overlay.h"
#include "support/temp_dir.h"

namespace xh {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// A child process with its output read line by line; killed if still running at the end.
class Child {
public:
    explicit Child(std::vector<std::string> argv) {
        int fds[2];
        if (pipe(fds) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            std::vector<char*> args;
            for (std::string& a : argv) args.push_back(a.data());
            args.push_back(nullptr);
            execvp(args[0], args.data());
            _exit(127);
        }
        close(fds[1]);
        m_out = fds[0];
    }
    ~Child() {
        if (m_pid > 0 && !m_status) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) close(m_out);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The next line of output that starts with `prefix`, waiting at most `timeout`.
    std::optional<std::string> WaitLine(const std::string& prefix, std::chrono::milliseconds timeout) {
        const auto end = Clock::now() + timeout;
        for (;;) {
            for (std::size_t at; (at = m_buffer.find('\n')) != std::string::npos;) {
                std::string line = m_buffer.substr(0, at);
                m_buffer.erase(0, at + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (line.rfind(prefix, 0) == 0) return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            if (left.count() <= 0 || m_out < 0) return std::nullopt;
            pollfd p{m_out, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            char chunk[512];
            const ssize_t n = read(m_out, chunk, sizeof chunk);
            if (n <= 0) {
                close(m_out);
                m_out = -1;
                continue;
            }
            m_buffer.append(chunk, static_cast<std::size_t>(n));
        }
    }

    // The exit status, waiting at most `timeout`; nullopt while it runs.
    std::optional<int> Wait(std::chrono::milliseconds timeout) {
        const auto end = Clock::now() + timeout;
        while (!m_status) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (Clock::now() > end) break;
            std::this_thread::sleep_for(20ms);
        }
        return m_status;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
    std::optional<int> m_status;
};

// Runs a command to its end: its output, or nullopt when it failed.
std::optional<std::string> RunCommand(std::vector<std::string> argv, std::chrono::milliseconds timeout = 20s) {
    Child child(std::move(argv));
    std::string out;
    while (auto line = child.WaitLine("", timeout)) out += *line + "\n";
    const auto status = child.Wait(timeout);
    if (!status || *status != 0) return std::nullopt;
    return out;
}

void Xdo(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    ASSERT_TRUE(RunCommand(argv)) << "xdotool " << args.front();
}

struct Geometry {
    long window = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

// The visible window with that exact title, once it has its size.
std::optional<Geometry> FindWindow(const std::string& title, int width, int height) {
    const auto end = Clock::now() + 30s;
    while (Clock::now() < end) {
        if (auto ids = RunCommand({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"}, 5s)) {
            for (const std::string& id : Words(*ids)) {
                auto shell = RunCommand({"xdotool", "getwindowgeometry", "--shell", id}, 5s);
                if (!shell) continue;
                Geometry g;
                g.window = std::stol(id);
                for (const std::string& kv : Words(*shell)) {
                    const auto eq = kv.find('=');
                    const std::string key = kv.substr(0, eq);
                    const int value = std::atoi(kv.c_str() + eq + 1);
                    if (key == "X") g.x = value;
                    if (key == "Y") g.y = value;
                    if (key == "WIDTH") g.width = value;
                    if (key == "HEIGHT") g.height = value;
                }
                if (g.width == width && g.height == height) return g;
            }
        }
        std::this_thread::sleep_for(200ms);
    }
    return std::nullopt;
}

struct PixbufUnref {
    void operator()(GdkPixbuf* p) const { g_object_unref(p); }
};
using Pixbuf = std::unique_ptr<GdkPixbuf, PixbufUnref>;

Pixbuf LoadPng(const std::string& path) { return Pixbuf(gdk_pixbuf_new_from_file(path.c_str(), nullptr)); }

Rgba PixelAt(GdkPixbuf* p, int x, int y) {
    const int n = gdk_pixbuf_get_n_channels(p);
    const guchar* px = gdk_pixbuf_get_pixels(p) + y * gdk_pixbuf_get_rowstride(p) + x * n;
    return {px[0], px[1], px[2], static_cast<std::uint8_t>(n == 4 ? px[3] : 255)};
}

// The picture of the program with that id, from the source tree.
Pixbuf Picture(unsigned id) {
    for (const auto& entry : std::filesystem::directory_iterator(XINGHE_IMAGES_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(std::to_string(id) + "-", 0) == 0) return LoadPng(entry.path().string());
    }
    return nullptr;
}

// Source over an opaque background.
Rgba Over(Rgba top, Rgba under) {
    auto mix = [&](int t, int u) { return static_cast<std::uint8_t>((t * top.a + u * (255 - top.a) + 127) / 255); };
    return {mix(top.r, under.r), mix(top.g, under.g), mix(top.b, under.b), 255};
}

int Distance(Rgba a, Rgba b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

std::string Text(Rgba c) {
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

class ControlsOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (scripts/with-desktop.sh)";
        const char* probe = std::getenv("XINGHE_CONTROLS_PROBE");
        m_probe = Words(probe && *probe ? probe : XINGHE_CONTROLS_PROBE);
        // The pointer starts far from every window of the test.
        Xdo({"mousemove", "5", "5"});
    }

    std::unique_ptr<Child> StartProbe(std::vector<std::string> args) {
        std::vector<std::string> argv = m_probe;
        argv.insert(argv.end(), args.begin(), args.end());
        return std::make_unique<Child>(argv);
    }

    Pixbuf Screenshot(const std::string& name) {
        const std::string path = m_temp / (name + ".png");
        EXPECT_TRUE(RunCommand({"import", "-window", "root", path}));
        if (const char* keep = std::getenv("XINGHE_CONTROLS_SHOTS")) {
            std::filesystem::create_directories(keep);
            std::filesystem::copy_file(path, std::filesystem::path(keep) / (name + ".png"),
                                       std::filesystem::copy_options::overwrite_existing);
        }
        return LoadPng(path);
    }

    // Screenshots until `ready` holds for one (the first paint under Wine can take seconds),
    // at most 30 s; the last one.
    template <typename Ready>
    Pixbuf ScreenshotWhen(const std::string& name, Ready ready) {
        const auto end = Clock::now() + 30s;
        for (;;) {
            Pixbuf shot = Screenshot(name);
            if (!shot || ready(shot.get()) || Clock::now() > end) return shot;
            std::this_thread::sleep_for(300ms);
        }
    }

    static void Click(const Geometry& g, int x, int y) {
        Xdo({"mousemove", std::to_string(g.x + x), std::to_string(g.y + y)});
        std::this_thread::sleep_for(150ms);
        Xdo({"click", "1"});
    }

    std::vector<std::string> m_probe;
    testing::TempDir m_temp;
};

constexpr const char* kTitle = "温馨提示";
constexpr int kBoxW = 258, kBoxH = 112;

TEST_F(ControlsOnScreen, MessageBoxButtonsAndEscapeGiveItsResults) {
    struct Case {
        const char* what;
        int x, y;  // a click there, or Escape when negative
        int result;
        bool question;  // through ShowQuestionBox
    };
    const Case cases[] = {
        {"OK", 86, 84, 1, false},
        {"Cancel", 178, 84, 2, false},
        {"close mark", 237, 14, 2, false},
        {"Escape", -1, -1, 2, false},
        {"OK of ShowQuestionBox", 86, 84, 1, true},
    };
    for (const Case& c : cases) {
        auto probe = c.question ? StartProbe({"question", kTitle, "卸载吗？"}) : StartProbe({"msgbox"});
        const auto box = FindWindow(kTitle, kBoxW, kBoxH);
        ASSERT_TRUE(box) << c.what << ": no message box on the screen";
        if (c.x < 0) {
            Xdo({"windowactivate", "--sync", std::to_string(box->window)});
            Xdo({"key", "--clearmodifiers", "Escape"});
        } else {
            Click(*box, c.x, c.y);
        }
        EXPECT_EQ(probe->Wait(15s), c.result) << c.what;
        EXPECT_EQ(probe->WaitLine("result", 1s), "result " + std::to_string(c.result)) << c.what;
    }
}

TEST_F(ControlsOnScreen, MessageBoxDragsByItsPanelOnlyAndIsCentred) {
    auto probe = StartProbe({"msgbox"});
    const auto box = FindWindow(kTitle, kBoxW, kBoxH);
    ASSERT_TRUE(box);
    // Without an owner the box is centred on the screen.
    const auto screen = RunCommand({"xdotool", "getdisplaygeometry"});
    ASSERT_TRUE(screen);
    const auto size = Words(*screen);
    EXPECT_NEAR(box->x, (std::stoi(size[0]) - kBoxW) / 2, 2);
    EXPECT_NEAR(box->y, (std::stoi(size[1]) - kBoxH) / 2, 40);

    auto drag = [&](const Geometry& g, int x, int y) {
        Xdo({"mousemove", std::to_string(g.x + x), std::to_string(g.y + y)});
        std::this_thread::sleep_for(150ms);
        Xdo({"mousedown", "1"});
        for (int step = 1; step <= 5; ++step) {
            Xdo({"mousemove", std::to_string(g.x + x + 12 * step), std::to_string(g.y + y + 8 * step)});
            std::this_thread::sleep_for(60ms);
        }
        Xdo({"mouseup", "1"});
        std::this_thread::sleep_for(400ms);
    };
    drag(*box, 20, 50);  // on the panel
    const auto moved = FindWindow(kTitle, kBoxW, kBoxH);
    ASSERT_TRUE(moved);
    EXPECT_NEAR(moved->x - box->x, 60, 3);
    EXPECT_NEAR(moved->y - box->y, 40, 3);

    drag(*moved, 60, 80);  // on OK: no move, and released off the button it is no click
    const auto still = FindWindow(kTitle, kBoxW, kBoxH);
    ASSERT_TRUE(still);
    EXPECT_EQ(still->x, moved->x);
    EXPECT_EQ(still->y, moved->y);
    EXPECT_EQ(probe->Wait(300ms), std::nullopt) << "the box ended on a release off its button";

    Click(*still, 178, 84);
    EXPECT_EQ(probe->Wait(15s), 2);
}

TEST_F(ControlsOnScreen, MessageBoxScreenshotShowsPanelButtonsAndTitle) {
    auto probe = StartProbe({"msgbox", "确认退出", "确定要退出吗？"});
    const auto box = FindWindow("确认退出", kBoxW, kBoxH);
    ASSERT_TRUE(box);
    // The pointer rests on Cancel: its hover look; OK keeps its normal look.
    Xdo({"mousemove", std::to_string(box->x + 178), std::to_string(box->y + 84)});
    std::this_thread::sleep_for(800ms);
    const Pixbuf panel = Picture(kMessageBoxBackground), ok = Picture(kMessageBoxOkNormal),
                 cancelHover = Picture(kMessageBoxCancelHighlight);
    ASSERT_TRUE(panel && ok && cancelHover);
    const Pixbuf shot = ScreenshotWhen("message-box", [&](GdkPixbuf* s) {
        return Distance(PixelAt(s, box->x + 20, box->y + 50), PixelAt(panel.get(), 20, 50)) <= 4;
    });
    ASSERT_TRUE(shot);
    auto screen = [&](int x, int y) { return PixelAt(shot.get(), box->x + x, box->y + y); };

    for (auto [x, y] : {std::pair{20, 50}, {250, 60}, {130, 106}, {8, 90}}) {
        EXPECT_LE(Distance(screen(x, y), PixelAt(panel.get(), x, y)), 4)
            << "panel at " << x << "," << y << ": " << Text(screen(x, y));
    }
    const MessageBoxLayout& l = GetMessageBoxLayout();
    for (auto [x, y] : {std::pair{10, 17}, {41, 4}, {70, 28}, {1, 1}}) {
        const int sx = l.ok.place.x + x, sy = l.ok.place.y + y;
        const Rgba expected = Over(PixelAt(ok.get(), x, y), PixelAt(panel.get(), sx, sy));
        EXPECT_LE(Distance(screen(sx, sy), expected), 6)
            << "OK, normal, at " << x << "," << y << ": " << Text(screen(sx, sy)) << " not " << Text(expected);
    }
    for (auto [x, y] : {std::pair{10, 17}, {41, 4}, {70, 28}, {1, 1}}) {
        const int sx = l.cancel.place.x + x, sy = l.cancel.place.y + y;
        const Rgba bright = ApplyColorMatrix(kHoverMatrix, PixelAt(cancelHover.get(), x, y));
        const Rgba expected = Over(bright, PixelAt(panel.get(), sx, sy));
        EXPECT_LE(Distance(screen(sx, sy), expected), 6)
            << "Cancel, hover, at " << x << "," << y << ": " << Text(screen(sx, sy)) << " not " << Text(expected);
    }
    // The title: pixels of the text colour where the panel has none.
    int changed = 0, textColoured = 0;
    const Rgba textColour{0xDA, 0xC2, 0x9D, 255};
    for (int y = 7; y < 32; ++y) {
        for (int x = 85; x < 185; ++x) {
            if (Distance(screen(x, y), PixelAt(panel.get(), x, y)) > 40) {
                ++changed;
                if (Distance(screen(x, y), textColour) <= 30) ++textColoured;
            }
        }
    }
    EXPECT_GE(changed, 40) << "no title drawn";
    EXPECT_GE(textColoured, 8) << "the title is not in its colour";

    // Held down on OK: its pressed look, the highlight picture unchanged.
    const Pixbuf okPressed = Picture(kMessageBoxOkHighlight);
    ASSERT_TRUE(okPressed);
    Xdo({"mousemove", std::to_string(box->x + 86), std::to_string(box->y + 84)});
    std::this_thread::sleep_for(300ms);
    Xdo({"mousedown", "1"});
    std::this_thread::sleep_for(500ms);
    const Pixbuf held = Screenshot("message-box-ok-pressed");
    ASSERT_TRUE(held);
    for (auto [x, y] : {std::pair{10, 17}, {41, 4}, {70, 28}}) {
        const int sx = l.ok.place.x + x, sy = l.ok.place.y + y;
        const Rgba expected = Over(PixelAt(okPressed.get(), x, y), PixelAt(panel.get(), sx, sy));
        const Rgba seen = PixelAt(held.get(), box->x + sx, box->y + sy);
        EXPECT_LE(Distance(seen, expected), 6) << "OK, pressed, at " << x << "," << y << ": " << Text(seen) << " not "
                                               << Text(expected);
    }
    Xdo({"mouseup", "1"});
    EXPECT_EQ(probe->Wait(15s), 1);
}

TEST_F(ControlsOnScreen, OverlayShowsVeilNoticeAndItsFirstTwoPictures) {
    constexpr int W = 640, H = 420;
    const NoticeLayout layout = LayoutNotice({W, H}, {23, 23});
    const Pixbuf first = Picture(276), second = Picture(277);
    ASSERT_TRUE(first && second);
    const Rgba veil{25, 25, 25, 255};  // the tint over white; no compositor blends it here
    // Points where the two pictures differ, so each screenshot tells which one is up.
    std::vector<std::pair<int, int>> telling;
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 23; ++x)
            if (Distance(Over(PixelAt(first.get(), x, y), veil), Over(PixelAt(second.get(), x, y), veil)) > 60)
                telling.emplace_back(x, y);
    ASSERT_GE(telling.size(), 10u);

    for (const auto& [ticks, picture, other] :
         {std::tuple{0, first.get(), second.get()}, std::tuple{2, second.get(), first.get()}}) {
        auto probe = StartProbe({"overlay", std::to_string(ticks)});
        const auto ready = probe->WaitLine("ready", 30s);
        ASSERT_TRUE(ready) << "the overlay probe did not come up";
        EXPECT_EQ(*ready, ticks == 0 ? "ready 276" : "ready 277");
        const auto overlay = FindWindow("xinghe-notice", W, H);
        ASSERT_TRUE(overlay);
        const Pixbuf shot = ScreenshotWhen("notice-overlay-" + std::to_string(ticks), [&](GdkPixbuf* s) {
            return Distance(PixelAt(s, overlay->x + 3, overlay->y + 3), veil) <= 3;
        });
        ASSERT_TRUE(shot);
        auto screen = [&](int x, int y) { return PixelAt(shot.get(), overlay->x + x, overlay->y + y); };
        for (auto [x, y] : {std::pair{3, 3}, {W - 4, H - 4}, {100, 300}, {W / 2, 60}}) {
            EXPECT_LE(Distance(screen(x, y), veil), 3) << "veil at " << x << "," << y << ": " << Text(screen(x, y));
        }
        int matches = 0, mismatches = 0;
        for (auto [x, y] : telling) {
            const Rgba s = screen(layout.picture.x + x, layout.picture.y + y);
            matches += Distance(s, Over(PixelAt(picture, x, y), veil)) <= 8;
            mismatches += Distance(s, Over(PixelAt(other, x, y), veil)) <= 8;
        }
        EXPECT_GE(matches, static_cast<int>(telling.size()) * 9 / 10) << "after " << ticks << " ticks";
        EXPECT_EQ(mismatches, 0) << "after " << ticks << " ticks";
        // The notice below it, in its light colour.
        int light = 0;
        const Rgba noticeColour{0xFF, 0xF5, 0xD3, 255};
        for (int y = 0; y < 31; ++y)
            for (int x = 0; x < 200; ++x)
                light += Distance(screen(static_cast<int>(layout.text.x) + x, static_cast<int>(layout.text.y) + y),
                                  noticeColour) <= 40;
        EXPECT_GE(light, 20) << "no notice text";
    }
}

TEST_F(ControlsOnScreen, OverlayAnimatesOnePicturePerTickAndContinuesAfterAHide) {
    auto probe = StartProbe({"live"});
    std::vector<std::pair<unsigned, long>> changes;  // picture, ms since the first showing
    long hidden = -1, shown = -1;
    while (auto line = probe->WaitLine("", 60s)) {
        if (*line == "done") break;
        unsigned picture = 0;
        long ms = 0;
        if (std::sscanf(line->c_str(), "picture %u %ld", &picture, &ms) == 2) changes.emplace_back(picture, ms);
        std::sscanf(line->c_str(), "hidden %ld", &hidden);
        std::sscanf(line->c_str(), "shown %ld", &shown);
    }
    EXPECT_EQ(probe->Wait(10s), 0);
    // 276 is up for two intervals, then one picture per 200 ms tick; after a hide and a new
    // showing the loop goes on with the picture after the last one. A busy machine may be
    // late, never early.
    std::vector<unsigned> pictures;
    for (const auto& c : changes) pictures.push_back(c.first);
    ASSERT_EQ(pictures, (std::vector<unsigned>{277, 278, 279, 276, 277}));
    EXPECT_GE(changes[0].second, 350) << "276 stays for two intervals";
    for (std::size_t i = 1; i < 4; ++i) EXPECT_GE(changes[i].second - changes[i - 1].second, 150) << i;
    ASSERT_GE(hidden, 0);
    ASSERT_GE(shown, hidden + 500);
    EXPECT_GE(changes[4].second, shown + 150) << "nothing moves while hidden; the next tick after showing";
}

TEST_F(ControlsOnScreen, ButtonDoubleClickIsTwoClicksAndTooltipWaitsTwoSeconds) {
    auto probe = StartProbe({"button"});
    ASSERT_TRUE(probe->WaitLine("ready", 30s));
    const auto window = FindWindow("xinghe-probe-button", 200, 80);
    ASSERT_TRUE(window);
    // A hand comes to rest in a few small moves; the tooltip control counts from them.
    auto approach = [&] {
        for (int x : {80, 90, 95, 99}) {
            Xdo({"mousemove", std::to_string(window->x + x), std::to_string(window->y + 40)});
            std::this_thread::sleep_for(40ms);
        }
    };
    approach();
    const auto tip = probe->WaitLine("tooltip", 6s);
    ASSERT_TRUE(tip) << "no tooltip";
    const int ms = std::atoi(tip->c_str() + 8);
    EXPECT_GE(ms, 1900);
    EXPECT_LE(ms, 2800);

    // The hover look: picture 219 brightened, over the window's own pixels beneath it.
    const Pixbuf hover = Picture(219);
    ASSERT_TRUE(hover);
    const Pixbuf shot = Screenshot("image-button-hover-tooltip");
    ASSERT_TRUE(shot);
    const Rgba parent = PixelAt(shot.get(), window->x + 5, window->y + 5);
    for (auto [x, y] : {std::pair{2, 2}, {10, 12}, {39, 3}, {60, 20}, {76, 22}}) {
        const Rgba expected = Over(ApplyColorMatrix(kHoverMatrix, PixelAt(hover.get(), x, y)), parent);
        const Rgba seen = PixelAt(shot.get(), window->x + 60 + x, window->y + 28 + y);
        EXPECT_LE(Distance(seen, expected), 6) << "hover look at " << x << "," << y << ": " << Text(seen) << " not "
                                               << Text(expected);
    }

    Xdo({"click", "--repeat", "2", "--delay", "80", "1"});
    EXPECT_TRUE(probe->WaitLine("click", 5s));
    EXPECT_TRUE(probe->WaitLine("click", 5s)) << "a double click is two clicks";

    // Leaving and coming back waits the full delay again.
    Xdo({"mousemove", "5", "5"});
    std::this_thread::sleep_for(300ms);
    approach();
    const auto again = probe->WaitLine("tooltip", 6s);
    ASSERT_TRUE(again);
    EXPECT_GE(std::atoi(again->c_str() + 8), 1900);
}

}  // namespace
}  // namespace xh
