// Side-by-side measurements of the launcher's heavy paths against the usual tools, each
// figure a ratio taken in the same run, several runs, median and spread:
//   md5       GetFileMd5 on a 200 MB file                 vs md5sum        (throughput)
//   download  the update download of 50 MB on loopback    vs curl -o       (throughput)
//   cache     DeleteFolderContents over 50 000 files      vs find -delete  (throughput)
//   exe       the Windows program file's size                               (bytes)
//   startup   exec -> login window mapped, exec -> login page loaded, own memory
//             against a bare GTK window and a bare WebKitGTK window (needs X)
// Usage: xinghe-bench [--runs N] [--windows-exe PATH] [row...]
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/file_digest.h"
#include "bench/startup.h"
#include "bench/table.h"
#include "frame/cache_cleaning.h"
#if __has_include("linux/frame_cache.h")
#include "linux/frame_cache.h"
#define XINGHE_BENCH_CACHE 1
#endif
#include "linux/linux_ports.h"
#include "settings/settings.h"
#include "update/update_module.h"
#include "update/update_test_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using xh::bench::Row;

double Seconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs a tool with its output thrown away; false when it did not end with 0.
bool RunTool(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void WritePattern(const std::string& path, std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    std::string block(1 << 20, '\0');
    std::mt19937 random(7);
    for (char& c : block) c = static_cast<char>(random());
    for (std::size_t left = size; left > 0;) {
        const std::size_t n = std::min(left, block.size());
        out.write(block.data(), static_cast<std::streamsize>(n));
        left -= n;
    }
}

// Each run measures both sides, in alternating order, so drift hits both alike.
template <typename Ours, typename Theirs>
void SideBySide(int runs, Row& row, Ours ours, Theirs theirs) {
    for (int r = 0; r < runs; ++r) {
        double a = 0, b = 0;
        if (r % 2 == 0) {
            a = ours();
            b = theirs();
        } else {
            b = theirs();
            a = ours();
        }
        row.ours.push_back(a);
        row.theirs.push_back(b);
    }
}

Row Md5Row(int runs, const std::string& dir) {
    constexpr std::size_t kSize = 200u * 1000u * 1000u;
    const std::string file = dir + "/digest.bin";
    WritePattern(file, kSize);
    std::string warm;
    xh::GetFileMd5(file, warm);  // both sides read from the page cache
    Row row{"GetFileMd5, 200 MB", "md5sum", "MB/s", ">= 0.95x", 0.95, true};
    SideBySide(
        runs, row,
        [&] {
            std::string md5;
            return kSize / 1e6 / Seconds([&] { xh::GetFileMd5(file, md5); });
        },
        [&] { return kSize / 1e6 / Seconds([&] { RunTool({"md5sum", file}); }); });
    fs::remove(file);
    return row;
}

// The update download also reads the file back once for its MD5 log line, so it is held
// against curl alone (the target) and against curl followed by md5sum (like for like).
std::vector<Row> DownloadRows(int runs, const std::string& dir) {
    constexpr std::size_t kSize = 50u * 1000u * 1000u;
    xh::testing::SandboxFolders folders(*xh::ports().folders, dir);
    xh::testing::ScriptedProcess process;
    process.modulePath = dir + "/xinghe-launcher";
    xh::testing::RecordingStarter starter;
    xh::Ports saved = xh::ports();
    xh::ports().folders = &folders;
    xh::ports().process = &process;
    xh::ports().starter = &starter;
    xh::ResetDataFolderForTests();
    fs::create_directories(xh::GetDataFolder() + "res");

    std::string body(kSize, '\0');
    std::mt19937 random(11);
    for (char& c : body) c = static_cast<char>(random());
    xh::testing::LoopbackServer server;
    server.server.Get("/xinghe.exe", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(body, "application/octet-stream");
    });
    server.Start();
    const std::string url = server.Base() + "/xinghe.exe";
    const std::string curlTarget = dir + "/curl.bin";

    Row row{"update download, 50 MB", "curl -o", "MB/s", ">= 0.95x", 0.95, true};
    Row alike{"update download, 50 MB", "curl -o, then md5sum", "MB/s", ">= 0.95x", 0.95, true};
    bool complete = true;
    SideBySide(
        runs, row,
        [&] {
            xh::CUpdateModule module("\\zqxinghetmp.exe");
            starter.starts.clear();
            const double s = Seconds([&] {
                try {
                    module.DownloadUpdate(url);
                } catch (const xh::testing::ExitCalled&) {
                }
            });
            complete = complete && starter.starts.size() == 1;
            return kSize / 1e6 / s;
        },
        [&] {
            const double curl = Seconds([&] { RunTool({"curl", "-s", "-o", curlTarget, url}); });
            alike.theirs.push_back(kSize / 1e6 / (curl + Seconds([&] { RunTool({"md5sum", curlTarget}); })));
            return kSize / 1e6 / curl;
        });
    alike.ours = row.ours;
    if (!complete) row.note = alike.note = "a download was not handed over";
    server.Stop();
    xh::ports() = saved;
    xh::ResetDataFolderForTests();
    fs::remove(curlTarget);
    return {row, alike};
}

// 50 000 files of a few bytes in 500 folders, ten levels deep in places.
[[maybe_unused]] void MakeCacheTree(const std::string& root) {
    for (int folder = 0; folder < 500; ++folder) {
        std::string path = root;
        for (int level = 0; level <= folder % 10; ++level) path += "/d" + std::to_string((folder + level) % 7);
        path += "/f" + std::to_string(folder);
        fs::create_directories(path);
        for (int file = 0; file < 100; ++file) {
            const std::string name = path + "/" + std::to_string(file) + ".cache";
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                (void)!::write(fd, "cached", 6);
                ::close(fd);
            }
        }
    }
}

[[maybe_unused]] std::size_t CountEntries(const std::string& root) {
    std::size_t n = 0;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) ++n;
    return n;
}

Row CacheRow(int runs, const std::string& dir) {
    constexpr double kFiles = 50000;
    const std::string root = dir + "/cache";
    Row row{"cache walk, 50 000 files", "find -delete", "files/s", ">= 0.80x", 0.80, true};
#ifndef XINGHE_BENCH_CACHE
    (void)runs;
    row.note = "the Linux cache folder adapter is not built";
    return row;
#else
    xh::linuxport::PosixCacheFolder folder(root);
    bool emptied = true;
    SideBySide(
        runs, row,
        [&] {
            MakeCacheTree(root);
            ::sync();
            const double s = Seconds([&] { xh::DeleteFolderContents(folder, [](const std::string&) {}, root); });
            emptied = emptied && CountEntries(root) == 0;
            return kFiles / s;
        },
        [&] {
            MakeCacheTree(root);
            ::sync();
            return kFiles / Seconds([&] { RunTool({"find", root, "-mindepth", "1", "-delete"}); });
        });
    if (!emptied) row.note = "the walk left entries behind";
    fs::remove_all(root);
    return row;
#endif
}

Row ExeRow(const std::string& exe) {
    Row row{"Windows program file size", "2 MB limit", "MB", "<= 1.00x", 1.0, false};
    std::error_code ec;
    const auto size = fs::file_size(exe, ec);
    if (ec) {
        row.note = "not built: " + exe;
        return row;
    }
    row.ours.push_back(size / 1e6);
    row.theirs.push_back(2.0 * 1024 * 1024 / 1e6);
    return row;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::string exe = "build/windows/xinghe-launcher.exe";
    std::vector<std::string> only;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--windows-exe" && i + 1 < argc) {
            exe = argv[++i];
        } else {
            only.push_back(a);
        }
    }
    auto wanted = [&](const char* name) { return only.empty() || std::count(only.begin(), only.end(), name) > 0; };
    xh::linuxport::InstallPorts(1, argv);
    xh::testing::TempDir dir;
    const std::string work = xh::testing::TempDir::Utf8(dir.path());

    std::vector<Row> rows;
    if (wanted("md5")) rows.push_back(Md5Row(runs, work));
    if (wanted("download")) {
        for (auto& row : DownloadRows(runs, work)) rows.push_back(std::move(row));
    }
    if (wanted("cache")) rows.push_back(CacheRow(runs, work));
    if (wanted("exe")) rows.push_back(ExeRow(exe));
    if (wanted("startup")) {
        const xh::bench::StartupPrograms programs{XINGHE_BENCH_LAUNCHER, XINGHE_BENCH_BARE_GTK, XINGHE_BENCH_BARE_WEBKIT};
        for (auto& row : xh::bench::StartupRows(runs, work, programs)) rows.push_back(std::move(row));
    }
    return xh::bench::PrintTable(rows, runs) ? 0 : 1;
}
