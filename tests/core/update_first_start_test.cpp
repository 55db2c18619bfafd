// The first-start installation's decisions, with the world faked: what is copied, written
// and left alone on first and later starts.
#include <gtest/gtest.h>

#include "settings/settings.h"
#include "update/first_start.h"
#include "core/update_fakes.h"

namespace xh {
namespace {

class FirstStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ports().versionInfo = &versions;
        ports().userProfile = &profile;
        w.fake.process.modulePath = "/downloads/xinghe-launcher";
        w.MakeFolders("/downloads");
        w.MakeFolders("/home/player/.local/share");
        w.MakeFolders(programs);
        w.fake.files.files[w.fake.process.modulePath] = "running program";
        versions.versions[w.fake.process.modulePath] = "1.0.1.0";
    }
    std::string Settings() { return w.fake.files.ReadFile(data + "/res/systemset.ini").value_or("<none>"); }

    testing::UpdateFakes w;
    testing::MapVersionInfo versions;
    testing::MemoryUserProfile profile;
    const std::string programs = "/home/player/.local/share/applications";
    const std::string data = "/home/player/.local/share/Vexa/xinghe";
    const std::string installed = data + "/xinghe-launcher";
};

TEST_F(FirstStartTest, AFirstStartMakesEverythingAndASecondOnlyRewritesTheShortcuts) {
    RunFirstStartInstall();
    EXPECT_EQ(w.fake.files.ReadFile(installed), "running program");
    EXPECT_TRUE(w.fake.files.IsDirectory(data + "/res"));
    // Without an embedded archive only the marker is written; the copy then reads firststart as 0.
    EXPECT_EQ(Settings(), "[Setting]\r\nstart=1001\r\n");
    const std::string group = programs + "/Vexa/星河";
    EXPECT_EQ(w.fake.files.ReadFile(group + "/星河.lnk"), installed + "|1|");
    EXPECT_EQ(w.fake.files.ReadFile(group + "/卸载-星河.lnk"), installed + "|-u|" + data + "/res/uninstall.ico");
    const std::map<std::string, std::string> values = {
        {"Path", installed}, {"DisplayName", "星河"}, {"Publisher", "Vexa"}, {"UninstallString", installed + " -u"}};
    EXPECT_EQ(w.registry.entries["云朵网星河"], values);
    EXPECT_EQ(profile.values["云朵网星河/UninstallString"], installed + " -u");
    EXPECT_EQ(profile.writes, 4);
    EXPECT_TRUE(w.fake.files.directories.count("/home/player/Desktop") == 0);

    // The installed copy now answers with its version; a second start copies nothing.
    versions.versions[installed] = "1.0.1.0";
    w.fake.files.files[installed] = "installed program";
    w.fake.files.files[group + "/星河.lnk"] = "stale";
    w.registry.entries["云朵网星河"]["Path"] = "/elsewhere";
    RunFirstStartInstall();
    EXPECT_EQ(w.fake.files.ReadFile(installed), "installed program");
    EXPECT_EQ(w.fake.files.ReadFile(group + "/星河.lnk"), installed + "|1|");
    EXPECT_EQ(w.registry.entries["云朵网星河"]["Path"], "/elsewhere") << "an existing entry is left alone";
    EXPECT_EQ(profile.writes, 4) << "the profile copy matches and is left alone";
}

TEST_F(FirstStartTest, VersionsDecideTheCopyPartByPart) {
    struct Row {
        std::optional<std::string> installedVersion;  // nullopt: no version information
        std::string runningVersion;
        bool copied;
    };
    const Row rows[] = {
        {"1.0.1.0", "1.0.2.0", true},
        {"1.0.1.0", "1.0.1.0", false},
        {"1.0.2.0", "1.0.1.0", false},
        {"1.0.0.10", "1.0.1.0", true},  // part by part: 1.0.1.0 is the newer
        {"1.0.1.0", "1.0.0.10", false},
        {std::nullopt, "1.0.1.0", true},
        {"0.0.0.0", "0.0.0.0", true},  // an installed version of 0 is always refreshed
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.installedVersion.value_or("none") + " / " + row.runningVersion);
        w.MakeFolders(data);
        w.fake.files.files[installed] = "installed program";
        if (row.installedVersion) {
            versions.versions[installed] = *row.installedVersion;
        } else {
            versions.versions.erase(installed);
        }
        versions.versions[w.fake.process.modulePath] = row.runningVersion;
        RunFirstStartInstall();
        EXPECT_EQ(w.fake.files.ReadFile(installed), row.copied ? "running program" : "installed program");
    }
}

TEST_F(FirstStartTest, TheFirstStartMarkerIsClearedOnlyWhenSetAndOnlyOnACopy) {
    w.MakeFolders(data + "/res");
    struct Row {
        const char* settings;
        bool copies;
        const char* after;
    };
    const Row rows[] = {
        {"[Start]\r\nfirststart=5\r\n", true, "[Start]\r\nfirststart=0\r\n"},
        {"[Start]\r\nfirststart=0\r\n", true, "[Start]\r\nfirststart=0\r\n"},
        {"[Start]\r\nfirststart=1\r\n", false, "[Start]\r\nfirststart=1\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.settings);
        // The marker line keeps the archive from being unpacked; it is written first, then removed.
        w.fake.files.files[data + "/res/systemset.ini"] = std::string("[Setting]\r\nstart=1001\r\n") + row.settings;
        versions.versions[installed] = row.copies ? "1.0.0.1" : "9.0.0.0";
        w.fake.files.files[installed] = "installed program";
        RunFirstStartInstall();
        EXPECT_EQ(Settings(), std::string("[Setting]\r\nstart=1001\r\n") + row.after);
    }
}

TEST_F(FirstStartTest, WithoutMachineRightsOnlyTheProfileCopyIsWritten) {
    w.registry.writable = false;
    RunFirstStartInstall();
    EXPECT_TRUE(w.registry.entries.empty());
    EXPECT_EQ(profile.values["云朵网星河/Path"], installed);
}

}  // namespace
}  // namespace xh
