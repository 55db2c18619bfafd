// A version service that misbehaves (slow, silent, resetting, huge, redirecting, answering with
// addresses that are not http): the real launcher's check in its own process, against a
// hand-written server on 127.0.0.1. The check runs on the login's thread, so every case must
// end within the query's deadline and leave its trace in update.log.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "update/raw_server.h"
#include "update/sandbox.h"
#include "update/update_module.h"
#include "update/update_test_support.h"

namespace xh {
namespace {

namespace fs = std::filesystem;
using testing::RawConnection;
using testing::RawServer;
using testing::Sandbox;
using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

const std::string kSeparator = "=====================";
const std::string kException = "Try Download File Exception";

// The query failed with the platform's `message`, after the lines in `before`: no offer.
Lines QueryFailed(const std::string& message, Lines before = {}) {
    for (const std::string& line : {kException, message, std::string("Server response check version msg:"),
                                    std::string("Finish Update."), kSeparator}) {
        before.push_back(line);
    }
    return before;
}
// Far beyond every bound below: a run that takes this long has hung.
constexpr auto kHang = 30s;
// A check that ends on the deadline; the process also starts and writes its log.
constexpr auto kDeadline = std::chrono::milliseconds(kVersionQueryDeadlineMs);
constexpr auto kDeadlineMargin = 3s;
// A check that ends on its own, without waiting for a time-out.
constexpr auto kPrompt = 4s;

std::string Answer(const std::string& body, const std::string& status = "200 OK") {
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

std::string Redirect(const std::string& location) {
    return "HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n";
}

// Answers every request on the connection with what `answer` gives for its target.
RawServer::Handler Serve(std::function<std::string(const std::string& target)> answer) {
    return [answer](RawConnection& c) {
        for (std::string target = c.ReadRequest(); !target.empty(); target = c.ReadRequest()) {
            if (!c.Send(answer(target))) return;
        }
    };
}

enum class Ends { Promptly, OnTheDeadline };

struct Case {
    const char* name;
    RawServer::Handler handler;
    Ends ends;
    // The log after the query's own line.
    std::function<Lines(const std::string& base)> log;
};

struct Outcome {
    std::optional<int> exitCode;
    std::chrono::milliseconds took{};
    Lines log;
    std::string output;
    std::string base;
};

Outcome RunCheck(const Case& c) {
    RawServer server(c.handler);
    Sandbox box;
    fs::create_directories(fs::u8path(box.dataFolder + "/res"));
    Outcome outcome;
    outcome.base = server.Base();
    const auto started = std::chrono::steady_clock::now();
    outcome.exitCode = box.RunWithin(kHang, XINGHE_TEST_DRIVER, {XINGHE_TEST_DRIVER},
                                     {"XINGHE_DRIVER_ACTION=update-check", "XINGHE_TEST_SERVICE=" + server.Base()});
    outcome.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    server.Stop();
    outcome.log = testing::ReadUpdateLogMessages(box.dataFolder + "/res/update.log");
    outcome.output = box.Output();
    return outcome;
}

const std::vector<Case>& Cases() {
    static const std::string tenMegabytes(10 * 1024 * 1024, ' ');
    static const std::vector<Case> cases = {
        // Slow: the whole exchange is bounded, not only the gaps between bytes.
        {"head trickled one byte a second",
         [](RawConnection& c) {
             if (!c.ReadRequest().empty()) c.Trickle(Answer("0"), 1s);
         },
         Ends::OnTheDeadline,
         [](const std::string&) { return QueryFailed("The operation timed out"); }},
        {"body trickled one byte a second",
         [](RawConnection& c) {
             const std::string body = "http://127.0.0.1:1/files/xinghe-1.0.2.0";
             if (c.ReadRequest().empty()) return;
             const std::string answer = Answer(body);
             if (c.Send(answer.substr(0, answer.size() - body.size()))) c.Trickle(body, 1s);
         },
         Ends::OnTheDeadline,
         [](const std::string&) { return QueryFailed("The operation timed out", {"Http QueryInfoStatusCode:200"}); }},
        {"accepted and silent", [](RawConnection& c) { c.StaySilent(); }, Ends::OnTheDeadline,
         [](const std::string&) { return QueryFailed("The operation timed out"); }},
        // Resets: before, inside and after the head.
        {"reset before answering",
         [](RawConnection& c) {
             if (!c.ReadRequest().empty()) c.Reset();
         },
         Ends::Promptly,
         [](const std::string&) { return QueryFailed("Recv failure: Connection reset by peer"); }},
        {"reset inside the head",
         [](RawConnection& c) {
             if (c.ReadRequest().empty() || !c.Send("HTTP/1.1 200 OK\r\nContent-Le")) return;
             std::this_thread::sleep_for(200ms);
             c.Reset();
         },
         Ends::Promptly,
         [](const std::string&) { return QueryFailed("Recv failure: Connection reset by peer"); }},
        {"reset inside the body",
         [](RawConnection& c) {
             const std::string answer = Answer("http://127.0.0.1:1/files/xinghe-1.0.2.0");
             if (c.ReadRequest().empty() || !c.Send(answer.substr(0, answer.size() - 20))) return;
             std::this_thread::sleep_for(200ms);
             c.Reset();
         },
         Ends::Promptly,
         [](const std::string&) {
             return QueryFailed("Recv failure: Connection reset by peer", {"Http QueryInfoStatusCode:200"});
         }},
        // Huge: the answer is cut to what its buffer holds, and a giant head is refused.
        {"ten megabytes of answer", Serve([](const std::string&) { return Answer("-1" + tenMegabytes); }),
         Ends::Promptly,
         [](const std::string&) {
             return Lines{"Http QueryInfoStatusCode:200",
                          "Server response check version msg:-1" + std::string(kHttpPieceSize - 3, ' '),
                          "Finish Update.", kSeparator};
         }},
        // libcurl calls its refusal of a head beyond its limit "Out of memory".
        {"ten megabytes of head",
         Serve([](const std::string&) {
             return "HTTP/1.1 200 OK\r\nX-Padding: " + tenMegabytes + "\r\nContent-Length: 1\r\n\r\n0";
         }),
         Ends::Promptly,
         [](const std::string&) { return QueryFailed("Out of memory"); }},
        // Redirects: followed to a real answer, given up in a loop, never to another scheme.
        {"redirected to a real answer",
         Serve([](const std::string& target) {
             return target == "/answer" ? Answer("0") : Redirect("/answer");
         }),
         Ends::Promptly,
         [](const std::string&) {
             return Lines{"Http QueryInfoStatusCode:200", "Server response check version msg:0", "Finish Update.",
                          kSeparator};
         }},
        {"redirected in a loop", Serve([](const std::string& target) { return Redirect(target); }), Ends::Promptly,
         [](const std::string&) { return QueryFailed("Maximum (10) redirects followed"); }},
        {"redirected to ftp", Serve([](const std::string&) { return Redirect("ftp://127.0.0.1:1/version"); }),
         Ends::Promptly,
         [](const std::string&) { return QueryFailed("Protocol \"ftp\" not supported or disabled in libcurl"); }},
        {"redirected to a file", Serve([](const std::string&) { return Redirect("file:///etc/hostname"); }),
         Ends::Promptly,
         [](const std::string&) { return QueryFailed("Protocol \"file\" not supported or disabled in libcurl"); }},
        // Offers of addresses that are not http: nothing is fetched.
        {"offers an ftp address", Serve([](const std::string&) { return Answer("ftp://127.0.0.1:1/xinghe.exe"); }),
         Ends::Promptly,
         [](const std::string&) {
             return Lines{"Http QueryInfoStatusCode:200",
                          "Server response check version msg:ftp://127.0.0.1:1/xinghe.exe",
                          "ExcuUpdate,URL=ftp://127.0.0.1:1/xinghe.exe", kException,
                          "The URL does not use a recognized protocol"};
         }},
        {"offers a file address", Serve([](const std::string&) { return Answer("file:///etc/hostname"); }),
         Ends::Promptly,
         [](const std::string&) {
             return Lines{"Http QueryInfoStatusCode:200", "Server response check version msg:file:///etc/hostname",
                          "ExcuUpdate,URL=file:///etc/hostname", kException,
                          "The URL does not use a recognized protocol"};
         }},
        {"offers a script address", Serve([](const std::string&) { return Answer("javascript:alert(1)"); }),
         Ends::Promptly,
         [](const std::string&) {
             return Lines{"Http QueryInfoStatusCode:200", "Server response check version msg:javascript:alert(1)",
                          "ExcuUpdate,URL=javascript:alert(1)", kException, "The URL is invalid"};
         }},
        {"offers a bare path", Serve([](const std::string&) { return Answer("/files/xinghe-1.0.2.0"); }),
         Ends::Promptly,
         [](const std::string&) {
             return Lines{"Http QueryInfoStatusCode:200", "Server response check version msg:/files/xinghe-1.0.2.0",
                          "ExcuUpdate,URL=/files/xinghe-1.0.2.0", kException, "The URL is invalid"};
         }},
        {"offers a download redirected to a file",
         [](RawConnection& c) {
             const std::string download = "/files/xinghe-1.0.2.0";
             for (std::string target = c.ReadRequest(); !target.empty(); target = c.ReadRequest()) {
                 const std::string offer = "http://127.0.0.1:" + std::to_string(c.LocalPort()) + download;
                 if (!c.Send(target == download ? Redirect("file:///etc/hostname") : Answer(offer))) return;
             }
         },
         Ends::Promptly,
         [](const std::string& base) {
             const std::string offer = base + "/files/xinghe-1.0.2.0";
             return Lines{"Http QueryInfoStatusCode:200", "Server response check version msg:" + offer,
                          "ExcuUpdate,URL=" + offer, kException,
                          "Protocol \"file\" not supported or disabled in libcurl"};
         }},
    };
    return cases;
}

TEST(VersionServiceFaultsTest, EveryMisbehaviourEndsInTimeAndIsLogged) {
    const std::vector<Case>& cases = Cases();
    // Each case has its own server and sandbox; together they take one deadline, not the sum.
    std::vector<Outcome> outcomes(cases.size());
    std::vector<std::thread> runs;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        runs.emplace_back([&, i] { outcomes[i] = RunCheck(cases[i]); });
    }
    for (auto& run : runs) run.join();

    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const Outcome& o = outcomes[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(o.exitCode, 0) << (o.exitCode ? "" : "hung: killed after the limit\n") << o.output;
        if (c.ends == Ends::Promptly) {
            EXPECT_LT(o.took, kPrompt);
        } else {
            EXPECT_GE(o.took, kDeadline);
            EXPECT_LT(o.took, kDeadline + kDeadlineMargin);
        }
        if (o.log.empty()) {
            ADD_FAILURE() << "no log\n" << o.output;
            continue;
        }
        EXPECT_EQ(o.log.front(), o.base + "/getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0");
        EXPECT_EQ(Lines(o.log.begin() + 1, o.log.end()), c.log(o.base));
    }
}

// The Windows build under Wine (XINGHE_WINDOWS_BUILD names its folder).
TEST(VersionServiceFaultsTest, UnderWineSlowSilentAndRedirectingServicesAreLeftInTime) {
    const char* build = std::getenv("XINGHE_WINDOWS_BUILD");
    if (!build || !*build) GTEST_SKIP() << "XINGHE_WINDOWS_BUILD is not set";
    const std::string wine = "/usr/lib/wine/wine";
    Sandbox box;
    const std::string prefix = testing::TempDir::Utf8(box.root.path() / "prefix");
    const std::vector<std::string> env = {"WINEPREFIX=" + prefix, "WINEARCH=win32", "WINEDEBUG=-all",
                                          "WINEDLLOVERRIDES=winemenubuilder.exe=d"};
    // Every Wine process of the prefix ends with the test, however it ends.
    struct StopWine {
        const Sandbox& box;
        const std::vector<std::string>& env;
        ~StopWine() {
            const std::string wineserver = "/usr/lib/wine/wineserver";
            box.Run(wineserver, {wineserver, "-k"}, env);
            box.Run(wineserver, {wineserver, "-w"}, env);
        }
    } stopWine{box, env};
    ASSERT_EQ(box.Run(wine, {wine, "wineboot", "-i"}, env), 0) << box.Output();
    std::string user;
    for (const auto& entry : fs::directory_iterator(fs::u8path(prefix + "/drive_c/users"))) {
        if (entry.path().filename() != "Public") user = entry.path().filename().string();
    }
    const std::string dataFolder = prefix + "/drive_c/users/" + user + "/AppData/Roaming/Vexa/xinghe";
    fs::create_directories(fs::u8path(dataFolder + "/res"));
    fs::create_directories(fs::u8path(prefix + "/drive_c/bin"));
    fs::copy_file(std::string(build) + "/xinghe-update-driver.exe", prefix + "/drive_c/bin/xinghe-update-driver.exe");

    // The cases where WinINet, left to itself, waits without end or follows without end; with
    // the messages Wine's WinINet gives (it has no text for ERROR_HTTP_REDIRECT_FAILED).
    const std::pair<const char*, Lines> wineCases[] = {
        {"head trickled one byte a second", QueryFailed("The request has timed out.")},
        {"accepted and silent", QueryFailed("The request has timed out.")},
        {"redirected in a loop", QueryFailed("Internet error 12156")},
        {"redirected to a file", QueryFailed("The URL scheme could not be recognized or is not supported.")},
    };
    for (const auto& [name, expected] : wineCases) {
        const auto c = std::find_if(Cases().begin(), Cases().end(), [&](const Case& c) { return c.name == name; });
        ASSERT_NE(c, Cases().end()) << name;
        SCOPED_TRACE(c->name);
        const std::string log = dataFolder + "/res/update.log";
        fs::remove(fs::u8path(log));
        RawServer server(c->handler);
        std::vector<std::string> runEnv = env;
        runEnv.push_back("XINGHE_DRIVER_ACTION=update-check");
        runEnv.push_back("XINGHE_TEST_SERVICE=" + server.Base());
        const auto started = std::chrono::steady_clock::now();
        const auto exitCode = box.RunWithin(kHang, wine, {wine, "C:\\bin\\xinghe-update-driver.exe"}, runEnv);
        const auto took = std::chrono::steady_clock::now() - started;
        server.Stop();
        EXPECT_EQ(exitCode, 0) << box.Output();
        // Wine takes a few seconds of its own to start a program.
        constexpr auto kWineStart = 5s;
        if (c->ends == Ends::Promptly) {
            EXPECT_LT(took, kPrompt + kWineStart);
        } else {
            EXPECT_GE(took, kDeadline);
            EXPECT_LT(took, kDeadline + kDeadlineMargin + kWineStart);
        }
        const Lines lines = testing::ReadUpdateLogMessages(log);
        ASSERT_FALSE(lines.empty()) << box.Output();
        EXPECT_EQ(lines[0], server.Base() + "/getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0");
        EXPECT_EQ(Lines(lines.begin() + 1, lines.end()), expected);
    }
}

}  // namespace
}  // namespace xh
