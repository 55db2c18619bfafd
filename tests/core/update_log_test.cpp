#include <gtest/gtest.h>

#include "app/update_log.h"
#include "app/utf.h"
#include "support/fake_ports.h"

namespace xh {
namespace {

constexpr const char* kRes = "/home/player/.local/share/Vexa/xinghe/res";
const std::string kLog = std::string(kRes) + "/update.log";

std::string Decode(const std::string& bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return Utf16ToUtf8(units);
}

TEST(UpdateLogTest, FormatsWithSpacePadding) {
    EXPECT_EQ(FormatUpdateLogLine(LocalTime{2024, 3, 5, 9, 7, 2}, "Finish Update."),
              "2024- 3- 5  9: 7: 2 : \tUpdateModule\tFinish Update.");
    EXPECT_EQ(FormatUpdateLogLine(LocalTime{2026, 12, 11, 23, 59, 10}, ""), "2026-12-11 23:59:10 : \tUpdateModule\t");
    EXPECT_EQ(FormatUpdateLogLine(std::nullopt, "x"), " 0- 0- 0 -1:-1:-1 : \tUpdateModule\tx");
}

TEST(UpdateLogTest, AppendsUtf16LinesWithoutByteOrderMark) {
    testing::FakePorts fakes;
    fakes.files.directories.insert(kRes);
    EXPECT_EQ(WriteUpdateLog("星河 http://h/?a=1"), 0);
    EXPECT_EQ(WriteUpdateLog("two\r\nlines"), 0);
    const std::string bytes = fakes.files.files.at(kLog);
    EXPECT_EQ(bytes.substr(0, 4), std::string("2\0000\000", 4));  // the year, no BOM
    EXPECT_EQ(Decode(bytes),
              "2024- 3- 5  9: 7: 2 : \tUpdateModule\t星河 http://h/?a=1\r\n"
              "2024- 3- 5  9: 7: 2 : \tUpdateModule\ttwo\r\nlines\r\n");
}

TEST(UpdateLogTest, LineIsDroppedWhenFileCannotBeOpened) {
    testing::FakePorts fakes;
    EXPECT_EQ(WriteUpdateLog("no res folder"), -1);
    EXPECT_TRUE(fakes.files.files.empty());
    fakes.files.directories.insert(kRes);
    fakes.files.locked.insert(kLog);
    EXPECT_EQ(WriteUpdateLog("in use"), -1);
    fakes.files.locked.clear();
    EXPECT_EQ(WriteUpdateLog("next line tries again"), 0);
}

TEST(UpdateLogTest, TrimDeletesOnlyPastTheLimit) {
    testing::FakePorts fakes;
    fakes.files.directories.insert(kRes);
    fakes.files.files[kLog] = std::string(kUpdateLogLimit, 'x');
    TrimUpdateLog();
    EXPECT_TRUE(fakes.files.files.count(kLog));
    fakes.files.files[kLog] += 'x';
    TrimUpdateLog();
    EXPECT_FALSE(fakes.files.files.count(kLog));
    TrimUpdateLog();  // a missing file is fine
}

}  // namespace
}  // namespace xh
