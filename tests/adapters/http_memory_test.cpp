// The HTTP adapter hands out a long body piece by piece without keeping what it handed out.
#include <gtest/gtest.h>

#if !defined(_WIN32) && !defined(XINGHE_NO_HTTPLIB)

#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "update/update_test_support.h"

namespace xh {
namespace {

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

char PatternByte(std::size_t at) { return static_cast<char>(at * 31 % 251); }

TEST(HttpAdapterMemory, ABodyReadInPiecesThatNeverLineUpStaysOutOfMemory) {
    constexpr std::size_t kSize = 64u << 20;
    testing::LoopbackServer server;
    server.server.Get("/big", [](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(kSize, "application/octet-stream",
                                 [](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                     std::string chunk(std::min<std::size_t>(length, 64 * 1024), '\0');
                                     for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = PatternByte(offset + i);
                                     sink.write(chunk.data(), chunk.size());
                                     return true;
                                 });
    });
    server.Start();
    std::string error;
    auto request = ports().http->Open(server.Base() + "/big", HttpOptions{}, error);
    ASSERT_TRUE(request) << error;

    const long before = ResidentKiB();
    long growth = 0;
    // A prime piece size: the reader almost never empties the adapter's buffer exactly.
    char piece[4093];
    std::size_t total = 0;
    bool intact = true;
    for (long n; (n = request->Read(piece, sizeof piece)) != 0;) {
        ASSERT_GT(n, 0) << request->Error();
        for (long i = 0; i < n; ++i) intact = intact && piece[i] == PatternByte(total + static_cast<std::size_t>(i));
        total += static_cast<std::size_t>(n);
        if (total % (1u << 20) < sizeof piece) growth = std::max(growth, ResidentKiB() - before);
    }
    EXPECT_EQ(total, kSize);
    EXPECT_TRUE(intact);
    EXPECT_LT(growth, 16 * 1024) << "KiB kept while reading a 64 MiB body";
}

}  // namespace
}  // namespace xh

#endif
