#pragma once
// A sandbox of folders for end-to-end runs of real launcher processes (Linux): HOME, the XDG
// folders and the machine-wide uninstall folder under one temporary folder, with the
// processes' output collected in one file.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace xh::testing {

struct Sandbox {
    TempDir root;
    std::string home = root / "home";
    std::string data = root / "data";
    std::string config = root / "config";
    std::string machine = root / "machine";
    std::string bin = root / "bin";
    std::string output = root / "output.txt";
    std::string dataFolder = data + "/Vexa/xinghe";
    std::string group = data + "/applications/Vexa/星河";

    Sandbox() {
        for (const auto& p : {home, data, config, bin}) std::filesystem::create_directories(std::filesystem::u8path(p));
    }

    // The test's environment with the sandbox's folders and no display.
    std::vector<std::string> Environment(const std::vector<std::string>& extra) const {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('='));
            if (name == "HOME" || name.rfind("XDG_", 0) == 0 || name == "DISPLAY" || name == "WAYLAND_DISPLAY" ||
                name.rfind("XINGHE_", 0) == 0) {
                continue;
            }
            env.push_back(entry);
        }
        env.push_back("HOME=" + home);
        env.push_back("XDG_DATA_HOME=" + data);
        env.push_back("XDG_CONFIG_HOME=" + config);
        env.push_back("XINGHE_UNINSTALL_ROOT=" + machine);
        env.insert(env.end(), extra.begin(), extra.end());
        return env;
    }

    // Starts `program` with these arguments (argv[0] included), output appended to output.txt,
    // and waits for it.
    int Run(const std::string& program, std::vector<std::string> args, const std::vector<std::string>& extraEnv) const {
        const pid_t pid = Start(program, std::move(args), extraEnv);
        if (pid <= 0) return -1;
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // As Run, but a process still running after `limit` is killed: nullopt then.
    std::optional<int> RunWithin(std::chrono::milliseconds limit, const std::string& program,
                                 std::vector<std::string> args, const std::vector<std::string>& extraEnv) const {
        const pid_t pid = Start(program, std::move(args), extraEnv);
        if (pid <= 0) return -1;
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= end) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                return std::nullopt;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Starts `program` without waiting; its process id, or 0 when it could not start.
    pid_t Start(const std::string& program, std::vector<std::string> args,
                const std::vector<std::string>& extraEnv) const {
        std::vector<std::string> env = Environment(extraEnv);
        std::vector<char*> argv, envp;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = 0;
        const int started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return started == 0 ? pid : 0;
    }

    std::string Output() const { return TempDir::Read(output); }
};

inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(20000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

inline std::string Md5(const std::string& path) {
    std::string command = "md5sum '" + path + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    char digest[33] = {};
    if (pipe) {
        if (std::fread(digest, 1, 32, pipe) != 32) digest[0] = '\0';
        ::pclose(pipe);
    }
    return digest;
}

// Stops every process still running from `program` (started by the chain under test).
inline int StopProcessesOf(const std::string& program) {
    namespace fs = std::filesystem;
    int stopped = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code ec;
        const fs::path exe = fs::read_symlink(entry.path() / "exe", ec);
        if (!ec && (exe.string() == program || exe.string() == program + " (deleted)")) {
            ::kill(std::stoi(pid), SIGKILL);
            ++stopped;
        }
    }
    return stopped;
}

}  // namespace xh::testing
