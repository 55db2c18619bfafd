#pragma once
// Helpers for tests that drive real programs on the X display of scripts/with-desktop.sh:
// child processes, xdotool, screenshots, and the local demo platform.
#ifndef _WIN32
#include <fcntl.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace xh::testing {

using namespace std::chrono_literals;

inline bool WaitFor(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(100ms);
    }
    return done();
}

// A shell command's standard output.
inline std::string Run(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

inline std::string Xdotool(const std::string& args) { return Run("xdotool " + args + " 2>/dev/null"); }

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A child process; `argv0` may differ from the program run (the launcher reads its raw
// command line from argv). Output goes to `output`. Killed when the object goes.
class Child {
public:
    Child(const std::string& program, std::vector<std::string> argv, const std::string& output,
          const std::vector<std::string>& extraEnv = {}) {
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        std::vector<std::string> env(extraEnv);
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            bool overridden = false;
            for (const auto& x : extraEnv) overridden |= entry.compare(0, x.find('=') + 1, x, 0, x.find('=') + 1) == 0;
            if (!overridden) env.push_back(entry);
        }
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, args.data(), envp.data()) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() { Kill(SIGKILL); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return m_pid; }
    void Kill(int signal) {
        if (m_pid <= 0) return;
        ::kill(m_pid, signal);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    // The exit status once the child has ended within `limit`.
    std::optional<int> WaitExit(std::chrono::milliseconds limit) {
        std::optional<int> code;
        WaitFor(limit, [&] {
            if (m_pid <= 0) return true;
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) != m_pid) return false;
            m_pid = -1;
            code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return true;
        });
        return code;
    }

private:
    pid_t m_pid = -1;
};

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Box&) const = default;
};

// Visible windows whose title matches `name` (a regular expression), newest last.
inline std::vector<std::string> VisibleWindows(const std::string& name) {
    std::istringstream ids(Xdotool("search --onlyvisible --name '" + name + "'"));
    std::vector<std::string> out;
    for (std::string id; ids >> id;) out.push_back(id);
    return out;
}

inline std::optional<Box> WindowBox(const std::string& id) {
    std::istringstream in(Xdotool("getwindowgeometry --shell " + id));
    Box b;
    bool any = false;
    for (std::string line; std::getline(in, line);) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X") b.x = value, any = true;
        if (key == "Y") b.y = value;
        if (key == "WIDTH") b.width = value;
        if (key == "HEIGHT") b.height = value;
    }
    if (!any) return std::nullopt;
    return b;
}

// A screenshot of the whole display, kept at `path`.
class Screenshot {
public:
    explicit Screenshot(const std::string& path) {
        Run("import -window root '" + path + "' 2>/dev/null");
        m_pixbuf = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
    }
    ~Screenshot() {
        if (m_pixbuf) g_object_unref(m_pixbuf);
    }
    Screenshot(const Screenshot&) = delete;
    Screenshot& operator=(const Screenshot&) = delete;

    bool Valid() const { return m_pixbuf != nullptr; }
    // 0xRRGGBB at (x, y); 0 outside.
    unsigned Pixel(int x, int y) const { return PixelOf(m_pixbuf, x, y); }

    static unsigned PixelOf(GdkPixbuf* p, int x, int y) {
        if (!p || x < 0 || y < 0 || x >= gdk_pixbuf_get_width(p) || y >= gdk_pixbuf_get_height(p)) return 0;
        const guchar* px = gdk_pixbuf_read_pixels(p) + y * gdk_pixbuf_get_rowstride(p) + x * gdk_pixbuf_get_n_channels(p);
        return (unsigned{px[0]} << 16) | (unsigned{px[1]} << 8) | px[2];
    }

private:
    GdkPixbuf* m_pixbuf = nullptr;
};

inline bool Near(unsigned a, unsigned b, int tolerance = 6) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > tolerance || d < -tolerance) return false;
    }
    return true;
}

// The local demo platform on a port of 127.0.0.1, with its request log.
class DemoPlatform {
public:
    DemoPlatform(const std::string& program, int port, const std::string& output)
        : m_port(port), m_child(program, {program, "--port", std::to_string(port)}, output) {
        WaitFor(10s, [&] { return !Get("/__demo/version").empty(); });
    }
    std::string Get(const std::string& path) const {
        return Run("curl -s --max-time 5 'http://127.0.0.1:" + std::to_string(m_port) + path + "'");
    }
    void Post(const std::string& path, const std::string& body) const {
        Run("curl -s -X POST --data-binary '" + body + "' --max-time 5 'http://127.0.0.1:" + std::to_string(m_port) +
            path + "'");
    }
    std::string Requests() const { return Get("/__demo/requests"); }
    bool Requested(const std::string& fragment) const { return Requests().find(fragment) != std::string::npos; }
    void ClearRequests() const {
        Run("curl -s -X POST -d '' --max-time 5 'http://127.0.0.1:" + std::to_string(m_port) + "/__demo/requests/clear'");
    }

private:
    int m_port;
    Child m_child;
};

}  // namespace xh::testing
#endif
