// The first start and the version check on a full disk and on a read-only data folder, and
// the first start over settings files edited by hand: real processes in a sandbox of folders.
// The full and read-only volumes are a small tmpfs mounted over the sandbox's data folder in a
// private mount namespace (unshare), so nothing outside the test sees them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/update_log.h"
#include "settings/ini_file.h"
#include "update/sandbox.h"
#include "update/update_test_support.h"

namespace xh {
namespace {

namespace fs = std::filesystem;
using testing::Sandbox;
using testing::TempDir;
using Lines = std::vector<std::string>;

const std::string kSeparator = "=====================";
const std::string kDefaultSettings =
    "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
    "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\n[Start]\r\nfirststart=1\r\n";
const std::string kUnpackedSettings =
    "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
    "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\nstart=1001\r\n[Start]\r\nfirststart=1\r\n";
const std::string kFirstStartSettings =
    "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
    "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\nstart=1001\r\n[Start]\r\nfirststart=0\r\n";

// Mounts the volume over $1, fills it and runs the program; its exit status goes to $5 and
// the volume's files to $6 before the namespace (and with it the mount) goes away.
constexpr const char* kVolumeScript = R"(set -u
data=$1 seed=$2 room=$3 readonly=$4 status=$5 after=$6
shift 6
mount -t tmpfs -o size=24m xinghe-test-volume "$data" || exit 97
if [ -n "$seed" ]; then cp -a "$seed/." "$data/" || exit 98; fi
if [ -n "$room" ]; then
  cat /dev/zero > "$data/.filler" 2>/dev/null
  truncate -s "-$room" "$data/.filler" || exit 98
fi
if [ "$readonly" = 1 ]; then mount -o remount,ro "$data" || exit 98; fi
"$@"
echo $? > "$status"
mkdir -p "$after" && cp -a "$data/." "$after/" && rm -f "$after/.filler"
)";

std::vector<std::string> Unshare() {
    // Without root, a user namespace gives the right to mount.
    if (::geteuid() == 0) return {"/usr/bin/unshare", "unshare", "-m"};
    return {"/usr/bin/unshare", "unshare", "-r", "-m"};
}

// Whether this machine lets the test mount a tmpfs of its own (CI containers may not).
bool VolumesWork() {
    static const bool works = [] {
        Sandbox box;
        const std::string mountPoint = box.root / "probe";
        fs::create_directories(mountPoint);
        std::vector<std::string> command = Unshare();
        const std::string program = command.front();
        command.erase(command.begin());
        command.insert(command.end(), {"sh", "-c", "mount -t tmpfs -o size=16k probe \"$0\"", mountPoint});
        return box.Run(program, command, {}) == 0;
    }();
    return works;
}

struct Volume {
    std::string seed;                // copied onto the volume first; "" for none
    std::optional<std::size_t> room; // filled until only this many bytes are free; nullopt: not filled
    bool readOnly = false;
};

// The sandbox with its data folder on a volume for one run, and the files the run left there
// under `after` (the same layout as the data folder).
struct VolumeRun {
    Sandbox box;
    std::string after = box.root / "after";
    std::string seed = box.root / "seed";
    std::string status = box.root / "status";
    std::string mountPoint;  // the folder the volume goes over; "" for the data folder

    // The driver's exit status (128 + the signal for one that was killed); nullopt when the
    // volume could not be set up.
    std::optional<int> Run(const Volume& volume, const std::string& program, const std::vector<std::string>& env) {
        return Run(volume, std::vector<std::string>{program}, env);
    }
    // `command`: the program and its arguments.
    std::optional<int> Run(const Volume& volume, const std::vector<std::string>& command,
                           const std::vector<std::string>& env) {
        fs::remove_all(fs::u8path(after));
        fs::remove(fs::u8path(status));
        const std::string script = box.root / "volume.sh";
        TempDir::Write(script, kVolumeScript);
        std::vector<std::string> args = Unshare();
        const std::string unshare = args.front();
        args.erase(args.begin());
        args.insert(args.end(), {"sh", script, mountPoint.empty() ? box.data : mountPoint, volume.seed,
                                 volume.room ? std::to_string(*volume.room) : "", volume.readOnly ? "1" : "0", status,
                                 after});
        args.insert(args.end(), command.begin(), command.end());
        const int ran = box.Run(unshare, args, env);
        const std::string code = TempDir::Read(status);
        if (ran != 0 || code.empty()) return std::nullopt;
        return std::stoi(code);
    }
};

// The driver built as an older version: the installed copy that a first start replaces.
std::string OlderDriver() {
    std::string program = TempDir::Read(XINGHE_TEST_DRIVER);
    const std::string version = "FileVersion=1.0.1.0";
    const auto at = program.find(version);
    if (at != std::string::npos) program.replace(at + version.size() - 3, 3, "0.9");
    return program;
}

// Lines of update.log, each whole: the file is UTF-16 and ends with a line end; a message that
// ran into the next line shows as "<unterminated>".
::testing::AssertionResult WholeLogLines(const std::string& path) {
    if (!fs::exists(fs::u8path(path))) return ::testing::AssertionSuccess();
    const std::string bytes = TempDir::Read(path);
    if (bytes.size() % 2 != 0) return ::testing::AssertionFailure() << "an odd number of bytes: " << bytes.size();
    if (bytes.empty()) return ::testing::AssertionSuccess();
    const std::string end("\r\0\n\0", 4);
    if (bytes.size() < 4 || bytes.compare(bytes.size() - 4, 4, end) != 0) {
        return ::testing::AssertionFailure() << "the last line has no line end";
    }
    for (const std::string& message : testing::ReadUpdateLogMessages(path)) {
        if (message.find("<unterminated>") != std::string::npos) {
            return ::testing::AssertionFailure() << "a cut line: " << message;
        }
    }
    return ::testing::AssertionSuccess();
}

bool IsSubsequence(const Lines& part, const Lines& whole) {
    auto it = whole.begin();
    for (const std::string& line : part) {
        it = std::find(it, whole.end(), line);
        if (it == whole.end()) return false;
        ++it;
    }
    return true;
}

// Files a failed write left behind beside its target.
Lines Leftovers(const std::string& root) {
    Lines found;
    if (!fs::exists(fs::u8path(root))) return found;
    for (const auto& entry : fs::recursive_directory_iterator(fs::u8path(root))) {
        const std::string name = entry.path().filename().string();
        if (name.find(".tmp") != std::string::npos || name.find(".xhnew") != std::string::npos) {
            found.push_back(TempDir::Utf8(entry.path()));
        }
    }
    return found;
}

class DiskFaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!VolumesWork()) GTEST_SKIP() << "this machine does not allow a private mount namespace with a tmpfs";
        fs::copy_file(XINGHE_TEST_DRIVER, program);
    }

    // The data folder of an earlier first start with `installedCopy` as the installed program
    // and the first-start marker set again, so that the next first start copies and writes.
    void SeedEarlierInstall(const std::string& installedCopy, const std::string& logBytes = "") {
        ASSERT_EQ(run.box.Run(program, {program}, {"XINGHE_DRIVER_ACTION=first-start"}), 0) << run.box.Output();
        fs::rename(fs::u8path(run.box.data), fs::u8path(run.seed));
        fs::create_directories(fs::u8path(run.box.data));
        TempDir::Write(seedFolder + "/xinghe-update-driver", installedCopy);
        TempDir::Write(seedFolder + "/res/systemset.ini", kUnpackedSettings);
        if (!logBytes.empty()) TempDir::Write(seedFolder + "/res/update.log", logBytes);
    }

    // What every run must leave: a normal end, whole files, nothing beside them.
    static void ExpectSoundEnd(const VolumeRun& run, const std::optional<int>& status, const Lines& settingsStates) {
        ASSERT_TRUE(status.has_value()) << "the volume could not be set up\n" << run.box.Output();
        EXPECT_EQ(*status, 0) << "the driver did not end normally\n" << run.box.Output();
        const std::string settings = run.after + "/Vexa/xinghe/res/systemset.ini";
        if (fs::exists(fs::u8path(settings))) {
            const std::string text = TempDir::Read(settings);
            EXPECT_TRUE(std::find(settingsStates.begin(), settingsStates.end(), text) != settingsStates.end())
                << "settings file not whole:\n" << text;
        }
        EXPECT_TRUE(WholeLogLines(run.after + "/Vexa/xinghe/res/update.log"));
        EXPECT_EQ(Leftovers(run.after), Lines{});
    }

    // The installed copy: absent, one of `states`, never a cut one.
    static void ExpectWholeProgram(const VolumeRun& run, const Lines& states) {
        const std::string installed = run.after + "/Vexa/xinghe/xinghe-update-driver";
        if (!fs::exists(fs::u8path(installed))) return;
        const std::string bytes = TempDir::Read(installed);
        EXPECT_TRUE(std::find(states.begin(), states.end(), bytes) != states.end())
            << "a cut installed copy of " << bytes.size() << " bytes";
    }

    VolumeRun run;
    const std::string program = run.box.bin + "/xinghe-update-driver";
    const std::string seedFolder = run.seed + "/Vexa/xinghe";
    const std::string afterFolder = run.after + "/Vexa/xinghe";
    const std::string driver = TempDir::Read(XINGHE_TEST_DRIVER);
    // An installed copy without a version text, so a first start always replaces it.
    const std::string smallOldCopy = std::string(6000, 'o');
};

struct FirstStartCase {
    const char* name;
    bool earlierInstall;  // the volume holds an earlier installation (SeedEarlierInstall)
    std::optional<std::size_t> room;
    bool readOnly;
};
const FirstStartCase kFirstStartCases[] = {
    {"fresh, full", false, 0, false},
    {"fresh, room for the archive but not the program", false, 64 * 1024, false},
    {"fresh, read-only", false, std::nullopt, true},
    {"over an earlier install, full", true, 0, false},
    {"over an earlier install, room for half the program", true, 4 * 1024 * 1024, false},
    {"over an earlier install, read-only", true, std::nullopt, true},
    {"over an earlier install, room enough", true, 16 * 1024 * 1024, false},
};

// A disk that fills up on the way leaves whole settings and the earlier program, or none,
// never a cut one; a read-only one is left as it was.
TEST_F(DiskFaultsTest, FirstStartEndsNormallyWithWholeSettingsAndProgram) {
    SeedEarlierInstall(smallOldCopy);
    for (const FirstStartCase& c : kFirstStartCases) {
        SCOPED_TRACE(c.name);
        const std::optional<int> status = run.Run({c.earlierInstall ? run.seed : "", c.room, c.readOnly}, program,
                                                  {"XINGHE_DRIVER_ACTION=first-start"});
        if (c.earlierInstall) {
            ExpectSoundEnd(run, status, {kUnpackedSettings, kFirstStartSettings});
        } else {
            ExpectSoundEnd(run, status,
                           {"[Setting]\r\nstart=1001\r\n", kDefaultSettings, kUnpackedSettings, kFirstStartSettings});
        }
        ExpectWholeProgram(run, c.earlierInstall ? Lines{smallOldCopy, driver} : Lines{driver});
        if (c.room && *c.room > driver.size()) {
            EXPECT_TRUE(TempDir::Read(afterFolder + "/xinghe-update-driver") == driver) << "not copied";
            EXPECT_EQ(TempDir::Read(afterFolder + "/res/systemset.ini"), kFirstStartSettings);
        }
        if (c.readOnly && c.earlierInstall) {
            EXPECT_EQ(TempDir::Read(afterFolder + "/res/systemset.ini"), kUnpackedSettings);
            EXPECT_EQ(TempDir::Read(afterFolder + "/xinghe-update-driver"), smallOldCopy);
        } else if (c.readOnly) {
            EXPECT_TRUE(fs::is_empty(fs::u8path(run.after))) << "a read-only volume gained files";
        }
    }
}

// Whole log lines filling the file's first 4096-byte page up to `room` bytes (a tmpfs grows
// a file by pages, so that is all the room a full volume has for the next line).
std::string LogWithRoomInItsPage(std::size_t room) {
    const auto line = [](const std::string& message) {
        return ToUtf16LeBytes(FormatUpdateLogLine(LocalTime{2024, 3, 5, 9, 7, 2}, message) + "\r\n");
    };
    const std::size_t target = 4096 - room;
    const std::size_t empty = line("").size();
    std::string bytes;
    while (bytes.size() + line("Finish Update.").size() + empty <= target) bytes += line("Finish Update.");
    return bytes + line(std::string((target - bytes.size() - empty) / 2, 'p'));
}

TEST_F(DiskFaultsTest, VersionCheckOnAFullOrReadOnlyVolume) {
    // Room in the log's last page for a short line but not for the long query address.
    SeedEarlierInstall(OlderDriver(), LogWithRoomInItsPage(150));
    const Lines seeded = testing::ReadUpdateLogMessages(seedFolder + "/res/update.log");
    const std::string older = OlderDriver();

    testing::LoopbackServer server;
    // The service at /offer offers the update, the one at the root has nothing new.
    server.server.Get("/getClientVersion.php", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content("0", "text/plain");
    });
    server.server.Get("/offer/getClientVersion.php", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(server.Base() + "/files/new", "text/plain");
    });
    server.server.Get("/files/new", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(driver, "application/octet-stream");
    });
    server.Start();
    const std::string query = server.Base() + "/getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0";
    const std::string offerQuery = server.Base() + "/offer/getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0";
    const std::string url = server.Base() + "/files/new";
    const Lines nothingNew = {query, "Http QueryInfoStatusCode:200", "Server response check version msg:0",
                              "Finish Update.", kSeparator};

    const struct {
        const char* name;
        Volume volume;
        bool offer;
    } cases[] = {
        {"nothing new, full", {run.seed, 0, false}, false},
        {"nothing new, read-only", {run.seed, std::nullopt, true}, false},
        {"an update offered, full", {run.seed, 0, false}, true},
        {"an update offered, room for the log only", {run.seed, 64 * 1024, false}, true},
        {"an update offered, read-only", {run.seed, std::nullopt, true}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The checking program runs from elsewhere under the installed name.
        const std::string checker = run.box.bin + "/xinghe-update-driver";
        const std::optional<int> status =
            run.Run(c.volume, checker,
                    {"XINGHE_DRIVER_ACTION=update-check",
                     "XINGHE_TEST_SERVICE=" + server.Base() + (c.offer ? "/offer" : "")});
        ExpectSoundEnd(run, status, {kUnpackedSettings});
        EXPECT_TRUE(TempDir::Read(afterFolder + "/xinghe-update-driver") == older) << "the installed copy changed";
        Lines messages = testing::ReadUpdateLogMessages(afterFolder + "/res/update.log");
        ASSERT_GE(messages.size(), seeded.size());
        EXPECT_TRUE(std::equal(seeded.begin(), seeded.end(), messages.begin())) << "earlier lines changed";
        messages.erase(messages.begin(), messages.begin() + static_cast<long>(seeded.size()));
        if (c.volume.readOnly) {
            EXPECT_EQ(messages, Lines{});
        } else if (!c.offer) {
            // The long address did not fit; the status line after it did.
            EXPECT_EQ(messages, Lines{"Http QueryInfoStatusCode:200"});
            EXPECT_TRUE(IsSubsequence(messages, nothingNew));
        } else {
            const Lines offered = {offerQuery, "Http QueryInfoStatusCode:200", "Server response check version msg:" + url,
                                   "ExcuUpdate,URL=" + url, "Http QueryInfoStatusCode:200",
                                   "Content length:" + std::to_string(driver.size()), "Try Download File Exception",
                                   "No space left on device"};
            EXPECT_TRUE(IsSubsequence(messages, offered)) << ::testing::PrintToString(messages);
        }
    }
    server.Stop();
}

// The settings file's text as the INI module reads it: without its mark, UTF-16 as ASCII.
std::string SettingsText(const std::string& bytes) {
    if (bytes.starts_with("\xFF\xFE")) {
        std::string text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) text += bytes[i];
        return text;
    }
    return bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
}

std::string Utf16Le(const std::string& ascii) {
    std::string out;
    for (const char c : ascii) out += std::string{c, '\0'};
    return out;
}

std::string Junk(std::size_t size) {
    std::string out;
    std::uint32_t x = 88172645u;
    for (std::size_t i = 0; i < size; ++i) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        out += static_cast<char>(i % 5 == 0 ? 0 : x & 0xFF);
    }
    return out;
}

// A first start with a settings file that a player edited by hand already in place: the
// program ends normally and the file holds what the first start writes, in its own encoding,
// next to every value that was readable before.
TEST(HandEditedSettingsEndToEndTest, FirstStartKeepsTheFileReadable) {
    const std::string megabyte(1 << 20, 'x');
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::pair<std::string, std::string>> readable;  // [Setting] keys
        bool marked;  // the file starts with a byte-order mark that must stay
    } cases[] = {
        {"junk around a section", Junk(3000) + "\r\n[Setting]\r\nscreentoggle=F9\r\n" + Junk(3000),
         {{"screentoggle", "F9"}}, false},
        {"junk only", Junk(5000), {}, false},
        {"a line of one mebibyte", "[Setting]\r\nscreentoggle=F9\r\njunk=" + megabyte + "\r\nfullscreen=F8\r\n",
         {{"screentoggle", "F9"}, {"fullscreen", "F8"}}, false},
        {"no line end at all", "[Setting]" + megabyte, {}, false},
        {"no line end after the last line", "[Setting]\r\nscreentoggle=F9", {{"screentoggle", "F9"}}, false},
        {"CR-only line ends", "[Setting]\rscreentoggle=F9\rfullscreen=F8\r[Start]\rfirststart=1\r",
         {{"screentoggle", "F9"}, {"fullscreen", "F8"}}, false},
        {"LF-only line ends", "[Setting]\nscreentoggle=F9\n", {{"screentoggle", "F9"}}, false},
        {"UTF-16LE with its mark", "\xFF\xFE" + Utf16Le("[Setting]\r\nscreentoggle=F9\r\n[Start]\r\nfirststart=1\r\n"),
         {{"screentoggle", "F9"}}, true},
        {"UTF-16LE without a mark", Utf16Le("[Setting]\r\nscreentoggle=F9\r\n"), {}, false},
        {"UTF-8 with its mark", "\xEF\xBB\xBF[Setting]\r\nscreentoggle=F9\r\n", {{"screentoggle", "F9"}}, true},
        {"keys before any section", "screentoggle=F9\r\n[Setting]\r\nfullscreen=F8\r\n", {{"fullscreen", "F8"}},
         false},
        {"duplicate keys and sections",
         "[Setting]\r\nscreentoggle=F9\r\nscreentoggle=F7\r\n[Setting]\r\nfullscreen=F6\r\n",
         {{"screentoggle", "F9"}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Sandbox box;
        const std::string program = box.bin + "/xinghe-update-driver";
        fs::copy_file(XINGHE_TEST_DRIVER, program);
        const std::string settings = box.dataFolder + "/res/systemset.ini";
        fs::create_directories(fs::u8path(box.dataFolder + "/res"));
        TempDir::Write(settings, c.bytes);

        EXPECT_EQ(box.Run(program, {program}, {"XINGHE_DRIVER_ACTION=first-start"}), 0) << box.Output();
        const std::string bytes = TempDir::Read(settings);
        const std::string text = SettingsText(bytes);
        EXPECT_EQ(ini::Find(text, "Setting", "start"), "1001");
        const bool hadFirstStart = ini::Find(SettingsText(c.bytes), "Start", "firststart").has_value();
        EXPECT_EQ(ini::Find(text, "Start", "firststart"), hadFirstStart ? std::optional<std::string>("0") : std::nullopt);
        for (const auto& [key, value] : c.readable) EXPECT_EQ(ini::Find(text, "Setting", key), value) << key;
        if (c.marked) {
            EXPECT_EQ(bytes.substr(0, 2), c.bytes.substr(0, 2)) << "the file lost its mark";
        }
        EXPECT_TRUE(TempDir::Read(box.dataFolder + "/xinghe-update-driver") == TempDir::Read(program));
    }
}

// The Windows build under Wine on the full volume: its files go through Wine's file functions.
// Runs when XINGHE_WINDOWS_BUILD names a Windows build folder (xinghe-update-driver.exe in it).
TEST(WineDiskFaultsTest, FirstStartAndVersionCheckOnAFullVolume) {
    const char* build = std::getenv("XINGHE_WINDOWS_BUILD");
    if (!build || !*build) GTEST_SKIP() << "XINGHE_WINDOWS_BUILD is not set";
    if (!VolumesWork()) GTEST_SKIP() << "this machine does not allow a private mount namespace with a tmpfs";
    const std::string driverExe = std::string(build) + "/xinghe-update-driver.exe";
    ASSERT_TRUE(fs::exists(driverExe)) << driverExe;

    VolumeRun run;
    const std::string prefix = run.box.root / "prefix";
    const std::string wine = "/usr/lib/wine/wine";
    const std::string server = "/usr/lib/wine/wineserver";
    const std::vector<std::string> env = {"WINEPREFIX=" + prefix, "WINEARCH=win32", "WINEDEBUG=-all",
                                          "WINEDLLOVERRIDES=winemenubuilder.exe=d;mscoree,mshtml="};
    // No Wine process may outlive a run: the next one must start its server inside the namespace.
    const auto stopWine = [&] {
        run.box.Run(server, {server, "-k"}, env);
        run.box.Run(server, {server, "-w"}, env);
    };
    ASSERT_EQ(run.box.Run(wine, {wine, "wineboot", "-i"}, env), 0) << run.box.Output();
    stopWine();
    std::string user;
    for (const auto& entry : fs::directory_iterator(fs::u8path(prefix + "/drive_c/users"))) {
        if (entry.path().filename() != "Public") user = entry.path().filename().string();
    }
    ASSERT_FALSE(user.empty());
    const std::string roaming = prefix + "/drive_c/users/" + user + "/AppData/Roaming";
    fs::create_directories(fs::u8path(prefix + "/drive_c/bin"));
    fs::copy_file(driverExe, prefix + "/drive_c/bin/xinghe-update-driver.exe");
    const std::string program = "C:\\bin\\xinghe-update-driver.exe";

    // An earlier installation with a small old program, the marker set again and a log with
    // room in its page for a short line only.
    run.box.Run(wine, {wine, program}, [&] {
        auto e = env;
        e.push_back("XINGHE_DRIVER_ACTION=first-start");
        return e;
    }());
    stopWine();
    fs::rename(fs::u8path(roaming), fs::u8path(run.seed));
    fs::create_directories(fs::u8path(roaming));
    const std::string seedFolder = run.seed + "/Vexa/xinghe";
    ASSERT_TRUE(fs::exists(fs::u8path(seedFolder + "/res/systemset.ini"))) << run.box.Output();
    const std::string smallOldCopy(6000, 'o');
    TempDir::Write(seedFolder + "/xinghe-update-driver.exe", smallOldCopy);
    TempDir::Write(seedFolder + "/res/systemset.ini", kUnpackedSettings);
    TempDir::Write(seedFolder + "/res/update.log", LogWithRoomInItsPage(150));
    const Lines seeded = testing::ReadUpdateLogMessages(seedFolder + "/res/update.log");
    run.mountPoint = roaming;

    testing::LoopbackServer http;
    http.server.Get("/getClientVersion.php", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("0", "text/plain");
    });
    http.Start();
    const std::string driver = TempDir::Read(driverExe);
    const std::string afterFolder = run.after + "/Vexa/xinghe";
    for (const char* action : {"first-start", "update-check"}) {
        SCOPED_TRACE(action);
        auto e = env;
        e.push_back(std::string("XINGHE_DRIVER_ACTION=") + action);
        e.push_back("XINGHE_TEST_SERVICE=" + http.Base());
        // The driver's status is the script's; the server ends with the namespace's programs.
        const std::optional<int> status =
            run.Run({run.seed, 0, false}, {"/bin/sh", "-c", "\"$0\" \"$1\"; s=$?; \"$2\" -w; exit $s", wine, program, server},
                    e);
        ASSERT_TRUE(status.has_value()) << run.box.Output();
        EXPECT_EQ(*status, 0) << run.box.Output();
        EXPECT_TRUE(WholeLogLines(afterFolder + "/res/update.log"));
        const std::string settings = TempDir::Read(afterFolder + "/res/systemset.ini");
        EXPECT_TRUE(settings == kUnpackedSettings || settings == kFirstStartSettings) << settings;
        const std::string installed = TempDir::Read(afterFolder + "/xinghe-update-driver.exe");
        EXPECT_TRUE(installed == smallOldCopy || installed == driver)
            << "a cut installed copy of " << installed.size() << " bytes";
        EXPECT_FALSE(fs::exists(fs::u8path(afterFolder + "/xinghe-update-driver.exe.new"))) << "a cut copy beside it";
        Lines messages = testing::ReadUpdateLogMessages(afterFolder + "/res/update.log");
        ASSERT_GE(messages.size(), seeded.size());
        messages.erase(messages.begin(), messages.begin() + static_cast<long>(seeded.size()));
        if (std::string(action) == "update-check") {
            EXPECT_EQ(messages, Lines{"Http QueryInfoStatusCode:200"});
        }
    }
    http.Stop();
}

}  // namespace
}  // namespace xh
