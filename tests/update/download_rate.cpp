// Measures the download path against curl on loopback: a 50 MB file from a local server, once
// through CUpdateModule::DownloadUpdate (1024-byte reads, 64 KiB writes) and once with
// "curl -o". Prints both rates; not part of the test run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/file_digest.h"
#include "linux/linux_ports.h"
#include "settings/settings.h"
#include "update/update_module.h"
#include "update/update_test_support.h"

int main(int argc, char** argv) {
    xh::linuxport::InstallPorts(argc, argv);
    xh::testing::TempDir dir;
    xh::testing::SandboxFolders folders(*xh::ports().folders, xh::testing::TempDir::Utf8(dir.path()));
    xh::testing::ScriptedProcess process;
    process.modulePath = dir / "xinghe-launcher";
    xh::testing::RecordingStarter starter;
    xh::ports().folders = &folders;
    xh::ports().process = &process;
    xh::ports().starter = &starter;
    xh::ResetDataFolderForTests();
    std::filesystem::create_directories(xh::GetDataFolder() + "res");

    const std::size_t size = 50u * 1000u * 1000u;
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i * 131 % 251);
    xh::testing::LoopbackServer server;
    server.server.Get("/big.exe", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(body, "application/octet-stream");
    });
    server.Start();
    const std::string url = server.Base() + "/big.exe";

    using Clock = std::chrono::steady_clock;
    auto rate = [&](Clock::duration d) { return size / 1e6 / std::chrono::duration<double>(d).count(); };
    for (int round = 0; round < 3; ++round) {
        xh::CUpdateModule module("\\zqxinghetmp.exe");
        const auto start = Clock::now();
        try {
            module.DownloadUpdate(url);
        } catch (const xh::testing::ExitCalled&) {
        }
        const auto ours = Clock::now() - start;
        // The download step also hashes the file once; that part is measured on its own.
        const auto md5Start = Clock::now();
        std::string md5;
        xh::GetFileMd5(module.TempPath(), md5);
        const auto md5Time = Clock::now() - md5Start;
        const std::string target = dir / "curl.bin";
        const auto curlStart = Clock::now();
        const int rc = std::system(("curl -s -o '" + target + "' '" + url + "'").c_str());
        const auto theirs = Clock::now() - curlStart;
        std::printf("round %d: DownloadUpdate %.1f MB/s (%.1f MB/s without its MD5 pass; %zu bytes, handed over: %s), "
                    "curl -o %.1f MB/s (exit %d)\n",
                    round + 1, rate(ours), rate(ours - md5Time), static_cast<std::size_t>(std::filesystem::file_size(xh::testing::Native(module.TempPath()))),
                    starter.starts.empty() ? "no" : "yes", rate(theirs), rc);
        starter.starts.clear();
    }
    server.Stop();
    return 0;
}
