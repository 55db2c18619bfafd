// The string table and version resource that the Windows build carries in its program file
// (resources/launcher.rc), read back through the real adapters.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/profile.h"
#include "app/version_text.h"
#include "platform/ports.h"
#include "support/temp_dir.h"

namespace xh {
namespace {

using testing::TempDir;

TEST(Win32StringTableTest, AnswersEveryProfileIdExactly) {
    ASSERT_FALSE(ProductProfileTable().empty());
    for (const ProfileEntry& entry : ProductProfileTable()) {
        EXPECT_EQ(ports().strings->Load(entry.id), entry.text) << "id " << entry.id;
    }
}

TEST(Win32StringTableTest, KeepsBackslashesAndChineseText) {
    EXPECT_EQ(LoadProfileString(kIdsUpdateTempFile), "\\zqxinghetmp.exe");
    EXPECT_EQ(LoadProfileString(kIdsUninstallTempFile), "\\cache\\zqtstmpu.exe");
    EXPECT_EQ(LoadProfileString(kIdsSettingsPath), "res//systemset.ini");
    EXPECT_EQ(LoadProfileString(kIdsLauncherName), "星河登录器");
    EXPECT_EQ(LoadProfileString(kIdsCleaningNotice), "缓存清理中，请稍后……");
    const std::string login = LoadProfileString(kIdsLoginPage);
    EXPECT_NE(login.find("/games/xhvx/dlq/"), std::string::npos) << login;
}

TEST(Win32StringTableTest, MissingIdsGiveEmptyText) {
    EXPECT_EQ(ports().strings->Load(kIdsUnusedInstallText), "");
    for (const unsigned id : {0u, 1u, 101u, 103u, 126u, 198u, 4000u, 65535u}) {
        EXPECT_EQ(ports().strings->Load(id), "") << "id " << id;
    }
}

TEST(Win32VersionInfoTest, LauncherReportsItsVersion) {
    const char* launcher = std::getenv("XINGHE_LAUNCHER");
    ASSERT_NE(launcher, nullptr) << "XINGHE_LAUNCHER names the built launcher";
    EXPECT_EQ(GetFileVersionText(launcher), "1.0.1.0");

    const auto resource = ports().versionInfo->Read(launcher);
    ASSERT_TRUE(resource.has_value());
    ASSERT_EQ(resource->translations.size(), 1u);
    EXPECT_EQ(resource->translations[0].first, 0x0804);
    EXPECT_EQ(resource->translations[0].second, 0x03A8);
}

TEST(Win32VersionInfoTest, TestProgramCarriesTheSameResource) {
    EXPECT_EQ(GetFileVersionText(ports().process->ModulePath()), "1.0.1.0");
}

TEST(Win32VersionInfoTest, FilesWithoutVersionResource) {
    TempDir dir;
    const std::string plain = dir / "plain.txt";
    TempDir::Write(plain, "no version here");
    EXPECT_EQ(GetFileVersionText(plain), "None VerSion Supprot");
    EXPECT_FALSE(ports().versionInfo->Read(plain).has_value());
    const std::string empty = dir / "empty.exe";
    TempDir::Write(empty, "");
    EXPECT_EQ(GetFileVersionText(empty), "None VerSion Supprot");
    EXPECT_EQ(GetFileVersionText(dir / "missing.exe"), "");
}

}  // namespace
}  // namespace xh
#endif  // _WIN32
