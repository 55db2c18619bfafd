// The version check and the download against a real HTTP server on 127.0.0.1, through this
// platform's real HTTP and file adapters. Process starts are recorded instead of made.
#include <gtest/gtest.h>

#ifndef XINGHE_NO_HTTPLIB

#include <atomic>
#include <chrono>
#include <thread>
#include <filesystem>

#include "app/file_digest.h"
#include "app/update_log.h"
#include "settings/settings.h"
#include "update/update_module.h"
#include "update/update_test_support.h"

namespace xh {
namespace {

using testing::ExclusiveHold;
using testing::ExitCalled;
using testing::LoopbackServer;
using testing::TempDir;
using Lines = std::vector<std::string>;

const std::string kSeparator = "=====================";
#ifdef _WIN32
// WinINet's text for its time-out code; Wine words it differently from Windows.
bool IsTimeOutText(const std::string& text) {
    return text == "The operation timed out" || text == "The request has timed out.";
}
#else
bool IsTimeOutText(const std::string& text) { return text == "The operation timed out"; }
#endif

class UpdateHttpTest : public ::testing::Test {
protected:
    void SetUp() override {
        process.modulePath = dir / "bin/xinghe-launcher";
        Ports sandbox = ports();
        sandbox.folders = &folders;
        sandbox.process = &process;
        sandbox.starter = &starter;
        scope.emplace(sandbox);
        ResetDataFolderForTests();
        std::filesystem::create_directories(std::filesystem::u8path(GetDataFolder() + "res"));
    }
    void TearDown() override {
        server.Stop();
        scope.reset();
        ResetDataFolderForTests();
    }

    Lines Log() { return testing::ReadUpdateLogMessages(UpdateLogPath()); }
    // A query that failed: the exception and its message, then no answer and no offer.
    void ExpectFailedQueryLog() {
        const Lines log = Log();
        ASSERT_EQ(log.size(), 5u);
        EXPECT_EQ(log[0], "Try Download File Exception");
        EXPECT_FALSE(log[1].empty());
        EXPECT_EQ(Lines(log.begin() + 2, log.end()),
                  (Lines{"Server response check version msg:", "Finish Update.", kSeparator}));
    }
    void ClearLog() { std::filesystem::remove(std::filesystem::u8path(UpdateLogPath())); }

    // Serves `body` with status 200 at `path`.
    void Serve(const std::string& path, const std::string& body, int status = 200) {
        server.server.Get(path, [body, status](const httplib::Request&, httplib::Response& res) {
            res.status = status;
            res.set_content(body, "text/plain");
        });
    }

    TempDir dir;
    testing::SandboxFolders folders{*ports().folders, TempDir::Utf8(dir.path())};
    testing::ScriptedProcess process;
    testing::RecordingStarter starter;
    std::optional<ScopedPorts> scope;
    LoopbackServer server;
};

TEST_F(UpdateHttpTest, VersionAnswersDecideWhetherAnUpdateIsOffered) {
    const std::string longAddress = "http://127.0.0.1/" + std::string(2000, 'x');
    Serve("/v/zero", "0");
    Serve("/v/minus-one", "-1");
    Serve("/v/negative-six", "-123456");
    Serve("/v/six-digits", "123456");
    Serve("/v/five-letters", "abcde");
    Serve("/v/missing", "no such page", 404);
    Serve("/v/address", "http://127.0.0.1/new.exe");
    Serve("/v/line-break", "http://127.0.0.1/new.exe\r\n");
    Serve("/v/zero-byte", std::string("http://127.0.0.1/new.exe\0tail", 29));
    Serve("/v/long", longAddress);
    server.Start();

    struct Row {
        const char* path;
        bool offered;
        std::string response;  // what is logged and, on an offer, the download address
        std::string status;
    };
    const Row rows[] = {
        {"zero", false, "0", "200"},
        {"minus-one", false, "-1", "200"},
        {"negative-six", false, "-123456", "200"},
        {"five-letters", false, "abcde", "200"},
        {"missing", false, "", "404"},
        {"six-digits", true, "123456", "200"},
        {"address", true, "http://127.0.0.1/new.exe", "200"},
        {"line-break", true, "http://127.0.0.1/new.exe\r\n", "200"},
        {"zero-byte", true, "http://127.0.0.1/new.exe", "200"},
        // A longer answer is cut to 1023 bytes instead of overrunning its buffer.
        {"long", true, longAddress.substr(0, 1023), "200"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        ClearLog();
        CUpdateModule module("\\zqxinghetmp.exe");
        const bool offered = module.CheckVersion(server.Base(), std::string("v/") + row.path + "?v=", "1.0.1.0");
        EXPECT_EQ(offered, row.offered);
        EXPECT_EQ(module.QueryUrl(), server.Base() + "/v/" + row.path + "?v=1.0.1.0");
        Lines expected = {"Http QueryInfoStatusCode:" + row.status, "Server response check version msg:" + row.response};
        if (offered) {
            EXPECT_EQ(module.DownloadUrl(), row.response);
        } else {
            expected.push_back("Finish Update.");
            expected.push_back(kSeparator);
        }
        EXPECT_EQ(Log(), expected);
    }
}

TEST_F(UpdateHttpTest, AnUnreachableServiceIsLoggedAsAnExceptionAndOffersNothing) {
    // Bound and closed again: nothing listens on that port.
    server.Start();
    const std::string base = server.Base();
    server.Stop();
    CUpdateModule module("\\zqxinghetmp.exe");
    EXPECT_FALSE(module.CheckVersion(base, "v?v=", "1.0.1.0"));
    ExpectFailedQueryLog();
}

TEST_F(UpdateHttpTest, DownloadFailuresEndWithoutHandingOver) {
    const std::string program(5000, 'p');
    Serve("/d/missing", "gone", 404);
    Serve("/d/empty", "");
    server.server.Get("/d/no-length", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream", [](std::size_t, httplib::DataSink& sink) {
            sink.write("MZ", 2);
            sink.done();
            return true;
        });
    });
    server.server.Get("/d/short", [program](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(program.size(), "application/octet-stream",
                                 [program](std::size_t, std::size_t, httplib::DataSink& sink) {
                                     sink.write(program.data(), program.size() - 1);
                                     return false;  // the connection ends one byte early
                                 });
    });
    server.Start();
    const std::string n = std::to_string(program.size());

    struct Row {
        std::string url;
        Lines after;  // the lines after "ExcuUpdate,URL=" + url
        std::optional<std::size_t> leftOnDisk;
    };
    const Row rows[] = {
        {server.Base() + "/d/missing", {"Http QueryInfoStatusCode:404"}, std::nullopt},
        {server.Base() + "/d/empty",
         {"Http QueryInfoStatusCode:200", "Content length:0", "ERROR!Before download dwFileSize == dwToatlSize,exit"},
         0},
        {server.Base() + "/d/no-length",
         {"Http QueryInfoStatusCode:200", "Content length:0", "ERROR!Before download dwFileSize == dwToatlSize,exit"},
         0},
        {server.Base() + "/d/short", {"Http QueryInfoStatusCode:200", "Content length:" + n}, program.size() - 1},
        {"123456", {"Try Download File Exception", "The URL is invalid"}, std::nullopt},
        {"ftp://127.0.0.1/new.exe", {"Try Download File Exception", "The URL does not use a recognized protocol"},
         std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        ClearLog();
        CUpdateModule module("\\zqxinghetmp.exe");
        module.DownloadUpdate(row.url);
        Lines expected = {"ExcuUpdate,URL=" + row.url};
        expected.insert(expected.end(), row.after.begin(), row.after.end());
        EXPECT_EQ(Log(), expected);
        EXPECT_TRUE(starter.starts.empty());
        const auto onDisk = ports().files->FileSize(module.TempPath());
        EXPECT_EQ(onDisk, row.leftOnDisk);
    }
    // The next check's object removes what an incomplete download left.
    CUpdateModule next("\\zqxinghetmp.exe");
    EXPECT_FALSE(ports().files->Exists(next.TempPath()));
}

TEST_F(UpdateHttpTest, AnAddressWithATrailingLineBreakIsLoggedWithItAndStillFetched) {
    Serve("/new.exe", "program");
    server.Start();
    const std::string url = server.Base() + "/new.exe\r\n";
    CUpdateModule module("\\zqxinghetmp.exe");
    EXPECT_THROW(module.DownloadUpdate(url), ExitCalled);
    const Lines log = Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "ExcuUpdate,URL=" + url);
    EXPECT_EQ(log[2], "Content length:7");
    EXPECT_EQ(starter.starts.size(), 1u);
}

TEST_F(UpdateHttpTest, ACompleteDownloadIsHandedOverToTheNewProgram) {
    std::string program;
    for (int i = 0; i < 300000; ++i) program += static_cast<char>(i * 7 % 251);
    Serve("/new.exe", program);
    server.Start();

    CUpdateModule module("\\zqxinghetmp.exe");
    EXPECT_EQ(module.TargetPath(), GetDataFolder() + "xinghe-launcher");
    try {
        module.DownloadUpdate(server.Base() + "/new.exe");
        FAIL() << "the download did not end the process";
    } catch (const ExitCalled& exit) {
        EXPECT_EQ(exit.code, 0);
    }
    EXPECT_TRUE(TempDir::Read(testing::Native(module.TempPath())) == program) << "the downloaded file differs";
    std::string md5;
    ASSERT_TRUE(GetFileMd5(module.TempPath(), md5));
    const std::string n = std::to_string(program.size());
    EXPECT_EQ(Log(), (Lines{"ExcuUpdate,URL=" + server.Base() + "/new.exe", "Http QueryInfoStatusCode:200",
                            "Content length:" + n, "Finish download,file size=" + n, "Finish download,file md5=" + md5}));
    ASSERT_EQ(starter.starts.size(), 1u);
    EXPECT_EQ(starter.starts[0].program, module.TempPath());
    EXPECT_EQ(starter.starts[0].commandLine, "-d " + module.TargetPath());
}

TEST_F(UpdateHttpTest, ADownloadThatStallsIsGivenUp) {
    const std::string program(4096, 's');
    server.server.Get("/stall.exe", [program](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(program.size(), "application/octet-stream",
                                 [program](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                     if (offset == 0) return sink.write(program.data(), 1000);
                                     std::this_thread::sleep_for(std::chrono::milliseconds(1500));
                                     return false;
                                 });
    });
    server.Start();
    CUpdateModule module("\\zqxinghetmp.exe");
    module.m_stallTimeoutMs = 300;
    const auto started = std::chrono::steady_clock::now();
    module.DownloadUpdate(server.Base() + "/stall.exe");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1400));
    const Lines log = Log();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[3], "Try Download File Exception");
    EXPECT_TRUE(starter.starts.empty());
}

// The version query runs on the login's thread: however the service paces its answer, the
// query ends on its deadline. A download at the same pace is not cut.
TEST_F(UpdateHttpTest, TheVersionQueryEndsOnItsDeadlineButADownloadDoesNot) {
    using namespace std::chrono_literals;
    const std::string body = "http://127.0.0.1/new.exe";
    std::atomic<bool> released{false};
    server.server.Get("/v/silent", [&](const httplib::Request&, httplib::Response& res) {
        for (int i = 0; i < 100 && !released; ++i) std::this_thread::sleep_for(50ms);
        res.set_content("0", "text/plain");
    });
    // One byte every 100 ms: never a stall, 2.4 s in all.
    server.server.Get("/v/trickle", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(body.size(), "application/octet-stream",
                                 [&](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                     std::this_thread::sleep_for(100ms);
                                     return !released && sink.write(body.data() + offset, 1);
                                 });
    });
    server.Start();

    const Lines noOffer = {"Server response check version msg:", "Finish Update.", kSeparator};
    struct Row {
        const char* path;
        Lines before;  // the lines before the exception's
    };
    const Row rows[] = {{"silent", {}}, {"trickle", {"Http QueryInfoStatusCode:200"}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        ClearLog();
        CUpdateModule module("\\zqxinghetmp.exe");
        module.m_queryDeadlineMs = 500;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_FALSE(module.CheckVersion(server.Base(), std::string("v/") + row.path + "?v=", "1.0.1.0"));
        const auto took = std::chrono::steady_clock::now() - started;
        EXPECT_GE(took, 450ms);
        EXPECT_LT(took, 1500ms);
        Lines log = Log();
        ASSERT_EQ(log.size(), row.before.size() + 5);
        EXPECT_TRUE(IsTimeOutText(log[row.before.size() + 1])) << log[row.before.size() + 1];
        log[row.before.size() + 1] = "<time-out>";
        Lines expected = row.before;
        expected.push_back("Try Download File Exception");
        expected.push_back("<time-out>");
        expected.insert(expected.end(), noOffer.begin(), noOffer.end());
        EXPECT_EQ(log, expected);
    }

    ClearLog();
    CUpdateModule module("\\zqxinghetmp.exe");
    module.m_queryDeadlineMs = 500;
    EXPECT_THROW(module.DownloadUpdate(server.Base() + "/v/trickle"), ExitCalled);
    EXPECT_TRUE(TempDir::Read(testing::Native(module.TempPath())) == body);
    released = true;
    server.Stop();  // before the handlers' state goes
}

TEST_F(UpdateHttpTest, RedirectsAreFollowedToAnAnswerButNotToAFileNorRoundALoop) {
    std::atomic<int> loops{0};
    server.server.Get("/v/moved",
                      [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/v/answer"); });
    Serve("/v/answer", "0");
    server.server.Get("/v/loop", [&](const httplib::Request&, httplib::Response& res) {
        ++loops;
        res.set_redirect("/v/loop");
    });
    // A local file that would offer an update, were the redirect to it followed.
    std::string local = TempDir::Utf8(dir.path() / "offer.txt");
    TempDir::Write(local, "http://127.0.0.1/new.exe");
    for (char& c : local) {
        if (c == '\\') c = '/';
    }
    const std::string fileUrl = "file://" + std::string(local[0] == '/' ? "" : "/") + local;
    server.server.Get("/v/file", [fileUrl](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(fileUrl);
    });
    server.Start();

    CUpdateModule module("\\zqxinghetmp.exe");
    EXPECT_FALSE(module.CheckVersion(server.Base(), "v/moved?v=", "1.0.1.0"));
    EXPECT_EQ(Log(), (Lines{"Http QueryInfoStatusCode:200", "Server response check version msg:0", "Finish Update.",
                            kSeparator}));

    ClearLog();
    EXPECT_FALSE(module.CheckVersion(server.Base(), "v/file?v=", "1.0.1.0"));
    const Lines fileLog = Log();
    ASSERT_FALSE(fileLog.empty());
    EXPECT_EQ(fileLog.front(), "Try Download File Exception");

    ClearLog();
    EXPECT_FALSE(module.CheckVersion(server.Base(), "v/loop?v=", "1.0.1.0"));
    ExpectFailedQueryLog();
    // The first request and ten redirects.
    EXPECT_LE(loops, 11);
    server.Stop();
}

TEST_F(UpdateHttpTest, ATemporaryFileHeldElsewhereEndsTheDownloadSilently) {
    Serve("/new.exe", "program bytes");
    server.Start();
    CUpdateModule module("\\zqxinghetmp.exe");
    ExclusiveHold hold(module.TempPath());
    module.DownloadUpdate(server.Base() + "/new.exe");
    EXPECT_EQ(Log(), (Lines{"ExcuUpdate,URL=" + server.Base() + "/new.exe", "Http QueryInfoStatusCode:200",
                            "Content length:13"}));
    EXPECT_TRUE(starter.starts.empty());
}

}  // namespace
}  // namespace xh

#endif  // XINGHE_NO_HTTPLIB
