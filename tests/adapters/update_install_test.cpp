// The embedded archive, the apply stage and the shell steps through this platform's real
// adapters, in folders of the test's own.
#include <gtest/gtest.h>
#include <minizip/zip.h>
#include <zlib.h>

#include <filesystem>

#include "app/file_digest.h"
#include "app/update_log.h"
#include "settings/settings.h"
#include "update/embedded_archive.h"
#include "update/maintenance.h"
#include "update/update_test_support.h"

#ifndef _WIN32
#include <sys/stat.h>

#include <gio/gio.h>

#include "linux/install_adapters.h"
#endif

namespace xh {
namespace {

namespace fs = std::filesystem;
using testing::ExitCalled;
using testing::Native;
using testing::TempDir;
using Lines = std::vector<std::string>;

constexpr char kDefaultSettings[] =
    "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
    "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\n[Start]\r\nfirststart=1\r\n";

// An archive of the test's own, in memory.
class ArchiveData final : public IEmbeddedData {
public:
    std::optional<std::string> bytes;
    std::optional<std::string> Archive() override { return bytes; }
};

struct TestEntry {
    TestEntry(std::string n, std::string d, unsigned long m = 0x0014, unsigned long x = 0x20, std::string extra = {})
        : name(std::move(n)), data(std::move(d)), madeBy(m), external(x), centralExtra(std::move(extra)) {}
    std::string name;
    std::string data;
    unsigned long madeBy;
    unsigned long external;
    std::string centralExtra;
};

std::string BuildArchive(const TempDir& dir, const std::vector<TestEntry>& entries) {
    const std::string path = dir / "built.zip";
    zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    for (const TestEntry& e : entries) {
        zip_fileinfo info{};
        info.tmz_date = {52, 29, 10, 21, 1, 2017};  // 2017-02-21 10:29:52
        info.external_fa = e.external;
        zipOpenNewFileInZip4(zip, e.name.c_str(), &info, nullptr, 0,
                             e.centralExtra.empty() ? nullptr : e.centralExtra.data(),
                             static_cast<uInt>(e.centralExtra.size()), nullptr, Z_DEFLATED, 9, 0, -MAX_WBITS,
                             8, Z_DEFAULT_STRATEGY, nullptr, 0, e.madeBy, 0);
        zipWriteInFileInZip(zip, e.data.data(), static_cast<unsigned>(e.data.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return TempDir::Read(path);
}

std::int64_t ModifiedTime(const std::string& path) {
    const auto t = fs::last_write_time(fs::u8path(path));
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::file_clock::to_sys(t).time_since_epoch())
        .count();
}

class InstallAdaptersTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ports sandbox = ports();
        sandbox.folders = &folders;
        sandbox.process = &process;
        sandbox.starter = &starter;
        scope.emplace(sandbox);
        ResetDataFolderForTests();
        dataFolder = GetDataFolder();
        dataFolder.pop_back();
        fs::create_directories(fs::u8path(dataFolder));
        res = dataFolder + folders.PathSeparator() + "res";
    }
    void TearDown() override {
        scope.reset();
        ResetDataFolderForTests();
    }
    std::string Res(const std::string& name) { return res + folders.PathSeparator() + name; }
    void UseArchive(std::optional<std::string> bytes) {
        archive.bytes = std::move(bytes);
        ports().embedded = &archive;
    }

    TempDir dir;
    testing::SandboxFolders folders{*ports().folders, TempDir::Utf8(dir.path())};
    testing::ScriptedProcess process;
    testing::RecordingStarter starter;
    ArchiveData archive;
    std::optional<ScopedPorts> scope;
    std::string dataFolder, res;
};

TEST_F(InstallAdaptersTest, AFreshDataFolderGetsTheEmbeddedSettingsAndIcon) {
    ExtractEmbeddedArchive(dataFolder);
    std::string expected = kDefaultSettings;
    expected.insert(expected.find("[Start]"), "start=1001\r\n");
    EXPECT_EQ(TempDir::Read(Res("systemset.ini")), expected);
    const std::string icon = TempDir::Read(Res("uninstall.ico"));
    EXPECT_EQ(icon.size(), 1150u);
    EXPECT_EQ(icon.substr(0, 8), std::string("\0\0\1\0\1\0\x10\x10", 8));
    const auto iconTime = ports().fileOps->LocalToUnix(LocalTime{2015, 4, 15, 14, 53, 54});
    const auto settingsTime = ports().fileOps->LocalToUnix(LocalTime{2017, 2, 21, 10, 29, 52});
    ASSERT_TRUE(iconTime && settingsTime);
    EXPECT_EQ(ModifiedTime(Res("uninstall.ico")), *iconTime);
    // The marker was written after the extraction, so the settings file is newer now.
    EXPECT_GT(ModifiedTime(Res("systemset.ini")), *settingsTime);
#ifdef _WIN32
    EXPECT_TRUE(::GetFileAttributesW(reinterpret_cast<const wchar_t*>(Utf8ToUtf16(Res("uninstall.ico")).c_str())) &
                FILE_ATTRIBUTE_ARCHIVE);
#endif
}

TEST_F(InstallAdaptersTest, AnExistingSettingsFileIsKeptAndTheMarkerStopsLaterRuns) {
    fs::create_directories(fs::u8path(res));
    TempDir::Write(Res("systemset.ini"), "[Setting]\r\nscreentoggle=F7\r\n");
    TempDir::Write(Res("data.zip"), "leftover");
    TempDir::Write(Res("uninstall.ico"), "old icon");
    ExtractEmbeddedArchive(dataFolder);
    EXPECT_EQ(TempDir::Read(Res("systemset.ini")), "[Setting]\r\nscreentoggle=F7\r\nstart=1001\r\n");
    EXPECT_EQ(TempDir::Read(Res("uninstall.ico")).size(), 1150u);
    EXPECT_FALSE(fs::exists(fs::u8path(Res("data.zip"))));

    // With the marker set nothing is unpacked or deleted, even with the icon gone.
    fs::remove(fs::u8path(Res("uninstall.ico")));
    TempDir::Write(Res("data.zip"), "leftover");
    ExtractEmbeddedArchive(dataFolder);
    EXPECT_FALSE(fs::exists(fs::u8path(Res("uninstall.ico"))));
    EXPECT_TRUE(fs::exists(fs::u8path(Res("data.zip"))));
}

TEST_F(InstallAdaptersTest, EntryNamesAttributesAndTimesOfAnyArchive) {
    auto le32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 24)};
    };
    const std::uint32_t stamp = 1500000000;  // 2017-07-14 02:40:00 UTC
    UseArchive(BuildArchive(dir, {
                                     {"a/b.txt", "nested"},
                                     {"C:\\abs\\c.txt", "drive"},
                                     {"../escape.txt", "outside"},
                                     {"x/../../escape2.txt", "outside too"},
                                     {"readonly.txt", "fixed", 0x0014, 0x21},
                                     {"unix.txt", "stamped", 0x031E, 0x81A40000u,
                                      std::string("UT\x05\x00\x01", 5) + le32(stamp)},
                                     {"folder/", "", 0x0014, 0x10},
                                 }));
    ExtractEmbeddedArchive(dataFolder);
    EXPECT_EQ(TempDir::Read(Native(Res("a/b.txt"))), "nested");
    EXPECT_EQ(TempDir::Read(Native(Res("abs\\c.txt"))), "drive");
    EXPECT_FALSE(fs::exists(fs::u8path(dataFolder) / "escape.txt"));
    EXPECT_FALSE(fs::exists(fs::u8path(dataFolder) / "escape2.txt"));
    EXPECT_FALSE(fs::exists(fs::u8path(Res("escape2.txt"))));  // "x/../" goes, "../" is still refused
    EXPECT_TRUE(fs::is_directory(fs::u8path(Res("folder"))));
    EXPECT_EQ(ModifiedTime(Res("unix.txt")), stamp);
    const auto perms = fs::status(fs::u8path(Res("readonly.txt"))).permissions();
    EXPECT_EQ(perms & fs::perms::owner_write, fs::perms::none);
    EXPECT_NE(fs::status(fs::u8path(Res("unix.txt"))).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(ReadSetting("Setting", "start", "-1"), "1001");
    fs::permissions(fs::u8path(Res("readonly.txt")), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(InstallAdaptersTest, AMissingOrBrokenArchiveStillSetsTheMarker) {
    for (const std::optional<std::string>& bytes : {std::optional<std::string>(), std::optional<std::string>("PK junk")}) {
        fs::remove_all(fs::u8path(res));
        UseArchive(bytes);
        ExtractEmbeddedArchive(dataFolder);
        EXPECT_EQ(TempDir::Read(Res("systemset.ini")), "[Setting]\r\nstart=1001\r\n");
    }
}

class ApplyStageTest : public InstallAdaptersTest {
protected:
    void SetUp() override {
        InstallAdaptersTest::SetUp();
        fs::create_directories(fs::u8path(res));
        process.modulePath = dir / "downloaded.exe";
        TempDir::Write(process.modulePath, std::string(200000, 'n'));
        target = dataFolder + folders.PathSeparator() + "xinghe-launcher";
        TempDir::Write(target, "old program");
    }
    Lines Log() { return testing::ReadUpdateLogMessages(UpdateLogPath()); }
    std::string target;
};

TEST_F(ApplyStageTest, ReplacesTheTargetLogsAndStartsIt) {
    try {
        RunApplyStage(target);
        FAIL() << "a successful apply stage ends the process";
    } catch (const ExitCalled& exit) {
        EXPECT_EQ(exit.code, 0);
    }
    EXPECT_TRUE(TempDir::Read(target) == std::string(200000, 'n'));
    std::string md5;
    GetFileMd5(target, md5);
    EXPECT_EQ(Log(), (Lines{"Finish download,current file md5=" + md5, "Update success.Current Version:None VerSion Supprot",
                            "====================="}));
    ASSERT_EQ(starter.starts.size(), 1u);
    EXPECT_EQ(starter.starts[0].program, target);
    EXPECT_EQ(starter.starts[0].commandLine, std::nullopt);
    // Nothing is left beside the program.
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::u8path(dataFolder)), fs::directory_iterator()), 2);
}

TEST_F(ApplyStageTest, AHeldTargetOrAMissingFolderFailsWithThePlatformsCode) {
#ifdef _WIN32
    const long missingFolder = ERROR_PATH_NOT_FOUND;
#else
    const long missingFolder = ENOENT;
#endif
    {
        testing::ExclusiveHold hold(target);
        RunApplyStage(target);
    }
    const Lines held = Log();
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(held[0].rfind("Update failure.Error Code:", 0), 0u) << held[0];
    EXPECT_NE(held[0], "Update failure.Error Code:0");
    EXPECT_EQ(held[1], "=====================");
    EXPECT_EQ(TempDir::Read(target), "old program");

    fs::remove(fs::u8path(UpdateLogPath()));
    RunApplyStage(dataFolder + folders.PathSeparator() + "missing" + folders.PathSeparator() + "xinghe-launcher");
    EXPECT_EQ(Log(), (Lines{"Update failure.Error Code:" + std::to_string(missingFolder), "====================="}));
    EXPECT_TRUE(starter.starts.empty());
}

TEST_F(InstallAdaptersTest, FoldersAreEmptyUnlessTheyListSomething) {
    const std::string folder = dir / "group";
    fs::create_directories(fs::u8path(folder) / "inner");
    EXPECT_FALSE(IsFolderEmpty(folder));
    EXPECT_TRUE(IsFolderEmpty(folder + folders.PathSeparator() + "inner"));
    EXPECT_TRUE(IsFolderEmpty(dir / "missing"));
    EXPECT_FALSE(ShellDeleteItem(dir / "missing.lnk"));
}

#ifndef _WIN32
TEST(LinuxInstallAdaptersTest, DesktopEntriesStartTheTargetWithItsArguments) {
    ShortcutDetails details{"/home/a b/Vexa/xinghe/xinghe-launcher", "-u", "/home/a b/Vexa/xinghe/res/uninstall.ico", 0};
    EXPECT_EQ(linuxport::DesktopEntryText("卸载-星河", details),
              "[Desktop Entry]\nType=Application\nName=卸载-星河\n"
              "Exec=\"/home/a b/Vexa/xinghe/xinghe-launcher\" -u\nTerminal=false\n"
              "Icon=/home/a b/Vexa/xinghe/res/uninstall.ico\n");
    ShortcutDetails plain{"/opt/x$1/launcher", "1", "", 0};
    EXPECT_EQ(linuxport::DesktopEntryText("星河", plain),
              "[Desktop Entry]\nType=Application\nName=星河\nExec=\"/opt/x\\\\$1/launcher\" 1\nTerminal=false\n");
}

TEST(LinuxInstallAdaptersTest, UninstallEntriesNeedAWritableMachineFolder) {
    TempDir dir;
    const auto registry = linuxport::MakeFolderUninstallRegistry(dir / "machine/uninstall");
    EXPECT_EQ(registry->CreateEntry("云朵网星河"), KeyCreation::CreatedNew);
    EXPECT_TRUE(registry->SetValue("云朵网星河", "Path", "/x/launcher"));
    EXPECT_EQ(registry->CreateEntry("云朵网星河"), KeyCreation::OpenedExisting);
    EXPECT_EQ(TempDir::Read(dir / "machine/uninstall/云朵网星河/Path"), "/x/launcher");
    EXPECT_TRUE(registry->DeleteEntry("云朵网星河"));
    EXPECT_FALSE(fs::exists(dir.path() / "machine/uninstall" / fs::u8path("云朵网星河")));
    EXPECT_FALSE(registry->DeleteEntry("云朵网星河"));

    // A folder nobody may write (a file stands where it would be made).
    TempDir::Write(dir / "blocked", "");
    const auto denied = linuxport::MakeFolderUninstallRegistry(dir / "blocked/uninstall");
    EXPECT_EQ(denied->CreateEntry("云朵网星河"), KeyCreation::Failed);
    EXPECT_FALSE(denied->SetValue("云朵网星河", "Path", "/x"));
}

// GLib keeps the first data folder it works out; the trash test needs it to be the test's.
TEST(LinuxInstallAdaptersTest, ShellDeletionGoesToTheUsersTrash) {
    TempDir dir;
    const std::string data = dir / "data";
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    if (std::string(g_get_user_data_dir()) != data) GTEST_SKIP() << "GLib already settled on another data folder";
    fs::create_directories(fs::u8path(dir / "group/inner"));
    TempDir::Write(dir / "group/inner/x.txt", "x");
    TempDir::Write(dir / "link.desktop", "[Desktop Entry]\n");
    EXPECT_TRUE(RemoveFolderViaShell(dir / "group/inner"));
    EXPECT_TRUE(ShellDeleteItem(dir / "link.desktop"));
    EXPECT_FALSE(fs::exists(fs::u8path(dir / "group/inner")));
    EXPECT_FALSE(fs::exists(fs::u8path(dir / "link.desktop")));
    EXPECT_EQ(TempDir::Read(data + "/Trash/files/inner/x.txt"), "x");
    EXPECT_TRUE(fs::exists(fs::u8path(data + "/Trash/files/link.desktop")));
    ::unsetenv("XDG_DATA_HOME");
}

TEST(LinuxInstallAdaptersTest, StartedProgramsGetTheLineAsTheirOnlyArgument) {
    TempDir dir;
    const std::string script = dir / "echo-args";
    const std::string out = dir / "out.txt";
    // The line travels as argv[0] alone; a script sees its own path as $0 and no arguments.
    TempDir::Write(script, "#!/bin/sh\nprintf '%s|%s' \"$0\" \"$#\" > '" + out + "'\n");
    ASSERT_TRUE(ports().starter->Start(script, std::string("-d /path with spaces/xinghe-launcher")));
    for (int i = 0; i < 200 && TempDir::Read(out).empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(TempDir::Read(out), script + "|0");
    EXPECT_FALSE(ports().starter->Start(dir / "missing", std::nullopt));
    struct stat st {};
    ASSERT_EQ(::stat(script.c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR) << "a downloaded program is made startable";
}
#endif

}  // namespace
}  // namespace xh
