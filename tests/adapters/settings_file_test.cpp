// The settings file through this platform's real profile functions: the Windows build runs
// these cases against the system's INI functions, the Linux build against our own module.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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

struct Lookup {
    const char *section, *key, *def;
    std::string expected;
};

struct FileCase {
    const char* name;
    std::string bytes;
    std::vector<Lookup> reads;
};

std::string Utf16Le(const std::string& ascii) {
    std::string out;
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

// Bytes an editor, a broken copy or a stray program could leave; the same every run.
std::string Garbage(std::size_t size) {
    std::string out;
    std::uint32_t x = 2463534242u;
    for (std::size_t i = 0; i < size; ++i) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        out += static_cast<char>(i % 7 == 0 ? 0 : x & 0xFF);
    }
    return out;
}

std::vector<FileCase> FileCases() {
    const std::string megabyte(1 << 20, 'x');
    return {
        {"plain",
         "[Setting]\r\nscreentoggle=\r\nfullscreen = Ctrl+F11 \r\nlong=" + std::string(300, 'k') +
             "\r\n[Info]\r\ncode=abc\r\n",
         {
             {"Setting", "screentoggle", "0", ""},  // present but empty is not the default
             {"Setting", "fullscreen", "0", "Ctrl+F11"},
             {"Setting", "long", "", std::string(259, 'k')},
             {"setting", "FULLSCREEN", "0", "Ctrl+F11"},
             {"Setting", "missing", "0", "0"},
             {"Missing", "code", "-1", "-1"},
             {"Info", "code", "", "abc"},
         }},
        {"garbage with NULs around a section",
         Garbage(3000) + "\r\n[Setting]\r\nscreentoggle=F9\r\n" + Garbage(3000),
         {{"Setting", "screentoggle", "0", "F9"}, {"Setting", "fullscreen", "0", "0"}}},
        {"garbage only", Garbage(5000), {{"Setting", "screentoggle", "0", "0"}}},
        {"a line of one mebibyte between two keys",
         "[Setting]\r\nscreentoggle=F9\r\njunk=" + megabyte + "\r\nfullscreen=F8\r\n",
         {{"Setting", "screentoggle", "0", "F9"},
          {"Setting", "junk", "0", std::string(259, 'x')},
          {"Setting", "fullscreen", "0", "F8"}}},
        {"no line end at all", "[Setting]" + megabyte, {{"Setting", "screentoggle", "0", "0"}}},
        {"no line end after the last line", "[Setting]\r\nscreentoggle=F9",
         {{"Setting", "screentoggle", "0", "F9"}}},
        {"CR-only line ends", "[Info]\rcode=abc\r[Setting]\rscreentoggle=F9\rfullscreen=F8\r",
         {{"Setting", "screentoggle", "0", "F9"}, {"Setting", "fullscreen", "0", "F8"}, {"Info", "code", "", "abc"}}},
        {"LF-only line ends", "[Setting]\nscreentoggle=F9\nfullscreen=F8\n",
         {{"Setting", "screentoggle", "0", "F9"}, {"Setting", "fullscreen", "0", "F8"}}},
        {"UTF-16LE with its mark", "\xFF\xFE" + Utf16Le("[Setting]\r\nscreentoggle=F9\r\nfullscreen=F8\r\n"),
         {{"Setting", "screentoggle", "0", "F9"}, {"Setting", "fullscreen", "0", "F8"}}},
        {"UTF-16LE without a mark", Utf16Le("[Setting]\r\nscreentoggle=F9\r\n"),
         {{"Setting", "screentoggle", "0", "0"}}},
        {"UTF-8 with its mark", "\xEF\xBB\xBF[Setting]\r\nscreentoggle=F9\r\n",
         {{"Setting", "screentoggle", "0", "F9"}}},
        {"keys before any section", "screentoggle=F9\r\n[Setting]\r\nfullscreen=F8\r\n",
         {{"Setting", "screentoggle", "0", "0"}, {"Setting", "fullscreen", "0", "F8"}}},
        {"duplicate keys and sections",
         "[Setting]\r\nscreentoggle=F9\r\nscreentoggle=F7\r\n[Info]\r\ncode=1\r\n[Setting]\r\n"
         "fullscreen=F6\r\nscreentoggle=F5\r\n",
         {{"Setting", "screentoggle", "0", "F9"}, {"Setting", "fullscreen", "0", "0"}, {"Info", "code", "", "1"}}},
    };
}

// Every case is read, then written as the first start writes, and read again: what was
// readable stays so, and the written values come back.
TEST(SettingsFileTest, HandEditedFilesReadAndWriteLikeTheProfileFunctions) {
    TempDir dir;
    for (const FileCase& c : FileCases()) {
        SCOPED_TRACE(c.name);
        const std::string ini = dir / "systemset.ini";
        TempDir::Write(ini, c.bytes);
        for (const Lookup& l : c.reads) {
            EXPECT_EQ(ports().profile->Read(ini, l.section, l.key, l.def), l.expected) << l.section << "/" << l.key;
        }
        ports().profile->Write(ini, "Setting", "start", "1001");
        ports().profile->Write(ini, "Start", "firststart", "0");
        EXPECT_EQ(ports().profile->Read(ini, "Setting", "start", "-1"), "1001");
        EXPECT_EQ(ports().profile->Read(ini, "Start", "firststart", "-1"), "0");
        for (const Lookup& l : c.reads) {
            EXPECT_EQ(ports().profile->Read(ini, l.section, l.key, l.def), l.expected)
                << "after writing: " << l.section << "/" << l.key;
        }
        const std::string after = TempDir::Read(ini);
        if (c.bytes.starts_with("\xFF\xFE")) {
            EXPECT_TRUE(after.starts_with("\xFF\xFE") && after.size() % 2 == 0) << "no longer UTF-16";
        }
        if (c.bytes.starts_with("\xEF\xBB\xBF")) {
            EXPECT_TRUE(after.starts_with("\xEF\xBB\xBF"));
        }
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
