// The self-update killed at random points of its chain, and two launchers started at once:
// real processes in a sandbox, a real version service on 127.0.0.1. The number of kill rounds
// comes from XINGHE_FAULT_ROUNDS (scripts/faults.sh runs many); XINGHE_FAULT_SEED repeats a run.
#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <regex>
#include <set>

#include "update/sandbox.h"
#include "update/update_test_support.h"

namespace xh {
namespace {

namespace fs = std::filesystem;
using testing::Sandbox;
using testing::TempDir;
using Lines = std::vector<std::string>;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::string kSeparator = "=====================";

int EnvNumber(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

// Reaps every ended descendant (the test is their subreaper); false while some still run.
bool ReapAll() {
    for (;;) {
        int status = 0;
        const pid_t pid = ::waitpid(-1, &status, WNOHANG);
        if (pid > 0) continue;
        return pid < 0 && errno == ECHILD;
    }
}

bool WaitChainEnd(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        if (ReapAll()) return true;
        std::this_thread::sleep_for(2ms);
    }
    return ReapAll();
}

// SIGKILLs every process running one of the programs until none is left, including a child
// that was being spawned (it still runs its parent's file until its exec). Returns the
// programs that had a process.
std::set<std::string> KillChain(const std::vector<std::string>& programs) {
    std::set<std::string> hit;
    const auto end = Clock::now() + 10s;
    while (Clock::now() < end) {
        int found = 0;
        for (const auto& program : programs) {
            const int stopped = testing::StopProcessesOf(program);
            if (stopped > 0) hit.insert(program);
            found += stopped;
        }
        if (ReapAll() && found == 0) break;
        std::this_thread::sleep_for(1ms);
    }
    return hit;
}

std::vector<std::string> Leftovers(const std::string& installed) {
    std::vector<std::string> names;
    const fs::path path = fs::u8path(installed);
    const std::string prefix = path.filename().string() + ".xhnew";
    for (const auto& entry : fs::directory_iterator(path.parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0) names.push_back(name);
    }
    return names;
}

bool Executable(const std::string& path) {
    return (fs::status(fs::u8path(path)).permissions() & fs::perms::owner_exec) != fs::perms::none;
}

// The program runs: without a display the launcher says it has no frame window and ends.
bool StartsAndEnds(const Sandbox& box, const std::string& program) {
    const std::size_t before = box.Output().size();
    const int code = box.Run(program, {program}, {});
    return code == 0 && box.Output().find("frame window", before) != std::string::npos;
}

bool Contains(const Lines& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

// The driver as it was when the test began: a build running beside the test may be writing
// the file anew.
const std::string& Driver() {
    static const std::string bytes = [] {
        std::string read;
        for (int tries = 0; tries < 120; ++tries) {
            read = TempDir::Read(XINGHE_TEST_DRIVER);
            std::error_code ec;
            if (read.rfind("\x7f" "ELF", 0) == 0 && fs::file_size(XINGHE_TEST_DRIVER, ec) == read.size() &&
                Executable(XINGHE_TEST_DRIVER)) {
                break;
            }
            std::this_thread::sleep_for(500ms);
        }
        return read;
    }();
    return bytes;
}

void WriteProgram(const std::string& path, const std::string& bytes) {
    TempDir::Write(path, bytes);
    fs::permissions(fs::u8path(path), fs::perms::owner_all);
}

// The update of the installed launcher, set up fresh for each round.
class UpdateChain {
public:
    UpdateChain(const std::string& older, const std::string& newer) : m_newer(newer) {
        fs::create_directories(fs::u8path(box.dataFolder + "/res"));
        TempDir::Write(installed, older);
        fs::permissions(fs::u8path(installed), fs::perms::owner_all);
        WriteProgram(checker, Driver());
        server.server.Get("/getClientVersion.php", [this](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_param_value("v") == "1.0.1.0" ? Url() : "0", "text/plain");
        });
        // A steady rate, so that the download takes a while.
        server.server.Get("/files/xinghe-1.0.2.0", [this](const httplib::Request&, httplib::Response& res) {
            const auto start = Clock::now();
            res.set_content_provider(m_newer.size(), "application/octet-stream",
                                     [this, start](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                         const auto due = start + std::chrono::microseconds(static_cast<long long>(
                                                                      offset * 1e6 / BytesPerSecond()));
                                         std::this_thread::sleep_until(due);
                                         const std::size_t n = std::min<std::size_t>(length, 64 * 1024);
                                         return sink.write(m_newer.data() + offset, n);
                                     });
        });
        server.Start();
    }
    ~UpdateChain() {
        KillChain(Programs());
        server.Stop();
    }

    double BytesPerSecond() const { return static_cast<double>(m_newer.size()); }  // about a second
    std::string Url() const { return server.Base() + "/files/xinghe-1.0.2.0"; }
    std::vector<std::string> Programs() const { return {checker, cache, installed}; }
    pid_t StartCheck() {
        return box.Start(checker, {checker}, {"XINGHE_DRIVER_ACTION=update-check", "XINGHE_TEST_SERVICE=" + server.Base()});
    }
    Lines Log() const { return testing::ReadUpdateLogMessages(log); }
    // One of the messages a run writes, whole: digests of 32 digits, the exact numbers.
    bool WholeMessage(const std::string& message) const {
        static const std::regex kDigest("Finish download,(current )?file md5=[0-9a-f]{32}");
        const std::string n = std::to_string(m_newer.size());
        const std::set<std::string> exact = {server.Base() + "/getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0",
                                             "Http QueryInfoStatusCode:200",
                                             "Server response check version msg:" + Url(),
                                             "ExcuUpdate,URL=" + Url(),
                                             "Content length:" + n,
                                             "Finish download,file size=" + n,
                                             "Update success.Current Version:1.0.2.0",
                                             kSeparator};
        return exact.count(message) > 0 || std::regex_match(message, kDigest);
    }
    Lines ExpectedRun() const {
        const std::string n = std::to_string(m_newer.size());
        const std::string md5 = testing::Md5(installed);
        return {server.Base() + "/getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0", "Http QueryInfoStatusCode:200",
                "Server response check version msg:" + Url(), "ExcuUpdate,URL=" + Url(), "Http QueryInfoStatusCode:200",
                "Content length:" + n, "Finish download,file size=" + n, "Finish download,file md5=" + md5,
                "Finish download,current file md5=" + md5, "Update success.Current Version:1.0.2.0", kSeparator};
    }

    Sandbox box;
    const std::string installed = box.dataFolder + "/xinghe-launcher";
    const std::string checker = box.bin + "/xinghe-launcher";
    const std::string cache = box.data + "/cache/zqxinghetmp.exe";
    const std::string log = box.dataFolder + "/res/update.log";
    testing::LoopbackServer server;

private:
    const std::string& m_newer;
};

class UpdateFaultsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Orphans of the chain come back to the test, so it knows when the chain has ended.
        ::prctl(PR_SET_CHILD_SUBREAPER, 1);
        const std::string fileVersion = "\\StringFileInfo\\080403a8\\FileVersion=1.0.1.0";
        // A build running beside the test may be writing the launcher just now.
        for (int tries = 0; tries < 120; ++tries) {
            older = TempDir::Read(XINGHE_TEST_LAUNCHER);
            std::error_code ec;
            if (older.find(fileVersion) != std::string::npos &&
                fs::file_size(XINGHE_TEST_LAUNCHER, ec) == older.size() && Executable(XINGHE_TEST_LAUNCHER)) {
                break;
            }
            std::this_thread::sleep_for(500ms);
        }
        newer = older;
        const auto at = newer.find(fileVersion);
        if (at == std::string::npos) return;
        newer.replace(at + fileVersion.size() - 3, 3, "2.0");
        // Padded: the loader and the version reader go by the headers, not the file's end.
        std::string padding(1 << 20, '\0');
        for (std::size_t i = 0; i < padding.size(); ++i) padding[i] = static_cast<char>(i * 7919 >> 5);
        newer += padding;
    }
    void SetUp() override { ASSERT_NE(older, newer) << "no version section in the launcher"; }

    static std::string older, newer;
};
std::string UpdateFaultsTest::older;
std::string UpdateFaultsTest::newer;

TEST_F(UpdateFaultsTest, TheUpdateSurvivesAKillAnywhereAndTheNextStartCompletesIt) {
    // One run undisturbed: how long the chain takes, where its download ends and how long the
    // apply stage's copy lasts (from its copy's appearance to the program's new size).
    using Ms = std::chrono::milliseconds;
    Ms total{}, downloaded{}, copyStart{}, renamed{};
    {
        UpdateChain chain(older, newer);
        const auto start = Clock::now();
        const auto now = [&] { return std::chrono::duration_cast<Ms>(Clock::now() - start); };
        ASSERT_GT(chain.StartCheck(), 0);
        while (!ReapAll()) {
            if (downloaded.count() == 0 && Contains(chain.Log(), "Finish download,file md5=")) downloaded = now();
            if (copyStart.count() == 0 && !Leftovers(chain.installed).empty()) copyStart = now();
            std::error_code ec;
            if (renamed.count() == 0 && fs::file_size(fs::u8path(chain.installed), ec) == newer.size()) renamed = now();
            ASSERT_LT(now(), 60s) << chain.box.Output();
            std::this_thread::sleep_for(500us);
        }
        total = now();
        ASSERT_TRUE(TempDir::Read(chain.installed) == newer) << chain.box.Output();
        ASSERT_EQ(chain.Log(), chain.ExpectedRun());
        ASSERT_TRUE(StartsAndEnds(chain.box, chain.installed)) << chain.box.Output();
        if (downloaded.count() == 0) downloaded = total / 2;
        if (renamed < copyStart) renamed = copyStart;
        std::cout << "fault calibration: chain " << total.count() << " ms, download ends at " << downloaded.count()
                  << " ms, apply copy " << copyStart.count() << "-" << renamed.count() << " ms, file " << newer.size()
                  << " bytes" << std::endl;
    }

    const int rounds = EnvNumber("XINGHE_FAULT_ROUNDS", 4);
    const unsigned seed = static_cast<unsigned>(EnvNumber("XINGHE_FAULT_SEED", static_cast<int>(std::random_device{}())));
    std::cout << "fault seed " << seed << std::endl;
    std::mt19937 random(seed);
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round) + " of seed " + std::to_string(seed));
        UpdateChain chain(older, newer);
        // A third of the rounds over the whole chain, a third over what follows the download
        // (hand-over, apply, restart), a third over the apply stage's copy and rename, timed
        // from the copy's appearance.
        const int kind = round % 3;
        const Ms from = kind == 1 ? downloaded - 20ms : 0ms;
        const Ms to = kind == 2 ? renamed - copyStart + 10ms : total;
        std::uniform_int_distribution<long> pick(std::max<long>(0, from.count()), std::max(from, to).count());
        const Ms delay(pick(random));

        ASSERT_GT(chain.StartCheck(), 0);
        if (kind == 2) {
            const auto limit = Clock::now() + 30s;
            while (Leftovers(chain.installed).empty() && Clock::now() < limit && !ReapAll()) {
                std::this_thread::sleep_for(200us);
            }
        }
        std::this_thread::sleep_for(delay);
        const std::set<std::string> killed = KillChain(chain.Programs());
        const Lines atKill = chain.Log();
        const std::string content = TempDir::Read(chain.installed);
        const bool isOld = content == older, isNew = content == newer;
        const std::vector<std::string> leftovers = Leftovers(chain.installed);

        // Where the kill landed, from the log and the processes it met.
        std::string phase = "start";
        if (Contains(atKill, "Content length:")) phase = "download";
        if (Contains(atKill, "Finish download,file size=")) phase = "md5";
        if (Contains(atKill, "Finish download,file md5=")) phase = "hand-over";
        if (killed.count(chain.cache)) phase = isNew ? "apply-renamed" : leftovers.empty() ? "apply-start" : "apply-copy";
        if (Contains(atKill, "Finish download,current file md5=")) phase = "apply-log";
        if (Contains(atKill, "Update success.Current Version:") && !atKill.empty() && atKill.back() == kSeparator) {
            phase = killed.count(chain.installed) ? "new-program" : "finished";
        }
        std::cout << "fault round " << round << ": aim " << (kind == 0 ? "chain" : kind == 1 ? "tail" : "copy")
                  << ", delay " << delay.count() << " ms, phase " << phase << ", killed "
                  << killed.size() << ", installed " << (isNew ? "new" : isOld ? "old" : "BROKEN") << ", leftovers "
                  << leftovers.size() << std::endl;

        EXPECT_TRUE(isOld || isNew) << "the installed program is neither the old nor the new file";
        EXPECT_TRUE(Executable(chain.installed));
        EXPECT_TRUE(StartsAndEnds(chain.box, chain.installed)) << chain.box.Output();
        for (const std::string& message : atKill) {
            EXPECT_TRUE(chain.WholeMessage(message)) << "torn log line: " << message;
        }

        // The next start, with the update still offered, completes it.
        const std::size_t kept = atKill.size();
        ASSERT_GT(chain.StartCheck(), 0);
        ASSERT_TRUE(WaitChainEnd(60s)) << chain.box.Output();
        EXPECT_TRUE(TempDir::Read(chain.installed) == newer) << "the next start did not update";
        EXPECT_TRUE(Executable(chain.installed));
        const Lines after = chain.Log();
        ASSERT_GE(after.size(), kept);
        EXPECT_EQ(Lines(after.begin() + static_cast<long>(kept), after.end()), chain.ExpectedRun());
        EXPECT_EQ(Leftovers(chain.installed), std::vector<std::string>{}) << "copies of interrupted updates stay";
    }
}

TEST_F(UpdateFaultsTest, AnApplyStageRemovesTheCopiesOfInterruptedOnesButNotOfRunningOnes) {
    UpdateChain chain(older, newer);
    fs::create_directories(fs::u8path(chain.box.data + "/cache"));
    TempDir::Write(chain.cache, newer);
    fs::permissions(fs::u8path(chain.cache), fs::perms::owner_all);
    // No process ever has the number pid_max; this test runs; a name of another kind.
    const std::string pidMax = [] {
        std::ifstream in("/proc/sys/kernel/pid_max");
        std::string text;
        in >> text;
        return text;
    }();
    ASSERT_FALSE(pidMax.empty());
    const std::string dead = chain.installed + ".xhnew" + pidMax;
    const std::string running = chain.installed + ".xhnew" + std::to_string(::getpid());
    const std::string other = chain.installed + ".xhnew12x";
    for (const auto& path : {dead, running, other}) TempDir::Write(path, "part of a copy");

    ASSERT_GT(chain.box.Start(chain.cache, {"-d " + chain.installed}, {}), 0);
    ASSERT_TRUE(WaitChainEnd(30s)) << chain.box.Output();
    EXPECT_TRUE(TempDir::Read(chain.installed) == newer) << chain.box.Output();
    EXPECT_FALSE(fs::exists(fs::u8path(dead)));
    EXPECT_TRUE(fs::exists(fs::u8path(running)));
    EXPECT_TRUE(fs::exists(fs::u8path(other)));
    const Lines log = chain.Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "Update success.Current Version:1.0.2.0");
}

// Two launchers started at the same moment, both as a first start from the same file.
TEST(TwoLaunchersTest, TwoFirstStartsAtOnceLeaveAWholeInstallation) {
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    const int rounds = EnvNumber("XINGHE_TWIN_ROUNDS", 10);
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Sandbox box;
        const std::string original = box.bin + "/xinghe-update-driver";
        const std::string installed = box.dataFolder + "/xinghe-update-driver";
        WriteProgram(original, Driver());
        const std::vector<std::string> env = {"XINGHE_DRIVER_ACTION=first-start"};
        ASSERT_GT(box.Start(original, {original}, env), 0);
        ASSERT_GT(box.Start(original, {original}, env), 0);
        ASSERT_TRUE(WaitChainEnd(30s)) << box.Output();

        EXPECT_TRUE(TempDir::Read(installed) == TempDir::Read(original)) << "the installed copy is not whole";
        EXPECT_TRUE(Executable(installed));
        EXPECT_EQ(TempDir::Read(box.dataFolder + "/res/systemset.ini"),
                  "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
                  "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\nstart=1001\r\n[Start]\r\n"
                  "firststart=0\r\n");
        EXPECT_EQ(fs::file_size(fs::u8path(box.dataFolder + "/res/uninstall.ico")), 1150u);
        EXPECT_EQ(TempDir::Read(box.group + "/星河.desktop"),
                  "[Desktop Entry]\nType=Application\nName=星河\nExec=" + installed + " 1\nTerminal=false\n");
        EXPECT_EQ(TempDir::Read(box.group + "/卸载-星河.desktop"),
                  "[Desktop Entry]\nType=Application\nName=卸载-星河\nExec=" + installed +
                      " -u\nTerminal=false\nIcon=" + box.dataFolder + "/res/uninstall.ico\n");
        const std::string entry = box.machine + "/云朵网星河/";
        EXPECT_EQ(TempDir::Read(entry + "Path"), installed);
        EXPECT_EQ(TempDir::Read(entry + "DisplayName"), "星河");
        EXPECT_EQ(TempDir::Read(entry + "Publisher"), "Vexa");
        EXPECT_EQ(TempDir::Read(entry + "UninstallString"), installed + " -u");
        EXPECT_EQ(TempDir::Read(box.config + "/青松奇遇记/xinghe-update-driver.ini"),
                  "[云朵网星河]\r\nPath=" + installed + "\r\nDisplayName=星河\r\nPublisher=Vexa\r\nUninstallString=" +
                      installed + " -u\r\n");
        // Nothing half-written stays beside the files.
        for (const auto& file : fs::recursive_directory_iterator(box.root.path())) {
            EXPECT_EQ(file.path().filename().string().find(".tmp"), std::string::npos) << file.path();
        }
    }
}

TEST(TwoLaunchersTest, TwoChecksAtOnceWriteOnlyWholeLogLines) {
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    Sandbox box;
    fs::create_directories(fs::u8path(box.dataFolder + "/res"));
    const std::string checker = box.bin + "/xinghe-launcher";
    WriteProgram(checker, Driver());
    testing::LoopbackServer server;
    server.server.Get("/getClientVersion.php",
                      [](const httplib::Request&, httplib::Response& res) { res.set_content("0", "text/plain"); });
    server.Start();
    const std::vector<std::string> env = {"XINGHE_DRIVER_ACTION=update-check", "XINGHE_TEST_SERVICE=" + server.Base()};
    const int rounds = EnvNumber("XINGHE_TWIN_ROUNDS", 10);
    for (int round = 0; round < rounds; ++round) {
        ASSERT_GT(box.Start(checker, {checker}, env), 0);
        ASSERT_GT(box.Start(checker, {checker}, env), 0);
        ASSERT_TRUE(WaitChainEnd(30s)) << box.Output();
    }
    server.Stop();

    // A line may be lost to the other writer; none may be torn or mixed with another.
    const Lines lines = testing::ReadUpdateLogMessages(box.dataFolder + "/res/update.log");
    const std::set<std::string> allowed = {server.Base() + "/getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0",
                                           "Http QueryInfoStatusCode:200", "Server response check version msg:0",
                                           "Finish Update.", kSeparator};
    for (const std::string& line : lines) EXPECT_TRUE(allowed.count(line)) << "torn log line: " << line;
    std::cout << "two checks at once: " << lines.size() << " of " << rounds * 2 * allowed.size() << " lines written"
              << std::endl;
    EXPECT_GE(lines.size(), static_cast<std::size_t>(rounds) * allowed.size());
}

}  // namespace
}  // namespace xh
