// The rules of the update path and of the uninstaller, with the world faked.
#include <gtest/gtest.h>

#include "update/embedded_archive.h"
#include "update/first_start.h"
#include "update/maintenance.h"
#include "update/update_module.h"
#include "core/update_fakes.h"

namespace xh {
namespace {

TEST(UpdateOfferTest, ShortAnswersAndNegativeNumbersOfferNothing) {
    const std::pair<const char*, bool> rows[] = {
        {"", false},        {"0", false},        {"-1", false},          {"abcde", false},
        {"99999", false},   {"-123456", false},  {" -123456", false},    {"123456", true},
        {"abcdef", true},   {"星河星河星河", true}, {"http://127.0.0.1/new.exe", true},
        // Five characters, but more than five bytes: the count is in UTF-16 units.
        {"星河星河星", false},
    };
    for (const auto& [answer, offered] : rows) EXPECT_EQ(IsUpdateOffer(answer), offered) << '"' << answer << '"';
}

TEST(UpdateOfferTest, OnlyHttpAndHttpsAddressesAreFetched) {
    EXPECT_EQ(UnusableAddressMessage("http://127.0.0.1/a.exe"), "");
    EXPECT_EQ(UnusableAddressMessage("HTTPS://example.invalid/a.exe"), "");
    EXPECT_EQ(UnusableAddressMessage("123456"), "The URL is invalid");
    EXPECT_EQ(UnusableAddressMessage("://x"), "The URL is invalid");
    EXPECT_EQ(UnusableAddressMessage("file:///etc/passwd"), "The URL does not use a recognized protocol");
    EXPECT_EQ(UnusableAddressMessage("ftp://127.0.0.1/a.exe"), "The URL does not use a recognized protocol");
}

TEST(VersionCompareTest, ComparesDottedNumbersPartByPart) {
    struct Row {
        const char* a;
        const char* b;
        int order;
    };
    const Row rows[] = {
        {"1.0.1.0", "1.0.2.0", -1}, {"1.0.1.0", "1.0.1.0", 0},  {"1.0.1.0", "1.0.0.10", 1},
        {"1.0.0.10", "1.0.1.0", -1}, {"1.10", "1.9", 1},        {"1.0", "1.0.0.0", 0},
        {"2", "1.99.99.99", 1},      {"", "0", 0},              {"None VerSion Supprot", "0.0", 0},
    };
    for (const Row& r : rows) EXPECT_EQ(CompareVersionTexts(r.a, r.b), r.order) << r.a << " vs " << r.b;
    EXPECT_TRUE(IsVersionZero(""));
    EXPECT_TRUE(IsVersionZero("None VerSion Supprot"));
    EXPECT_FALSE(IsVersionZero("0.0.0.1"));
}

TEST(EntryNameTest, NamesAreMadeRelativeAndEscapesRefused) {
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"systemset.ini", "systemset.ini"},
        {"a/b.txt", "a/b.txt"},
        {"C:\\Windows\\evil.dll", "Windows\\evil.dll"},
        {"/etc/passwd", "etc/passwd"},
        {"\\\\server\\share\\f.txt", "server\\share\\f.txt"},
        {"a\\..\\b.txt", "b.txt"},
        {"x/y/../z.txt", "z.txt"},
        {"C:/../../z.txt", "z.txt"},
        {"../outside.txt", std::nullopt},
        {"..\\outside.txt", std::nullopt},
        {"a/..", std::nullopt},
        {"C:", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [stored, relative] : rows) EXPECT_EQ(RelativeEntryName(stored), relative) << stored;
}

TEST(EntryNameTest, AttributesFollowTheHostOfTheEntry) {
    struct Row {
        std::uint16_t madeBy;
        std::uint32_t external;
        EntryAttributes expected;
    };
    const Row rows[] = {
        {0x0014, 0x20, {.archive = true}},
        {0x0014, 0x23, {.readOnly = true, .hidden = true, .archive = true}},
        {0x0B14, 0x10, {.directory = true}},
        {0x031E, 0x81A40000, {.archive = true}},                    // Unix file, 0644
        {0x031E, 0x81240000, {.readOnly = true, .archive = true}},  // Unix file, 0444
        {0x031E, 0x41ED0000, {.directory = true, .archive = true}}, // Unix folder, 0755
    };
    for (const Row& r : rows) EXPECT_EQ(DecodeEntryAttributes(r.madeBy, r.external), r.expected) << std::hex << r.madeBy;
}

TEST(EntryNameTest, ExtendedTimestampReplacesTheTimesItCarries) {
    auto le32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 24)};
    };
    const EntryTimes dos{100, 100, 100};
    const std::string all = std::string("UT\x0d\x00\x07", 5) + le32(1000) + le32(2000) + le32(3000);
    const EntryTimes full = ApplyExtendedTimestamp(dos, all);
    EXPECT_EQ(full.write, 1000);
    EXPECT_EQ(full.access, 2000);
    EXPECT_EQ(full.creation, 3000);
    // The central directory's copy carries only the modification time whatever its flags say.
    const std::string central = std::string("xx\x02\x00zz", 6) + std::string("UT\x05\x00\x03", 5) + le32(1000);
    const EntryTimes partial = ApplyExtendedTimestamp(dos, central);
    EXPECT_EQ(partial.write, 1000);
    EXPECT_EQ(partial.access, 100);
    EXPECT_EQ(partial.creation, 100);
    EXPECT_EQ(ApplyExtendedTimestamp(dos, "UT\xff").write, 100);  // cut short: ignored
}

class UninstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        w.fake.process.modulePath = "/home/player/.local/share/Vexa/xinghe/xinghe-launcher";
        w.MakeFolders("/home/player/.local/share/Vexa/xinghe/res");
        w.fake.files.files[w.fake.process.modulePath] = "program";
        w.fake.files.files["/home/player/.local/share/Vexa/xinghe/res/systemset.ini"] = "[Setting]\r\n";
        w.MakeFolders(group);
        w.MakeFolders("/home/player/Desktop");
        w.fake.files.files[group + "/星河.lnk"] = "link";
        w.fake.files.files[group + "/卸载-星河.lnk"] = "link";
        w.fake.files.files["/home/player/Desktop/Vexa《星河》.lnk"] = "link";
        w.registry.entries["云朵网星河"]["Path"] = w.fake.process.modulePath;
    }
    testing::UpdateFakes w;
    const std::string programs = "/home/player/.local/share/applications";
    const std::string group = programs + "/Vexa/星河";
};

TEST_F(UninstallTest, CancelledConfirmationChangesNothing) {
    const auto files = w.fake.files.files;
    const auto folders = w.fake.files.directories;
    w.prompt.answer = kIdCancel;
    RunUninstallConfirm();
    ASSERT_EQ(w.prompt.asked.size(), 1u);
    EXPECT_EQ(w.prompt.asked[0], std::make_pair(std::string("卸载"), std::string("您是否确认卸载《星河》？")));
    EXPECT_EQ(w.fake.files.files, files);
    EXPECT_EQ(w.fake.files.directories, folders);
    EXPECT_TRUE(w.starter.starts.empty());
    EXPECT_EQ(w.registry.entries.count("云朵网星河"), 1u);
}

TEST_F(UninstallTest, ConfirmationHandsOverToACopyInTheCacheFolder) {
    w.prompt.answer = kIdOk;
    RunUninstallConfirm();
    const std::string copy = "/home/player/.local/share\\cache\\zqtstmpu.exe";
    EXPECT_TRUE(w.fake.files.IsDirectory("/home/player/.local/share/cache"));
    EXPECT_EQ(w.fake.files.ReadFile(copy), "program");
    ASSERT_EQ(w.starter.starts.size(), 1u);
    EXPECT_EQ(w.starter.starts[0].first, copy);
    EXPECT_EQ(w.starter.starts[0].second, "-u " + w.fake.process.modulePath);
    EXPECT_EQ(w.registry.entries.count("云朵网星河"), 0u);
}

TEST_F(UninstallTest, CleanupRemovesWhatTheInstallationMadeAndKeepsForeignFiles) {
    w.fake.files.files[programs + "/Vexa/other-game.lnk"] = "someone else's";
    const std::string program = w.fake.process.modulePath;
    w.fake.process.modulePath = "/home/player/.local/share\\cache\\zqtstmpu.exe";
    RunUninstallCleanup(program);
    EXPECT_EQ(w.shell.deleted,
              (std::vector<std::string>{"/home/player/Desktop/Vexa《星河》.lnk", group + "/卸载-星河.lnk", group + "/星河.lnk",
                                        "/home/player/.local/share/Vexa/xinghe/res", group}));
    EXPECT_FALSE(w.fake.files.Exists(program));
    EXPECT_TRUE(w.fake.files.IsDirectory("/home/player/.local/share/Vexa/xinghe"));
    EXPECT_TRUE(w.fake.files.IsDirectory(programs + "/Vexa"));
    EXPECT_EQ(w.shell.notified.back(), group + " in " + programs + "/Vexa");
}

TEST_F(UninstallTest, MissingItemsAreSkippedAndAPathWithoutFolderGivesTheRootRes) {
    w.shellFolders.desktop = std::nullopt;
    w.fake.files.files.erase(group + "/星河.lnk");
    w.starter.removable = true;
    RunUninstallCleanup("xinghe-launcher");
    // "\res" is tried (and is not there); the group still holds the uninstall shortcut until
    // it goes, and then both empty groups go.
    EXPECT_EQ(w.shell.deleted, (std::vector<std::string>{group + "/卸载-星河.lnk", group, programs + "/Vexa"}));
    EXPECT_EQ(w.fake.files.files.count("/home/player/Desktop/Vexa《星河》.lnk"), 1u);
}

}  // namespace
}  // namespace xh
