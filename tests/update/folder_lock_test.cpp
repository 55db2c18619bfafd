// The lock that keeps two first starts apart, against this backend's real adapter (the
// Windows build's copy runs under Wine). Another thread stands in for another process: the
// lock belongs to an open file on Linux and to a thread on Windows, never to a whole process.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "platform/ports.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace xh {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Attempt {
    bool got = false;
    std::chrono::milliseconds waited{};
};

// Asks for the lock from another thread and lets go there again.
Attempt TryElsewhere(const std::string& folder, unsigned waitMs, std::chrono::milliseconds hold = 0ms) {
    Attempt attempt;
    std::thread([&] {
        const auto start = Clock::now();
        auto lock = ports().fileOps->LockFolder(folder, waitMs);
        attempt.waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        attempt.got = lock != nullptr;
        std::this_thread::sleep_for(hold);
    }).join();
    return attempt;
}

class FolderLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& f : {folder, other}) std::filesystem::create_directories(std::filesystem::u8path(f));
    }
    testing::TempDir dir;
    const std::string folder = dir / "数据";
    const std::string other = dir / "other";
};

TEST_F(FolderLockTest, ASecondHolderWaitsForTheFirstAndGoesAheadWithoutItWhenTheWaitRunsOut) {
    auto first = ports().fileOps->LockFolder(folder, 0);
    ASSERT_NE(first, nullptr);

    const Attempt refused = TryElsewhere(folder, 300);
    EXPECT_FALSE(refused.got);
    EXPECT_GE(refused.waited, 280ms);
    EXPECT_LT(refused.waited, 5s);
    EXPECT_TRUE(TryElsewhere(other, 0).got) << "another folder is another lock";

    // Let go while the other one waits (from the thread that took it, as Windows wants): it
    // gets the lock then, not only at the end of its wait.
    Attempt waiting;
    std::thread waiter([&] { waiting = TryElsewhere(folder, 10000); });
    std::this_thread::sleep_for(200ms);
    first.reset();
    waiter.join();
    EXPECT_TRUE(waiting.got);
    EXPECT_LT(waiting.waited, 5s);
    EXPECT_TRUE(TryElsewhere(folder, 0).got) << "the lock was not let go";
}

TEST_F(FolderLockTest, AFolderThatIsNotThereGivesNoLock) {
    EXPECT_EQ(ports().fileOps->LockFolder(dir / "missing", 0), nullptr);
}

#ifndef _WIN32
TEST_F(FolderLockTest, AHolderThatIsKilledLetsGo) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto lock = ports().fileOps->LockFolder(folder, 0);
        const char got = lock ? '1' : '0';
        if (::write(ready[1], &got, 1) != 1) ::_exit(1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char got = 0;
    ASSERT_EQ(::read(ready[0], &got, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(got, '1');
    EXPECT_FALSE(TryElsewhere(folder, 100).got);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(TryElsewhere(folder, 1000).got);
}
#else
TEST_F(FolderLockTest, AHolderThatEndsWithoutLettingGoIsNoLongerWaitedFor) {
    // The holder's thread ends and its lock is never let go.
    std::thread([&] { static_cast<void>(ports().fileOps->LockFolder(folder, 0).release()); }).join();
    const Attempt after = TryElsewhere(folder, 1000);
    EXPECT_TRUE(after.got);
    EXPECT_LT(after.waited, 900ms);
}
#endif

}  // namespace
}  // namespace xh
