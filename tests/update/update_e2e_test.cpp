// The self-update, the first start and the uninstaller end to end: real launcher processes
// in a sandbox of folders (HOME, XDG folders, the machine-wide uninstall folder), a real
// version service on 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <algorithm>
#include <map>

#include "app/utf.h"
#include "update/sandbox.h"
#include "update/update_test_support.h"

namespace xh {
namespace {

namespace fs = std::filesystem;
using testing::Sandbox;
using testing::StopProcessesOf;
using testing::TempDir;
using testing::WaitFor;
using testing::Md5;
using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

const std::string kSeparator = "=====================";

std::int64_t ModifiedTime(const fs::path& path) {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::file_clock::to_sys(fs::last_write_time(path)).time_since_epoch())
        .count();
}

std::int64_t LocalTime(int y, int mo, int d, int h, int mi, int s) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

// Every file under the root with its size, digest and time, every folder by name: a
// readable list to compare.
std::vector<std::string> Snapshot(const std::string& root, const std::string& skipSuffix = "") {
    std::vector<std::string> all;
    for (const auto& entry : fs::recursive_directory_iterator(fs::u8path(root))) {
        const std::string path = TempDir::Utf8(entry.path());
        if (path == root + "/output.txt") continue;
        if (!skipSuffix.empty() && path.size() >= skipSuffix.size() &&
            path.compare(path.size() - skipSuffix.size(), skipSuffix.size(), skipSuffix) == 0) {
            continue;
        }
        if (entry.is_directory()) {
            all.push_back(path + "/");
        } else {
            const std::string content = TempDir::Read(path);
            all.push_back(path + " " + std::to_string(content.size()) + " " +
                          std::to_string(std::hash<std::string>{}(content)) + " " +
                          std::to_string(ModifiedTime(entry.path())));
        }
    }
    std::sort(all.begin(), all.end());
    return all;
}

std::string ReadIfExists(const std::string& path) { return fs::exists(fs::u8path(path)) ? TempDir::Read(path) : ""; }

TEST(UpdateEndToEndTest, AnOlderInstalledLauncherIsReplacedByTheServedOne) {
    Sandbox box;
    const std::string launcher = TempDir::Read(XINGHE_TEST_LAUNCHER);
    ASSERT_FALSE(launcher.empty());
    // The newer build: the same program with its version section rewritten in place.
    std::string newer = launcher;
    const std::string fileVersion = "\\StringFileInfo\\080403a8\\FileVersion=1.0.1.0";
    const auto at = newer.find(fileVersion);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(newer.find(fileVersion, at + 1), std::string::npos);
    newer.replace(at + fileVersion.size() - 3, 3, "2.0");

    fs::create_directories(fs::u8path(box.dataFolder + "/res"));
    const std::string installed = box.dataFolder + "/xinghe-launcher";
    TempDir::Write(installed, launcher);
    fs::permissions(installed, fs::perms::owner_all);
    // The check runs in a program of the installed name elsewhere (the login window's part).
    const std::string checker = box.bin + "/xinghe-launcher";
    fs::copy_file(XINGHE_TEST_DRIVER, checker);

    testing::LoopbackServer server;
    std::string askedVersion;
    server.server.Get("/getClientVersion.php", [&](const httplib::Request& req, httplib::Response& res) {
        askedVersion = req.get_param_value("v");
        const bool known = req.get_param_value("p") == "Vexa" && req.get_param_value("g") == "xinghe";
        res.set_content(known && askedVersion == "1.0.1.0" ? server.Base() + "/files/xinghe-1.0.2.0" : "0",
                        "text/plain");
    });
    server.server.Get("/files/xinghe-1.0.2.0", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(newer, "application/octet-stream");
    });
    server.Start();

    EXPECT_EQ(box.Run(checker, {checker}, {"XINGHE_DRIVER_ACTION=update-check", "XINGHE_TEST_SERVICE=" + server.Base()}),
              0);
    const std::string log = box.dataFolder + "/res/update.log";
    const bool applied = WaitFor([&] {
        const Lines lines = testing::ReadUpdateLogMessages(log);
        return !lines.empty() && lines.back() == kSeparator && lines.size() > 3;
    });
    // The updated program runs in the normal mode: a process of the installed file whose whole
    // command line is its path, or (without a display) its message that it has no frame yet.
    std::string normalStart;
    WaitFor([&] {
        for (const auto& entry : fs::directory_iterator("/proc")) {
            std::error_code ec;
            if (fs::read_symlink(entry.path() / "exe", ec) == fs::u8path(installed)) {
                const std::string cmdline = TempDir::Read(TempDir::Utf8(entry.path() / "cmdline"));
                if (!cmdline.empty()) normalStart = cmdline;
            }
        }
        return !normalStart.empty() || box.Output().find("frame window") != std::string::npos;
    }, 10s);
    StopProcessesOf(installed);
    server.Stop();
    ASSERT_TRUE(applied) << box.Output();

    EXPECT_EQ(askedVersion, "1.0.1.0");
    EXPECT_TRUE(TempDir::Read(installed) == newer) << "the installed file is not the served one";
    EXPECT_NE(TempDir::Read(installed).find("FileVersion=1.0.2.0"), std::string::npos);
    const std::string n = std::to_string(newer.size());
    const std::string md5 = Md5(installed);
    const std::string url = server.Base() + "/files/xinghe-1.0.2.0";
    EXPECT_EQ(testing::ReadUpdateLogMessages(log),
              (Lines{server.Base() + "/getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0", "Http QueryInfoStatusCode:200",
                     "Server response check version msg:" + url, "ExcuUpdate,URL=" + url,
                     "Http QueryInfoStatusCode:200", "Content length:" + n, "Finish download,file size=" + n,
                     "Finish download,file md5=" + md5, "Finish download,current file md5=" + md5,
                     "Update success.Current Version:1.0.2.0", kSeparator}));
    EXPECT_TRUE(normalStart == installed + std::string(1, '\0') ||
                box.Output().find("frame window is not available") != std::string::npos)
        << box.Output();
    // The download stays in the cache folder until the next check removes it.
    EXPECT_TRUE(TempDir::Read(box.data + "/cache/zqxinghetmp.exe") == newer);
}

class InstallEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(XINGHE_TEST_DRIVER, original);
        ASSERT_EQ(box.Run(original, {original}, {"XINGHE_DRIVER_ACTION=first-start"}), 0) << box.Output();
    }
    Sandbox box;
    const std::string original = box.bin + "/xinghe-update-driver";
    const std::string installed = box.dataFolder + "/xinghe-update-driver";
};

TEST_F(InstallEndToEndTest, FirstStartMakesTheInstallationAndASecondChangesOnlyTheShortcuts) {
    EXPECT_TRUE(TempDir::Read(installed) == TempDir::Read(original)) << "no installed copy";
    EXPECT_NE(fs::status(installed).permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(TempDir::Read(box.dataFolder + "/res/systemset.ini"),
              "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
              "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\nstart=1001\r\n[Start]\r\n"
              "firststart=0\r\n");
    const fs::path icon = fs::u8path(box.dataFolder + "/res/uninstall.ico");
    EXPECT_EQ(fs::file_size(icon), 1150u);
    EXPECT_EQ(ModifiedTime(icon), LocalTime(2015, 4, 15, 14, 53, 54));

    EXPECT_EQ(ReadIfExists(box.group + "/星河.desktop"),
              "[Desktop Entry]\nType=Application\nName=星河\nExec=" + installed + " 1\nTerminal=false\n");
    EXPECT_EQ(ReadIfExists(box.group + "/卸载-星河.desktop"),
              "[Desktop Entry]\nType=Application\nName=卸载-星河\nExec=" + installed + " -u\nTerminal=false\nIcon=" +
                  box.dataFolder + "/res/uninstall.ico\n");
    EXPECT_FALSE(fs::exists(fs::u8path(box.home + "/Desktop")));

    const std::string entry = box.machine + "/云朵网星河/";
    EXPECT_EQ(ReadIfExists(entry + "Path"), installed);
    EXPECT_EQ(ReadIfExists(entry + "DisplayName"), "星河");
    EXPECT_EQ(ReadIfExists(entry + "Publisher"), "Vexa");
    EXPECT_EQ(ReadIfExists(entry + "UninstallString"), installed + " -u");
    EXPECT_EQ(ReadIfExists(box.config + "/青松奇遇记/xinghe-update-driver.ini"),
              "[云朵网星河]\r\nPath=" + installed + "\r\nDisplayName=星河\r\nPublisher=Vexa\r\nUninstallString=" +
                  installed + " -u\r\n");

    const auto before = Snapshot(TempDir::Utf8(box.root.path()), ".desktop");
    std::this_thread::sleep_for(1100ms);  // a rewrite would show in the times
    const std::int64_t shortcutTime = ModifiedTime(fs::u8path(box.group + "/星河.desktop"));
    ASSERT_EQ(box.Run(original, {original}, {"XINGHE_DRIVER_ACTION=first-start"}), 0);
    EXPECT_EQ(Snapshot(TempDir::Utf8(box.root.path()), ".desktop"), before);
    EXPECT_GT(ModifiedTime(fs::u8path(box.group + "/星河.desktop")), shortcutTime);
}

TEST_F(InstallEndToEndTest, WithoutRightsOnTheMachineFolderNoEntryIsWrittenButTheProfileCopyIs) {
    Sandbox other;
    TempDir::Write(other.machine, "not a folder");  // the machine folder cannot be made
    const std::string program = other.bin + "/xinghe-update-driver";
    fs::copy_file(XINGHE_TEST_DRIVER, program);
    ASSERT_EQ(other.Run(program, {program}, {"XINGHE_DRIVER_ACTION=first-start"}), 0);
    EXPECT_EQ(TempDir::Read(other.machine), "not a folder");
    EXPECT_NE(ReadIfExists(other.config + "/青松奇遇记/xinghe-update-driver.ini").find("UninstallString="),
              std::string::npos);
}

TEST_F(InstallEndToEndTest, UninstallCancelledChangesNothingConfirmedLeavesOnlyWhatStays) {
    const std::string desktopLink = box.home + "/Desktop/Vexa《星河》.desktop";
    fs::create_directories(fs::u8path(box.home + "/Desktop"));
    TempDir::Write(desktopLink, "[Desktop Entry]\n");

    const auto before = Snapshot(TempDir::Utf8(box.root.path()));
    ASSERT_EQ(box.Run(installed, {installed, "-u"}, {"XINGHE_TEST_ANSWER=2"}), 0);
    EXPECT_NE(box.Output().find("asked 卸载 / 您是否确认卸载《星河》？"), std::string::npos) << box.Output();
    EXPECT_EQ(Snapshot(TempDir::Utf8(box.root.path())), before);

    ASSERT_EQ(box.Run(installed, {installed, "-u"}, {"XINGHE_TEST_ANSWER=1"}), 0);
    const std::string copy = box.data + "/cache/zqtstmpu.exe";
    // The second stage ends by removing its own copy.
    const bool done = WaitFor([&] {
        return !fs::exists(fs::u8path(copy)) && box.Output().find("mode UninstallCleanup") != std::string::npos;
    });
    StopProcessesOf(copy);
    ASSERT_TRUE(done) << box.Output();
    WaitFor([&] { return !fs::exists(fs::u8path(box.data + "/applications/Vexa")); }, 5s);

    // What stays: the data folder (empty) and its parent, the cache folder, the profile copy.
    EXPECT_TRUE(fs::is_directory(fs::u8path(box.dataFolder)));
    EXPECT_TRUE(fs::is_empty(fs::u8path(box.dataFolder)));
    EXPECT_TRUE(fs::is_directory(fs::u8path(box.data + "/cache")));
    EXPECT_TRUE(fs::is_empty(fs::u8path(box.data + "/cache")));
    EXPECT_NE(ReadIfExists(box.config + "/青松奇遇记/xinghe-update-driver.ini").find("Path=" + installed),
              std::string::npos);
    // What goes: the entry, the shortcuts and groups, the desktop shortcut (to the trash).
    EXPECT_FALSE(fs::exists(fs::u8path(box.machine + "/云朵网星河")));
    EXPECT_TRUE(fs::is_empty(fs::u8path(box.machine)));
    EXPECT_FALSE(fs::exists(fs::u8path(box.data + "/applications/Vexa")));
    EXPECT_FALSE(fs::exists(fs::u8path(desktopLink)));
    const std::string trash = box.data + "/Trash/files";
    for (const char* name : {"Vexa《星河》.desktop", "星河.desktop", "卸载-星河.desktop", "res", "星河", "Vexa"}) {
        EXPECT_TRUE(fs::exists(fs::u8path(trash + "/" + name))) << name;
    }
    EXPECT_FALSE(fs::exists(fs::u8path(trash + "/xinghe-update-driver"))) << "the program is deleted, not trashed";
}


// The Windows build under Wine, each test in a prefix of its own inside the sandbox. These
// run when XINGHE_WINDOWS_BUILD names a Windows build folder (xinghe-launcher.exe and
// xinghe-update-driver.exe in it); otherwise they are skipped. The program's resource
// script must include resources/archive.rc for the archive's part of the first start.
std::string Utf16Le(const std::u16string& text) {
    std::string bytes;
    for (const char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// Wine's registry files keep backslashes doubled and characters beyond ASCII as \x escapes.
std::string WineRegistryText(const std::string& utf8) {
    std::string out;
    for (const char16_t c : Utf8ToUtf16(utf8)) {
        if (c == u'\\') {
            out += "\\\\";
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%04x", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out;
}

class WineEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* build = std::getenv("XINGHE_WINDOWS_BUILD");
        if (!build || !*build) GTEST_SKIP() << "XINGHE_WINDOWS_BUILD is not set";
        launcherExe = std::string(build) + "/xinghe-launcher.exe";
        driverExe = std::string(build) + "/xinghe-update-driver.exe";
        ASSERT_TRUE(fs::exists(launcherExe) && fs::exists(driverExe)) << build;
        ASSERT_EQ(box.Run(wine, {wine, "wineboot", "-i"}, env), 0) << box.Output();
        booted = true;
        for (const auto& entry : fs::directory_iterator(fs::u8path(prefix + "/drive_c/users"))) {
            if (entry.path().filename() != "Public") user = entry.path().filename().string();
        }
        ASSERT_FALSE(user.empty());
        roaming = prefix + "/drive_c/users/" + user + "/AppData/Roaming";
        dataFolder = roaming + "/Vexa/xinghe";
        windowsData = "C:\\users\\" + user + "\\AppData\\Roaming\\Vexa\\xinghe";
        group = roaming + "/Microsoft/Windows/Start Menu/Programs/Vexa/星河";
        fs::create_directories(fs::u8path(prefix + "/drive_c/bin"));
    }
    void TearDown() override {
        if (booted) StopWine();
    }
    // Ends every Wine process of the prefix; the registry files are written then.
    void StopWine() {
        box.Run(server, {server, "-k"}, env);
        box.Run(server, {server, "-w"}, env);
    }
    int RunWindows(const std::vector<std::string>& args, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> all = env;
        all.insert(all.end(), extra.begin(), extra.end());
        std::vector<std::string> argv = {wine};
        argv.insert(argv.end(), args.begin(), args.end());
        return box.Run(wine, argv, all);
    }
    // The registry key's block of the prefix's file, "" when the key is not there.
    std::string RegistryKey(const std::string& file, const std::string& key) {
        const std::string text = TempDir::Read(prefix + "/" + file);
        const auto at = text.find("[" + WineRegistryText(key) + "]");
        if (at == std::string::npos) return {};
        return text.substr(at, text.find("\n[", at + 1) - at);
    }

    Sandbox box;
    const std::string prefix = TempDir::Utf8(box.root.path() / "prefix");
    const std::vector<std::string> env = {"WINEPREFIX=" + prefix, "WINEARCH=win32", "WINEDEBUG=-all",
                                          "WINEDLLOVERRIDES=winemenubuilder.exe=d"};
    const std::string wine = "/usr/lib/wine/wine";
    const std::string server = "/usr/lib/wine/wineserver";
    std::string launcherExe, driverExe, user, roaming, dataFolder, windowsData, group;
    bool booted = false;
};

TEST_F(WineEndToEndTest, AnOlderInstalledLauncherIsReplacedByTheServedOne) {
    fs::create_directories(fs::u8path(dataFolder + "/res"));
    const std::string launcher = TempDir::Read(launcherExe);
    std::string newer = launcher;
    const auto key = newer.find(Utf16Le(u"FileVersion"));
    ASSERT_NE(key, std::string::npos);
    const auto value = newer.find(Utf16Le(u"1.0.1.0"), key);
    ASSERT_NE(value, std::string::npos);
    newer.replace(value, 14, Utf16Le(u"1.0.2.0"));
    const std::string installed = dataFolder + "/xinghe-launcher.exe";
    TempDir::Write(installed, launcher);
    fs::copy_file(driverExe, prefix + "/drive_c/bin/xinghe-launcher.exe");

    testing::LoopbackServer http;
    http.server.Get("/getClientVersion.php", [&](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.get_param_value("v") == "1.0.1.0" ? http.Base() + "/files/xinghe-1.0.2.0.exe" : "0",
                        "text/plain");
    });
    http.server.Get("/files/xinghe-1.0.2.0.exe", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(newer, "application/octet-stream");
    });
    http.Start();
    RunWindows({"C:\\bin\\xinghe-launcher.exe"}, {"XINGHE_DRIVER_ACTION=update-check", "XINGHE_TEST_SERVICE=" + http.Base()});
    const std::string log = dataFolder + "/res/update.log";
    const bool applied = WaitFor([&] {
        const Lines lines = fs::exists(fs::u8path(log)) ? testing::ReadUpdateLogMessages(log) : Lines{};
        return !lines.empty() && lines.back() == kSeparator && lines.size() > 3;
    }, 60s);
    http.Stop();
    ASSERT_TRUE(applied) << box.Output();

    EXPECT_TRUE(TempDir::Read(installed) == newer) << "the installed file is not the served one";
    const std::string n = std::to_string(newer.size());
    const std::string md5 = Md5(installed);
    const std::string url = http.Base() + "/files/xinghe-1.0.2.0.exe";
    EXPECT_EQ(testing::ReadUpdateLogMessages(log),
              (Lines{http.Base() + "/getClientVersion.php?p=Vexa&g=xinghe&v=1.0.1.0", "Http QueryInfoStatusCode:200",
                     "Server response check version msg:" + url, "ExcuUpdate,URL=" + url,
                     "Http QueryInfoStatusCode:200", "Content length:" + n, "Finish download,file size=" + n,
                     "Finish download,file md5=" + md5, "Finish download,current file md5=" + md5,
                     "Update success.Current Version:1.0.2.0", kSeparator}));
}

TEST_F(WineEndToEndTest, FirstStartThenUninstall) {
    fs::copy_file(driverExe, prefix + "/drive_c/bin/xinghe-update-driver.exe");
    RunWindows({"C:\\bin\\xinghe-update-driver.exe"}, {"XINGHE_DRIVER_ACTION=first-start"});
    StopWine();

    const std::string installed = windowsData + "\\xinghe-update-driver.exe";
    EXPECT_TRUE(TempDir::Read(dataFolder + "/xinghe-update-driver.exe") == TempDir::Read(driverExe));
    const std::string settings = TempDir::Read(dataFolder + "/res/systemset.ini");
    EXPECT_NE(settings.find("fullscreen=F11\r\nstart=1001\r\n[Start]\r\nfirststart=0\r\n"), std::string::npos) << settings;
    EXPECT_EQ(TempDir::Read(dataFolder + "/res/uninstall.ico").size(), 1150u);
    const std::string gameLink = TempDir::Read(group + "/星河.lnk");
    const std::string uninstallLink = TempDir::Read(group + "/卸载-星河.lnk");
    ASSERT_FALSE(gameLink.empty());
    ASSERT_FALSE(uninstallLink.empty());
    EXPECT_NE(uninstallLink.find(Utf16Le(u"-u")), std::string::npos);
    EXPECT_NE(uninstallLink.find(Utf16Le(Utf8ToUtf16(windowsData + "\\res\\uninstall.ico"))), std::string::npos);
    // The arguments "1" as a counted string (Wine counts the terminator as well).
    EXPECT_TRUE(gameLink.find(std::string("\x01\x00" "1\x00", 4)) != std::string::npos ||
                gameLink.find(std::string("\x02\x00" "1\x00\x00\x00", 6)) != std::string::npos);

    const std::string entryKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\云朵网星河";
    const std::string profileKey = "Software\\青松奇遇记\\xinghe-update-driver\\云朵网星河";
    const std::string entry = RegistryKey("system.reg", entryKey);
    ASSERT_FALSE(entry.empty()) << "no uninstall entry";
    EXPECT_NE(entry.find("\"Path\"=\"" + WineRegistryText(installed) + "\""), std::string::npos) << entry;
    EXPECT_NE(entry.find("\"UninstallString\"=\"" + WineRegistryText(installed) + " -u\""), std::string::npos) << entry;
    EXPECT_NE(entry.find("\"DisplayName\"=\"" + WineRegistryText("星河") + "\""), std::string::npos) << entry;
    EXPECT_NE(entry.find("\"Publisher\"=\"Vexa\""), std::string::npos) << entry;
    const std::string profile = RegistryKey("user.reg", profileKey);
    EXPECT_NE(profile.find("\"Path\"=\"" + WineRegistryText(installed) + "\""), std::string::npos) << profile;

    // Cancelled: nothing changes.
    const std::string cache = roaming + "/cache";
    RunWindows({installed, "-u"}, {"XINGHE_TEST_ANSWER=2"});
    StopWine();
    EXPECT_FALSE(fs::exists(fs::u8path(cache)));
    EXPECT_FALSE(RegistryKey("system.reg", entryKey).empty());

    // Confirmed: the second stage runs from the copy in the cache folder.
    RunWindows({installed, "-u"}, {"XINGHE_TEST_ANSWER=1"});
    const bool cleaned = WaitFor([&] {
        return !fs::exists(fs::u8path(dataFolder + "/res")) && !fs::exists(fs::u8path(roaming + "/Microsoft/Windows/Start Menu/Programs/Vexa"));
    }, 60s);
    StopWine();
    ASSERT_TRUE(cleaned) << box.Output();
    EXPECT_TRUE(RegistryKey("system.reg", entryKey).empty());
    EXPECT_FALSE(RegistryKey("user.reg", profileKey).empty()) << "the profile copy stays";
    EXPECT_TRUE(fs::exists(fs::u8path(cache + "/zqtstmpu.exe"))) << "the copy cannot remove itself";
    EXPECT_TRUE(fs::is_directory(fs::u8path(dataFolder)));
    EXPECT_FALSE(fs::exists(fs::u8path(dataFolder + "/xinghe-update-driver.exe")));
}

}  // namespace
}  // namespace xh
