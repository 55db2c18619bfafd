// The settings file through this platform's real profile functions: the Windows build runs
// these cases against the system's INI functions, the Linux build against our own module.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ports.h"
#include "support/temp_dir.h"

namespace xh {
namespace {

using testing::TempDir;

constexpr const char* kDefaultFile =
    "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
    "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\n[Start]\r\nfirststart=1\r\n";

TEST(SettingsFileTest, DefaultFileBecomesTheFourteenLineFile) {
    ASSERT_EQ(std::string(kDefaultFile).size(), 160u);
    TempDir dir;
    const std::string ini = dir / "systemset.ini";
    TempDir::Write(ini, kDefaultFile);
    IProfileFile& profile = *ports().profile;
    EXPECT_EQ(profile.Read(ini, "Setting", "start", "-1"), "-1");
    profile.Write(ini, "Setting", "start", "1001");
    EXPECT_EQ(profile.Read(ini, "Start", "firststart", "0"), "1");
    profile.Write(ini, "Start", "firststart", "0");
    EXPECT_EQ(TempDir::Read(ini),
              "[Info]\r\ncode=\r\npwd=\r\nrem=1\r\n[Setting]\r\nsoundoff=0\r\nautostart=0\r\nautologin=0\r\n"
              "screenshots=Ctrl+Shift+A\r\nscreentoggle=F10\r\nfullscreen=F11\r\nstart=1001\r\n[Start]\r\n"
              "firststart=0\r\n");
    EXPECT_EQ(profile.Read(ini, "Setting", "start", "-1"), "1001");
    EXPECT_EQ(profile.Read(ini, "Setting", "screentoggle", "0"), "F10");
    EXPECT_EQ(profile.Read(ini, "Setting", "fullscreen", "0"), "F11");
}

TEST(SettingsFileTest, ReadsLikeTheProfileFunctions) {
    TempDir dir;
    const std::string ini = dir / "systemset.ini";
    TempDir::Write(ini, "[Setting]\r\nscreentoggle=\r\nfullscreen = Ctrl+F11 \r\nlong=" + std::string(300, 'k') +
                            "\r\n[Info]\r\ncode=abc\r\n");
    const struct {
        const char *section, *key, *def;
        std::string expected;
    } cases[] = {
        {"Setting", "screentoggle", "0", ""},  // present but empty is not the default
        {"Setting", "fullscreen", "0", "Ctrl+F11"},
        {"Setting", "long", "", std::string(259, 'k')},
        {"setting", "FULLSCREEN", "0", "Ctrl+F11"},
        {"Setting", "missing", "0", "0"},
        {"Missing", "code", "-1", "-1"},
        {"Info", "code", "", "abc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ports().profile->Read(ini, c.section, c.key, c.def), c.expected) << c.section << "/" << c.key;
    }
    const std::string missingFile = dir / "none.ini";
    EXPECT_EQ(ports().profile->Read(missingFile, "Setting", "screentoggle", "0"), "0");
    EXPECT_EQ(ports().profile->Read(missingFile, "Setting", "start", "-1"), "-1");
    EXPECT_EQ(ports().profile->Read(missingFile, "Start", "firststart", "0"), "0");
}

TEST(SettingsFileTest, WritesCreateOnlyWhereTheFolderExists) {
    TempDir dir;
    const std::string ini = dir / "systemset.ini";
    ports().profile->Write(ini, "Setting", "start", "1001");
    EXPECT_EQ(TempDir::Read(ini), "[Setting]\r\nstart=1001\r\n");
    ports().profile->Write(ini, "Start", "firststart", "0");
    EXPECT_EQ(TempDir::Read(ini), "[Setting]\r\nstart=1001\r\n[Start]\r\nfirststart=0\r\n");

    const std::string lost = dir / "res/systemset.ini";
    ports().profile->Write(lost, "Setting", "start", "1001");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(lost)));
    EXPECT_EQ(ports().profile->Read(lost, "Setting", "start", "-1"), "-1");
}

}  // namespace
}  // namespace xh

namespace xh {
namespace {

// A settings file that an editor saved with a byte-order mark keeps its encoding.
TEST(SettingsFileTest, FilesWithByteOrderMarksKeepTheirEncoding) {
    TempDir dir;
    const std::string utf8 = dir / "utf8.ini";
    TempDir::Write(utf8, "\xEF\xBB\xBF[Setting]\r\nscreentoggle=F9\r\n");
    EXPECT_EQ(ports().profile->Read(utf8, "Setting", "screentoggle", "0"), "F9");
    ports().profile->Write(utf8, "Setting", "start", "1001");
    EXPECT_EQ(TempDir::Read(utf8), "\xEF\xBB\xBF[Setting]\r\nscreentoggle=F9\r\nstart=1001\r\n");

    const std::string utf16 = dir / "utf16.ini";
    const char before[] = "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0";
    const char after[] = "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0w\0\r\0\n\0";
    TempDir::Write(utf16, std::string(before, sizeof before - 1));
    EXPECT_EQ(ports().profile->Read(utf16, "S", "k", "0"), "v");
    ports().profile->Write(utf16, "S", "k", "w");
    EXPECT_EQ(TempDir::Read(utf16), std::string(after, sizeof after - 1));
}

}  // namespace
}  // namespace xh
