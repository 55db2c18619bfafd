#include <gtest/gtest.h>

#include "settings/ini_file.h"
#include "settings/settings.h"
#include "support/fake_ports.h"

namespace xh {
namespace {

TEST(DataFolderTest, ComposedFromBrandAndLatinIdAndKept) {
    testing::FakePorts fakes;
    EXPECT_EQ(GetDataFolder(), "/home/player/.local/share/Vexa/xinghe/");
    fakes.folders.appData = "/elsewhere";
    EXPECT_EQ(GetDataFolder(), "/home/player/.local/share/Vexa/xinghe/") << "worked out once";
    EXPECT_EQ(SettingsFilePath(), "/home/player/.local/share/Vexa/xinghe/res//systemset.ini");
}

TEST(SettingToIntTest, ReadsDecimalLikeTheCLibrary) {
    const std::pair<const char*, int> cases[] = {
        {"1001", 1001}, {" 1001", 1001}, {"+1001", 1001}, {"1001abc", 1001}, {"", 0}, {"-1", -1}, {"abc", 0}};
    for (const auto& [text, value] : cases) EXPECT_EQ(SettingToInt(text), value) << text;
}

TEST(IniFileTest, FindsValuesLikeTheProfileFunctions) {
    const std::string file =
        "; comment\r\n[Info]\r\ncode=\r\n  Rem = 1 \r\n[Setting]\r\nscreentoggle=F10\r\nq=\"quoted\"\r\n"
        "half=\"open\r\nnoequals\r\n[Broken\r\nb=1\r\n[Setting]\r\nlater=x\r\n[Empty]";
    const struct {
        const char *section, *key;
        std::optional<std::string> value;
    } cases[] = {
        {"Info", "code", ""},         {"info", "REM", "1"},        {"Setting", "screentoggle", "F10"},
        {"Setting", "q", "quoted"},   {"Setting", "half", "\"open"}, {"Setting", "noequals", std::nullopt},
        {"Setting", "b", "1"},        // "[Broken" is no section header
        {"Broken", "b", std::nullopt},
        {"Setting", "later", std::nullopt},  // only the first section of a name counts
        {"Setting", "code", std::nullopt},   {"Nope", "code", std::nullopt}, {"Empty", "x", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ini::Find(file, c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST(IniFileTest, PutKeepsEveryOtherByte) {
    const std::string garbage = "\xff\xfe junk\r\n[Setting]\r\nfullscreen=F11\r\n\r\n[Start]\r\nfirststart=1\r\n";
    EXPECT_EQ(ini::Put(garbage, "Setting", "start", "1001"),
              "\xff\xfe junk\r\n[Setting]\r\nfullscreen=F11\r\nstart=1001\r\n\r\n[Start]\r\nfirststart=1\r\n");
    EXPECT_EQ(ini::Put("[Setting]\r\n  Start = 5 \r\n", "setting", "START", "1001"), "[Setting]\r\n  Start =1001\r\n")
        << "the file keeps its spelling of the key";
    EXPECT_EQ(ini::Put(garbage, "start", "firststart", "0"),
              "\xff\xfe junk\r\n[Setting]\r\nfullscreen=F11\r\n\r\n[Start]\r\nfirststart=0\r\n");
    // No line ending anywhere.
    EXPECT_EQ(ini::Put("[Setting]", "Setting", "a", "1"), "[Setting]\r\na=1\r\n");
    EXPECT_EQ(ini::Put("[Setting]\r\nb=2", "Setting", "a", "1"), "[Setting]\r\nb=2\r\na=1\r\n");
    EXPECT_EQ(ini::Put("x=1", "Setting", "a", "1"), "x=1\r\n[Setting]\r\na=1\r\n");
    EXPECT_EQ(ini::Put("", "Setting", "start", "1001"), "[Setting]\r\nstart=1001\r\n");
}

TEST(IniFileTest, HugeAndBrokenContentStaysUsable) {
    std::string file = "[Setting]\r\nbig=" + std::string(1 << 20, 'v') + "\r\nscreentoggle=F9";
    EXPECT_EQ(ini::Find(file, "Setting", "screentoggle"), "F9");
    EXPECT_EQ(ini::Find(file, "Setting", "big")->size(), 1u << 20);
    const std::string noLineEnds(1 << 20, '[');
    EXPECT_EQ(ini::Find(noLineEnds, "Setting", "x"), std::nullopt);
    const std::string put = ini::Put(noLineEnds, "Setting", "x", "1");
    EXPECT_EQ(put.substr(0, noLineEnds.size()), noLineEnds);
    EXPECT_EQ(ini::Find(put, "Setting", "x"), "1");
}

TEST(SettingsTest, ReadsDefaultsAndWritesThroughTheProfileFile) {
    testing::FakePorts fakes;
    const std::string res = "/home/player/.local/share/Vexa/xinghe/res";
    EXPECT_EQ(ReadSetting("Setting", "screentoggle", "0"), "0");
    WriteSetting("Setting", "start", "1001");  // no res folder: the write is lost
    EXPECT_TRUE(fakes.files.files.empty());
    EXPECT_EQ(ReadSetting("Setting", "start", "-1"), "-1");
    fakes.files.directories.insert(res);
    WriteSetting("Setting", "start", "1001");
    EXPECT_EQ(fakes.files.files.at(res + "/systemset.ini"), "[Setting]\r\nstart=1001\r\n");
    fakes.files.files[res + "/systemset.ini"] = "[Setting]\r\nscreentoggle=\r\nlong=" + std::string(300, 'k') + "\r\n";
    EXPECT_EQ(ReadSetting("Setting", "screentoggle", "0"), "");
    EXPECT_EQ(ReadSetting("Setting", "long", ""), std::string(259, 'k'));
    EXPECT_EQ(ReadSetting("Setting", "missing", std::string(300, 'd')), std::string(259, 'd'));
}

}  // namespace
}  // namespace xh
