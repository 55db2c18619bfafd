// Linux-only parts of the adapters: the command line as a Windows child would see it, the
// exclusive log lock, and the file replacement that never leaves half a file.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/startup_args.h"
#include "linux/elf_version_info.h"
#include "linux/linux_ports.h"
#include "platform/ports.h"
#include "support/temp_dir.h"

namespace xh {
namespace {

using testing::TempDir;

TEST(LinuxCommandLineTest, ArgvJoinsToTheWindowsText) {
    char a0[] = "-d /home/p/.local/share/Vexa/xinghe/xinghe launcher";
    char* apply[] = {a0, nullptr};
    EXPECT_EQ(linuxport::JoinCommandLine(1, apply), "-d /home/p/.local/share/Vexa/xinghe/xinghe launcher");
    EXPECT_EQ(ParseStartupArgs(linuxport::JoinCommandLine(1, apply)).pathOperand,
              "/home/p/.local/share/Vexa/xinghe/xinghe launcher");

    char q[] = "\"/opt/x/xinghe-launcher\"", f[] = "-frameWnd=4194313", u[] = "-gameurl=http://h/?a=1 b";
    char* host[] = {q, f, u, nullptr};
    const StartupArgs args = ParseStartupArgs(linuxport::JoinCommandLine(3, host));
    EXPECT_EQ(args.mode, ProcessMode::GameHost);
    EXPECT_EQ(args.frameWindow, 4194313);
    EXPECT_EQ(args.gameUrl, "http://h/?a=1 b");
}

TEST(LinuxFilesTest, AppendFailsWhileAnotherWriterHoldsTheFile) {
    TempDir dir;
    const std::string log = dir / "update.log";
    ASSERT_TRUE(ports().files->AppendExclusive(log, "one"));
    const int fd = ::open(log.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    EXPECT_FALSE(ports().files->AppendExclusive(log, "lost"));
    ::close(fd);
    EXPECT_TRUE(ports().files->AppendExclusive(log, "two"));
    EXPECT_EQ(TempDir::Read(log), "onetwo");
}

TEST(LinuxFilesTest, BackslashesOfProfilePathsAreSeparators) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "cache");
    const std::string root = TempDir::Utf8(dir.path());
    EXPECT_TRUE(ports().files->WriteFile(root + "\\cache\\zqtstmpu.exe", "x"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "cache" / "zqtstmpu.exe"));
    EXPECT_TRUE(ports().files->WriteFile(root + "/res//systemset.ini", "y") == false)
        << "no res folder: nothing is created";
}

TEST(LinuxFilesTest, ReplacingKeepsTheModeAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string ini = dir / "systemset.ini";
    TempDir::Write(ini, "old");
    std::filesystem::permissions(ini, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_TRUE(ports().files->WriteFile(ini, "new"));
    EXPECT_EQ(TempDir::Read(ini), "new");
    EXPECT_EQ(std::filesystem::status(ini).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(LinuxVersionSectionTest, ParsesTranslationsAndIgnoresJunk) {
    const auto res = linuxport::ParseVersionSection(
        "XHVERSION1\nTranslation=0804,03a8\nTranslation=0409,04b0\nno equals sign\n"
        "\\StringFileInfo\\080403a8\\FileVersion=1.0.1.0\n");
    ASSERT_TRUE(res);
    ASSERT_EQ(res->translations.size(), 2u);
    EXPECT_EQ(res->translations[0], (std::pair<std::uint16_t, std::uint16_t>{0x0804, 0x03a8}));
    EXPECT_FALSE(linuxport::ParseVersionSection("not a version section"));
}

}  // namespace
}  // namespace xh
#endif
