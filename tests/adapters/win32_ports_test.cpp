// Behaviour of the Windows adapters that the shared adapter tests do not reach: exclusive
// appends against a file held open elsewhere, whole-file replacement, the platform's folders,
// command line, clock and code page.
#ifdef _WIN32
#include <gtest/gtest.h>

#include "win32/windows_api.h"

#include <filesystem>

#include "platform/ports.h"
#include "settings/settings.h"
#include "support/temp_dir.h"

namespace xh {
namespace {

using testing::TempDir;

// The other process's handle on the update log.
class ForeignHandle {
public:
    ForeignHandle(const std::string& path, DWORD share)
        : h_(::CreateFileW(std::filesystem::u8path(path).wstring().c_str(), GENERIC_READ | GENERIC_WRITE, share,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~ForeignHandle() {
        if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
    }
    ForeignHandle(const ForeignHandle&) = delete;
    ForeignHandle& operator=(const ForeignHandle&) = delete;
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

TEST(Win32FilesTest, AppendExclusiveCreatesAndAppends) {
    TempDir dir;
    const std::string log = dir / "update.log";
    EXPECT_TRUE(ports().files->AppendExclusive(log, "one"));
    EXPECT_TRUE(ports().files->AppendExclusive(log, "two"));
    EXPECT_EQ(TempDir::Read(log), "onetwo");
    EXPECT_FALSE(ports().files->AppendExclusive(dir / "no-such-folder/update.log", "lost"));
}

TEST(Win32FilesTest, AppendExclusiveNeverTouchesAFileInUse) {
    TempDir dir;
    const std::string log = dir / "update.log";
    TempDir::Write(log, "kept");
    for (const DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        ForeignHandle other(log, share);
        ASSERT_TRUE(other.ok());
        EXPECT_FALSE(ports().files->AppendExclusive(log, "lost")) << "share " << share;
    }
    EXPECT_EQ(TempDir::Read(log), "kept");
    EXPECT_TRUE(ports().files->AppendExclusive(log, "+"));
    EXPECT_EQ(TempDir::Read(log), "kept+");
}

TEST(Win32FilesTest, WriteFileReplacesTheWholeContent) {
    TempDir dir;
    const std::string file = dir / "systemset.ini";
    EXPECT_TRUE(ports().files->WriteFile(file, std::string("a\0b", 3)));
    EXPECT_EQ(TempDir::Read(file), std::string("a\0b", 3));
    EXPECT_TRUE(ports().files->WriteFile(file, "shorter"));
    EXPECT_EQ(TempDir::Read(file), "shorter");
    EXPECT_EQ(ports().files->ReadFile(file), "shorter");
    EXPECT_EQ(ports().files->FileSize(file), 7u);
    // Nothing is left beside the file.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1);
    EXPECT_FALSE(ports().files->WriteFile(dir / "missing/systemset.ini", "x"));
}

TEST(Win32FilesTest, FoldersAndPathsWithDoubledSlashes) {
    TempDir dir;
    IFileSystem& files = *ports().files;
    const std::string res = dir / "res";
    EXPECT_FALSE(files.Exists(res));
    EXPECT_TRUE(files.CreateDirectory(res));
    EXPECT_FALSE(files.CreateDirectory(res)) << "already there";
    EXPECT_TRUE(files.IsDirectory(res));
    EXPECT_FALSE(files.FileSize(res).has_value());
    const std::string doubled = TempDir::Utf8(dir.path()) + "\\res//systemset.ini";
    EXPECT_TRUE(files.WriteFile(doubled, "[Setting]\r\n"));
    EXPECT_TRUE(files.Exists(res + "\\systemset.ini"));
    EXPECT_FALSE(files.IsDirectory(res + "\\systemset.ini"));
    ports().profile->Write(doubled, "Setting", "start", "1001");
    EXPECT_EQ(ports().profile->Read(res + "\\systemset.ini", "Setting", "start", "-1"), "1001");
    EXPECT_TRUE(files.RemoveFile(doubled));
    EXPECT_FALSE(files.RemoveFile(doubled));
}

TEST(Win32FilesTest, ChineseFileNames) {
    TempDir dir;
    const std::string file = dir / "卸载-星河.txt";
    EXPECT_TRUE(ports().files->WriteFile(file, "x"));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(file)));
    EXPECT_EQ(ports().files->ReadFile(file), "x");
}

TEST(Win32FoldersTest, AppDataAndSeparator) {
    EXPECT_EQ(ports().folders->PathSeparator(), '\\');
    const std::string appData = ports().folders->AppData();
    ASSERT_FALSE(appData.empty());
    EXPECT_NE(appData.back(), '\\');
    EXPECT_TRUE(ports().files->IsDirectory(appData)) << appData;
    ResetDataFolderForTests();
    EXPECT_EQ(GetDataFolder(), appData + "\\Vexa\\xinghe\\");
    EXPECT_EQ(SettingsFilePath(), appData + "\\Vexa\\xinghe\\res//systemset.ini");
    ResetDataFolderForTests();
}

TEST(Win32ProcessTest, CommandLineAndModulePath) {
    const std::string module = ports().process->ModulePath();
    EXPECT_TRUE(module.ends_with("xinghe-adapter-tests.exe")) << module;
    EXPECT_TRUE(ports().files->Exists(module));
    const std::string line = ports().process->RawCommandLine();
    EXPECT_NE(line.find("xinghe-adapter-tests"), std::string::npos) << line;
}

TEST(Win32ClockTest, LocalTimeAndSteadyMillis) {
    const auto now = ports().clock->NowLocal();
    ASSERT_TRUE(now.has_value());
    EXPECT_GE(now->year, 2020);
    EXPECT_GE(now->month, 1);
    EXPECT_LE(now->month, 12);
    const std::uint64_t before = ports().clock->SteadyMillis();
    // The tick count moves in steps of about 16 ms, on Windows as under Wine.
    ports().clock->SleepMillis(100);
    EXPECT_GE(ports().clock->SteadyMillis(), before + 60);
}

TEST(Win32CodecTest, AsciiRoundTripsAndEmptyStaysEmpty) {
    ITextCodec& codec = *ports().codec;
    EXPECT_EQ(codec.AnsiToUtf8(""), "");
    EXPECT_EQ(codec.Utf8ToAnsi(""), "");
    EXPECT_EQ(codec.AnsiToUtf8("version=1.0.2.0"), "version=1.0.2.0");
    EXPECT_EQ(codec.Utf8ToAnsi("a%2Fb"), "a%2Fb");
    // Chinese text survives where the code page holds it (GBK, or UTF-8 as the code page).
    if (const UINT acp = ::GetACP(); acp == 936 || acp == CP_UTF8) {
        const auto ansi = codec.Utf8ToAnsi("星河登录器");
        ASSERT_TRUE(ansi.has_value());
        EXPECT_EQ(codec.AnsiToUtf8(*ansi), "星河登录器");
    }
}

}  // namespace
}  // namespace xh
#endif  // _WIN32
