#include "bench/startup.h"

// httplib first: Xlib's macros (Success, None) would break its names.
#include <httplib.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "build_config.h"

extern char** environ;

namespace xh::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(60);

// The page both browsers load; its load event calls back so the server sees the moment.
constexpr const char* kPage = R"(<!DOCTYPE html><html><head><meta charset="utf-8"><title>登录</title></head>
<body style="margin:0;background:#1b2a49;color:#fff;font:14px sans-serif">
<form style="padding:24px"><p>账号 <input name="code"></p><p>密码 <input name="pwd" type="password"></p>
<button type="button">登录</button></form>
<script>addEventListener('load', function () { new Image().src = '/bench/loaded?' + Date.now(); });</script>
</body></html>)";

class PageServer {
public:
    std::atomic<bool> loaded{false};
    Clock::time_point loadedAt;

    bool Start() {
        m_server.Get("/bench/loaded", [this](const httplib::Request&, httplib::Response& res) {
            if (!loaded) {
                loadedAt = Clock::now();
                loaded = true;
            }
            res.set_content("", "image/gif");
        });
        // The login page at the launcher's address; every other request (the version query)
        // gets "0", no update.
        m_server.Get(".*", [](const httplib::Request& req, httplib::Response& res) {
            if (req.path.rfind("/games/xhvx/dlq", 0) == 0) {
                res.set_content(kPage, "text/html; charset=utf-8");
            } else {
                res.set_content("0", "text/plain");
            }
        });
        // The demo platform's tests use the same port now and then; wait for it a while.
        bool bound = false;
        for (int i = 0; i < 120 && !(bound = m_server.bind_to_port("127.0.0.1", XINGHE_DEMO_PORT)); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        if (!bound) return false;
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) std::this_thread::yield();
        return true;
    }
    ~PageServer() {
        if (m_thread.joinable()) {
            m_server.stop();
            m_thread.join();
        }
    }

private:
    httplib::Server m_server;
    std::thread m_thread;
};

struct Sample {
    double mapped = 0;  // seconds from exec to the first top-level window mapped
    double loaded = 0;  // seconds from exec to the page's load event (0: no page)
    double rssMiB = 0;  // the program's own process at that moment
};

double ResidentMiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

class Display {
public:
    Display() : m_display(XOpenDisplay(nullptr)) {
        if (m_display) {
            XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
            XSync(m_display, True);  // nothing from before the start counts
        }
    }
    ~Display() {
        if (m_display) XCloseDisplay(m_display);
    }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;
    explicit operator bool() const { return m_display != nullptr; }

    // Waits for a window to be mapped on the root (the window manager's frame or an
    // override-redirect window); the moment it was seen.
    std::optional<Clock::time_point> WaitForMap(Clock::time_point deadline) {
        while (Clock::now() < deadline) {
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == MapNotify) return Clock::now();
            }
            pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
            ::poll(&fd, 1, 5);
        }
        return std::nullopt;
    }

private:
    ::Display* m_display;
};

pid_t Spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

void Stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

std::optional<Sample> Launch(const std::vector<std::string>& args, PageServer* server) {
    Display display;
    if (!display) return std::nullopt;
    if (server) server->loaded = false;
    const auto start = Clock::now();
    const pid_t pid = Spawn(args);
    if (pid < 0) return std::nullopt;
    Sample sample;
    std::optional<Sample> result;
    if (const auto mapped = display.WaitForMap(start + kPatience)) {
        sample.mapped = std::chrono::duration<double>(*mapped - start).count();
        result = sample;
        if (server) {
            while (!server->loaded && Clock::now() < start + kPatience) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            if (server->loaded) {
                result->loaded = std::chrono::duration<double>(server->loadedAt - start).count();
                result->rssMiB = ResidentMiB(pid);
            } else {
                result.reset();
            }
        }
    }
    Stop(pid);
    // Let the web processes of this start go before the next one begins.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return result;
}

}  // namespace

std::vector<Row> StartupRows(int runs, const std::string& dir, const StartupPrograms& programs) {
    Row mapped("exec to login window mapped", "bare GTK window", "ms", "<= 1.10x", 1.10, false);
    // The same moment against a window program that links WebKitGTK too: loading and
    // relocating the engine's libraries is most of the difference to the bare GTK window.
    Row mappedWeb("exec to login window mapped", "bare WebKitGTK window", "ms", "<= 1.10x", 1.10, false);
    Row loaded("exec to login page loaded", "bare WebKitGTK window", "ms", "<= 1.05x", 1.05, false);
    Row memory("launcher RSS, web processes excluded", "bare WebKitGTK window", "MiB", "<= 1.10x", 1.10, false);
    std::vector<Row*> rows = {&mapped, &mappedWeb, &loaded, &memory};
    auto give = [&](const std::string& why) {
        for (Row* r : rows) r->note = why;
        return std::vector<Row>{mapped, mappedWeb, loaded, memory};
    };
    if (!std::getenv("DISPLAY")) return give("no X display (run under scripts/with-desktop.sh)");
    PageServer server;
    if (!server.Start()) return give("port " + std::to_string(XINGHE_DEMO_PORT) + " is taken");

    // A home of its own: the first start installs there once, outside the measurement.
    const std::string home = dir + "/home";
    std::filesystem::create_directories(home);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    const std::string url = std::string(XINGHE_LOGIN_URL);
    if (!Launch({programs.launcher}, &server) || !Launch({programs.bareWebkit, url}, &server) ||
        !Launch({programs.bareGtk}, nullptr)) {
        return give("a warm-up start did not show its window or page");
    }

    for (int r = 0; r < runs; ++r) {
        // Alternating order, so drift hits both sides alike.
        const bool oursFirst = r % 2 == 0;
        std::optional<Sample> ours, gtk, webkit;
        if (oursFirst) ours = Launch({programs.launcher}, &server);
        gtk = Launch({programs.bareGtk}, nullptr);
        webkit = Launch({programs.bareWebkit, url}, &server);
        if (!oursFirst) ours = Launch({programs.launcher}, &server);
        if (!ours || !gtk || !webkit) return give("a start did not show its window or page");
        mapped.ours.push_back(ours->mapped * 1000);
        mapped.theirs.push_back(gtk->mapped * 1000);
        mappedWeb.ours.push_back(ours->mapped * 1000);
        mappedWeb.theirs.push_back(webkit->mapped * 1000);
        loaded.ours.push_back(ours->loaded * 1000);
        loaded.theirs.push_back(webkit->loaded * 1000);
        memory.ours.push_back(ours->rssMiB);
        memory.theirs.push_back(webkit->rssMiB);
    }
    return {mapped, mappedWeb, loaded, memory};
}

}  // namespace xh::bench
