// Settings files edited by hand: CR-only line ends stay readable after a write, and the
// frame registers the hotkeys it can read from such files through the INI module.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "frame/view_modes.h"
#include "frame_features_fakes.h"
#include "settings/ini_file.h"
#include "settings/ini_profile_file.h"
#include "settings/settings.h"
#include "support/fake_ports.h"

namespace xh {
namespace {

// After the last "\n" the platform's reader splits lines at "\r"; a new line there must end
// in "\r" too, or the lines before it would be read as one.
TEST(IniFileTest, CarriageReturnLinesStayLinesWhenWritten) {
    const struct {
        const char* name;
        std::string before;
        const char *section, *key, *value;
        std::string after;
        std::vector<std::pair<std::string, std::string>> stillThere;  // Setting keys and values
    } cases[] = {
        {"new key in the middle", "[Setting]\rscreentoggle=F9\r[Start]\rfirststart=1\r", "Setting", "start", "1001",
         "[Setting]\rscreentoggle=F9\rstart=1001\r[Start]\rfirststart=1\r", {{"screentoggle", "F9"}}},
        {"new key at the end without a line end", "[Setting]\rscreentoggle=F9", "Setting", "start", "1001",
         "[Setting]\rscreentoggle=F9\rstart=1001\r", {{"screentoggle", "F9"}}},
        {"new section", "[Setting]\rscreentoggle=F9\r", "Start", "firststart", "0",
         "[Setting]\rscreentoggle=F9\r[Start]\rfirststart=0\r", {{"screentoggle", "F9"}}},
        {"value replaced", "[Setting]\rscreentoggle=F9\rstart=5\r", "Setting", "start", "1001",
         "[Setting]\rscreentoggle=F9\rstart=1001\r", {{"screentoggle", "F9"}}},
        {"CR-only lines behind CR LF ones", "[Setting]\r\nscreentoggle=F9\r\nfullscreen=F8\rx=1\r", "Setting",
         "start", "1001", "[Setting]\r\nscreentoggle=F9\r\nfullscreen=F8\rx=1\rstart=1001\r",
         {{"screentoggle", "F9"}, {"fullscreen", "F8"}, {"x", "1"}}},
        {"CR LF lines after CR-only ones", "[Setting]\rscreentoggle=F9\r\n[Start]\r\n", "Setting", "start", "1001",
         "[Setting]\rscreentoggle=F9\r\nstart=1001\r\n[Start]\r\n", {}},
        {"a lone CR ends the last line", "[Setting]\r\nscreentoggle=F9\r", "Start", "firststart", "0",
         "[Setting]\r\nscreentoggle=F9\r[Start]\rfirststart=0\r", {{"screentoggle", "F9"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string after = ini::Put(c.before, c.section, c.key, c.value);
        EXPECT_EQ(after, c.after);
        EXPECT_EQ(ini::Find(after, c.section, c.key), c.value);
        for (const auto& [key, value] : c.stillThere) {
            EXPECT_EQ(ini::Find(c.before, "Setting", key), value) << "before: " << key;
            EXPECT_EQ(ini::Find(after, "Setting", key), value) << "after: " << key;
        }
    }
}

class HandEditedHotKeysTest : public ::testing::Test {
protected:
    class FlagDlg : public CVidave_ZqDlg {
    public:
        using CVidave_ZqDlg::CVidave_ZqDlg;
    };

    void SetUp() override {
        path = testing::MemoryFileSystem::Normalize(SettingsFilePath());
        fakes.files.directories.insert(path.substr(0, path.find_last_of('/')));
    }
    std::vector<std::string> Register(const std::string& bytes) {
        fakes.files.files[path] = bytes;
        log.lines.clear();
        bool full = false, maximized = true;
        int minimized = 0;
        WindowId game = 0;
        ViewModes modes(dialog, view, window, {full, maximized, minimized, game});
        modes.RegisterHotKeys(hotKeys);
        return log.lines;
    }

    testing::FakePorts fakes;
    std::string path;
    testing::Log log;
    testing::FeatureFrameView view{log};
    testing::FakeFeatureWindow window{log, view};
    testing::FakeHotKeys hotKeys{log};
    FlagDlg dialog{view, FrameHooks{}};
};

std::string Utf16Le(const std::string& ascii) {
    std::string out;
    for (const char c : ascii) out += std::string{c, '\0'};
    return out;
}

// The frame registers what it can read: a readable text with the codec's values, a missing
// key as the digit 0, an empty one not at all; nothing in the file stops the other hotkey.
TEST_F(HandEditedHotKeysTest, RegistersWhatItCanRead) {
    const std::vector<std::string> both = {"unregister 2", "register 2 6 81", "unregister 3", "register 3 0 119"};
    const std::vector<std::string> neither = {"unregister 2", "register 2 0 48", "unregister 3", "register 3 0 48"};
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> expected;
    } cases[] = {
        {"CR LF", "[Setting]\r\nscreentoggle=Ctrl+Shift+Q\r\nfullscreen=F8\r\n", both},
        {"CR only", "[Setting]\rscreentoggle=Ctrl+Shift+Q\rfullscreen=F8\r", both},
        {"LF only", "[Setting]\nscreentoggle=Ctrl+Shift+Q\nfullscreen=F8\n", both},
        {"UTF-8 with its mark", "\xEF\xBB\xBF[Setting]\r\nscreentoggle=Ctrl+Shift+Q\r\nfullscreen=F8\r\n", both},
        {"UTF-16LE with its mark", "\xFF\xFE" + Utf16Le("[Setting]\r\nscreentoggle=Ctrl+Shift+Q\r\nfullscreen=F8\r\n"),
         both},
        {"UTF-16LE without a mark: nothing readable",
         Utf16Le("[Setting]\r\nscreentoggle=Ctrl+Shift+Q\r\nfullscreen=F8\r\n"), neither},
        {"a mebibyte of junk between the keys",
         "[Setting]\r\nscreentoggle=Ctrl+Shift+Q\r\njunk=" + std::string(1 << 20, 'j') + "\r\nfullscreen=F8\r\n", both},
        {"NULs and binary bytes around the section",
         std::string("\0\x01\xFE\x80=\0\r\n", 8) + "[Setting]\r\nscreentoggle=Ctrl+Shift+Q\r\nfullscreen=F8\r\n" +
             std::string("\0\0\xFF", 3),
         both},
        {"one unreadable text, one good", "[Setting]\r\nscreentoggle=Ctrl+Shift+\xFF\xFE\r\nfullscreen=F8\r\n",
         {"unregister 2", "register 2 6 0", "unregister 3", "register 3 0 119"}},
        {"a value longer than the buffer",
         "[Setting]\r\nscreentoggle=" + std::string(400, '+') + "F9\r\nfullscreen=F8\r\n",
         {"unregister 2", "register 2 0 0", "unregister 3", "register 3 0 119"}},
        {"keys before the section count for nothing", "screentoggle=F9\r\n[Setting]\r\nfullscreen=\r\n",
         {"unregister 2", "register 2 0 48"}},
        {"the first of duplicate keys and sections",
         "[Setting]\r\nscreentoggle=Ctrl+Shift+Q\r\nscreentoggle=F1\r\nfullscreen=F8\r\n[Setting]\r\nfullscreen=F2\r\n",
         both},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Register(c.bytes), c.expected) << c.name;
    }
}

// A settings file that is there but cannot be read (no read permission, a failing disk).
class UnreadableFiles final : public IFileSystem {
public:
    explicit UnreadableFiles(IFileSystem& real) : m_real(real) {}
    std::string unreadable;
    bool Exists(const std::string& p) override { return m_real.Exists(p); }
    bool IsDirectory(const std::string& p) override { return m_real.IsDirectory(p); }
    std::optional<std::uint64_t> FileSize(const std::string& p) override { return m_real.FileSize(p); }
    std::optional<std::string> ReadFile(const std::string& p) override {
        if (p == unreadable) return std::nullopt;
        return m_real.ReadFile(p);
    }
    bool WriteFile(const std::string& p, const std::string& b) override { return m_real.WriteFile(p, b); }
    bool RemoveFile(const std::string& p) override { return m_real.RemoveFile(p); }
    bool CreateDirectory(const std::string& p) override { return m_real.CreateDirectory(p); }
    bool AppendExclusive(const std::string& p, const std::string& b) override { return m_real.AppendExclusive(p, b); }

private:
    IFileSystem& m_real;
};

TEST(IniProfileFileTest, AFileThatCannotBeReadIsNotReplaced) {
    testing::FakePorts fakes;
    UnreadableFiles files(fakes.files);
    Ports p = ports();
    p.files = &files;
    ScopedPorts scoped(p);
    fakes.files.directories.insert("/res");
    const std::string kept = "[Setting]\r\nscreentoggle=Ctrl+Shift+Q\r\n";
    fakes.files.files["/res/systemset.ini"] = kept;
    files.unreadable = "/res/systemset.ini";
    IniProfileFile profile;
    EXPECT_EQ(profile.Read("/res/systemset.ini", "Setting", "screentoggle", "0"), "0");
    profile.Write("/res/systemset.ini", "Setting", "start", "1001");
    EXPECT_EQ(fakes.files.files["/res/systemset.ini"], kept);
    // A missing file is still made.
    profile.Write("/res/new.ini", "Setting", "start", "1001");
    EXPECT_EQ(fakes.files.files["/res/new.ini"], "[Setting]\r\nstart=1001\r\n");
}

}  // namespace
}  // namespace xh
