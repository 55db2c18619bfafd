// The update log, the digest and the version text through this platform's real adapters.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/file_digest.h"
#include "app/update_log.h"
#include "app/version_text.h"
#include "platform/ports.h"
#include "settings/settings.h"
#include "support/temp_dir.h"
#include "update/update_test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <future>
#endif

namespace xh {
namespace {

using testing::TempDir;

TEST(FileDigestTest, MatchesTheRfc1321Vectors) {
    TempDir dir;
    const std::pair<std::string, const char*> vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [input, digest] : vectors) {
        const std::string path = dir / "input.bin";
        TempDir::Write(path, input);
        std::string out;
        EXPECT_TRUE(GetFileMd5(path, out));
        EXPECT_EQ(out, digest) << '"' << input << '"';
    }
    // Larger than one read piece, and the same bytes as a million 'a's in the RFC's test suite.
    const std::string path = dir / "million.bin";
    TempDir::Write(path, std::string(1000000, 'a'));
    std::string out = "prefix:";
    EXPECT_TRUE(GetFileMd5(path, out));
    EXPECT_EQ(out, "prefix:7707d6ae4e027c70eea2a935c2296f21");

    std::string none;
    EXPECT_FALSE(GetFileMd5(dir / "missing.bin", none));
    EXPECT_EQ(none, "");
}

TEST(VersionTextTest, ReadsTheLauncherAndRejectsOtherFiles) {
    const char* launcher = std::getenv("XINGHE_LAUNCHER");
    ASSERT_NE(launcher, nullptr) << "XINGHE_LAUNCHER names the built launcher";
    EXPECT_EQ(GetFileVersionText(launcher), "1.0.1.0");
    TempDir dir;
    const std::string plain = dir / "plain.txt";
    TempDir::Write(plain, "no version here");
    EXPECT_EQ(GetFileVersionText(plain), "None VerSion Supprot");
    EXPECT_EQ(GetFileVersionText(dir / "missing.exe"), "");
}

class UpdateLogFileTest : public ::testing::Test {
protected:
    class TempFolders final : public IFolders {
    public:
        IFolders* real = nullptr;
        std::string appData;
        char PathSeparator() override { return real->PathSeparator(); }
        std::string AppData() override { return appData; }
    };

    void SetUp() override {
        saved_ = ports();
        folders_.real = ports().folders;
        folders_.appData = TempDir::Utf8(dir_.path());
        ports().folders = &folders_;
        ResetDataFolderForTests();
        res_ = dir_.path() / "Vexa" / "xinghe" / "res";
        log_ = TempDir::Utf8(res_ / "update.log");
    }
    void TearDown() override {
        ports() = saved_;
        ResetDataFolderForTests();
    }

    TempDir dir_;
    TempFolders folders_;
    Ports saved_;
    std::filesystem::path res_;
    std::string log_;
};

TEST_F(UpdateLogFileTest, CreatesAndAppendsUtf16Lines) {
    EXPECT_EQ(WriteUpdateLog("lost: no res folder yet"), -1);
    std::filesystem::create_directories(res_);
    EXPECT_EQ(WriteUpdateLog("Finish Update."), 0);
    EXPECT_EQ(WriteUpdateLog(kUpdateLogSeparator), 0);
    const std::string bytes = TempDir::Read(log_);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_NE(bytes.substr(0, 2), std::string("\xff\xfe")) << "no byte-order mark";
    EXPECT_EQ(bytes[1], '\0');
    EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\r\0\n\0", 4));
    const std::string second = ToUtf16LeBytes(std::string("\tUpdateModule\t") + kUpdateLogSeparator + "\r\n");
    EXPECT_EQ(bytes.substr(bytes.size() - second.size()), second);
}

TEST_F(UpdateLogFileTest, TrimsOnlyPastTenMebibytes) {
    std::filesystem::create_directories(res_);
    TempDir::Write(log_, std::string(kUpdateLogLimit, 'x'));
    TrimUpdateLog();
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(log_)));
    TempDir::Write(log_, std::string(kUpdateLogLimit + 1, 'x'));
    TrimUpdateLog();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(log_)));
}

// A settings write killed before its rename leaves its copy behind, named after its process;
// the next write sweeps away those of ended writers and leaves other files alone.
TEST(FileSystemTest, AWriteRemovesTheCopiesOfEndedWritersOnly) {
    TempDir dir;
    const std::string target = dir / "systemset.ini";
    const std::string ended = target + ".tmp99999996";  // no process has that number
    const std::string other = target + ".tmpnotes";
#ifndef _WIN32
    const std::string running = target + ".tmp" + std::to_string(::getppid());
#else
    const std::string running = other;
#endif
    for (const auto& path : {ended, other, running}) TempDir::Write(path, "[Setting]\r\n");

    ASSERT_TRUE(ports().files->WriteFile(target, "[Start]\r\nfirststart=0\r\n"));
    EXPECT_EQ(TempDir::Read(target), "[Start]\r\nfirststart=0\r\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(ended)));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(other)));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(running)));
}

#ifndef _WIN32
// The file-size limit cuts a write short the way a full disk does, at a byte the test chooses.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedSignal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool Set() const { return m_set; }

private:
    rlimit m_saved{};
    void (*m_savedSignal)(int) = SIG_DFL;
    bool m_set = false;
};

// A pipe where a file is expected (a settings file replaced by hand) is no file: reading it
// gives nothing at once, and the settings read their defaults.
TEST(FileSystemTest, APipeInAFilesPlaceIsNotWaitedFor) {
    TempDir dir;
    const std::string pipe = dir / "systemset.ini";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto read = std::async(std::launch::async, [&] {
        return std::make_pair(ports().files->ReadFile(pipe), ports().profile->Read(pipe, "Setting", "screentoggle", "0"));
    });
    if (read.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "reading a pipe waits for a writer";
        const int writer = ::open(pipe.c_str(), O_WRONLY | O_CLOEXEC);  // lets the reader go
        read.wait();
        ::close(writer);
        return;
    }
    const auto [bytes, value] = read.get();
    EXPECT_EQ(bytes, std::nullopt);
    EXPECT_EQ(value, "0");
}

TEST_F(UpdateLogFileTest, ALineThatDoesNotFitLeavesNothingOfItBehind) {
    std::filesystem::create_directories(res_);
    ASSERT_EQ(WriteUpdateLog("Finish Update."), 0);
    const std::string before = TempDir::Read(log_);
    const std::string longMessage(200, 'x');
    {
        // Room for a short line but not for the long one.
        FileSizeLimit limit(before.size() + 100);
        ASSERT_TRUE(limit.Set());
        EXPECT_EQ(WriteUpdateLog(longMessage), -1);
        EXPECT_EQ(TempDir::Read(log_), before);
        EXPECT_EQ(WriteUpdateLog("ok"), 0);
    }
    EXPECT_EQ(WriteUpdateLog(kUpdateLogSeparator), 0);
    EXPECT_EQ(testing::ReadUpdateLogMessages(log_),
              (std::vector<std::string>{"Finish Update.", "ok", kUpdateLogSeparator}));
}
#endif

}  // namespace
}  // namespace xh
