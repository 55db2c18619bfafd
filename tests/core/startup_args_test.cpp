#include <gtest/gtest.h>

#include "app/startup_args.h"

namespace xh {
namespace {

struct Case {
    const char* line;
    ProcessMode mode;
    const char* path = "";
    std::int32_t frame = 0;
    const char* url = "";
};

void PrintTo(const Case& c, std::ostream* os) { *os << '"' << c.line << '"'; }

class ParseStartupArgsTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParseStartupArgsTest, SelectsModeAndOperands) {
    const Case& c = GetParam();
    const StartupArgs args = ParseStartupArgs(c.line);
    EXPECT_EQ(ProcessModeName(args.mode), std::string(ProcessModeName(c.mode)));
    EXPECT_EQ(args.pathOperand, c.path);
    EXPECT_EQ(args.frameWindow, c.frame);
    EXPECT_EQ(args.gameUrl, c.url);
}

constexpr const char* kExe = "\"C:\\Users\\p\\AppData\\Roaming\\Vexa\\xinghe\\xinghe-launcher.exe\"";

const Case kCases[] = {
    // "-d": the apply stage, operand from index 3 on, spaces and quotes kept.
    {"-d C:\\Program Files\\Vexa\\old copy.exe", ProcessMode::ApplyUpdate, "C:\\Program Files\\Vexa\\old copy.exe"},
    {"-d \"quoted\"", ProcessMode::ApplyUpdate, "\"quoted\""},
    {"-dX", ProcessMode::ApplyUpdate, ""},
    {"-d", ProcessMode::Normal},
    {"-d /opt/x -u", ProcessMode::ApplyUpdate, "/opt/x -u"},  // "-d" is tested before "-u"
    // "-u" at the end: the uninstall confirmation, whatever stands before it.
    {"\"C:\\Games\\xinghe-launcher.exe\" -u", ProcessMode::UninstallConfirm},
    {"-u", ProcessMode::UninstallConfirm},
    {"anything-u", ProcessMode::UninstallConfirm},
    // "-u" at the start: the cleanup stage with the program path.
    {"-u C:\\Users\\p\\AppData\\Roaming\\Vexa\\xinghe\\xinghe-launcher.exe", ProcessMode::UninstallCleanup,
     "C:\\Users\\p\\AppData\\Roaming\\Vexa\\xinghe\\xinghe-launcher.exe"},
    {"-u /home/p/x y.exe ", ProcessMode::UninstallCleanup, "/home/p/x y.exe "},
    // Window modes.
    {"", ProcessMode::Normal},
    {"\"C:\\Games\\xinghe-launcher.exe\"", ProcessMode::Normal},
    {"\"C:\\Games\\xinghe-launcher.exe\" 1", ProcessMode::Normal},
    {"x -frameWnd=263466 -gameurl=http://h/play?play_gamecode=1&svname=a b", ProcessMode::GameHost, "", 263466,
     "http://h/play?play_gamecode=1&svname=a b"},
    {"x -frameWnd=-42 -gameurl=u", ProcessMode::GameHost, "", -42, "u"},
    {"x -frameWnd=0 -gameurl=u", ProcessMode::Normal, "", 0, "u"},
    {"x -frameWnd=abc -gameurl=u", ProcessMode::Normal, "", 0, "u"},
    {"x -frameWnd=12", ProcessMode::Normal},                       // no space after the value
    {"x -gameurl=http://h/ -frameWnd=7 tail", ProcessMode::GameHost, "", 7, ""},  // url before handle
    {"x -gameurl=http://h/?a=1", ProcessMode::Normal, "", 0, "http://h/?a=1"},
    {"x -frameWnd=99999999999 -gameurl=u", ProcessMode::GameHost, "", 2147483647, "u"},
    {"x -frameWnd=-99999999999 -gameurl=u", ProcessMode::GameHost, "", -2147483647 - 1, "u"},
    {"x -frameWnd= 5 -gameurl=u", ProcessMode::Normal, "", 0, "u"},  // the value before the first space is empty
    {"C:\\-frameWnd=3 dir\\launcher.exe", ProcessMode::GameHost, "", 3, ""},  // the path is searched like any text
    {"x -frameWnd=5 -gameurl=a -gameurl=b", ProcessMode::GameHost, "", 5, "a -gameurl=b"},
    // A game host stays a game host when its URL happens to end in "-u".
    {"x -frameWnd=5 -gameurl=http://h/?svname=s-u", ProcessMode::GameHost, "", 5, "http://h/?svname=s-u"},
    {"x -frameWnd=0 -gameurl=http://h/?svname=s-u", ProcessMode::UninstallConfirm},
    // Counting is in UTF-16 units: index 3 after a non-ASCII third character.
    {"-d星 路径", ProcessMode::ApplyUpdate, " 路径"},
    {"-u星河", ProcessMode::UninstallCleanup, "河"},
};

INSTANTIATE_TEST_SUITE_P(CommandLines, ParseStartupArgsTest, ::testing::ValuesIn(kCases));

TEST(ParseStartupArgsTest, FullGameHostLineAsTheFrameBuildsIt) {
    const std::string line = std::string(kExe) + " -frameWnd=1180 -gameurl=http://127.0.0.1:47615/game/play.php?play_gamecode=xinghe&svname=%E6%98%9F";
    const StartupArgs args = ParseStartupArgs(line);
    EXPECT_EQ(args.mode, ProcessMode::GameHost);
    EXPECT_EQ(args.frameWindow, 1180);
    EXPECT_EQ(args.gameUrl, "http://127.0.0.1:47615/game/play.php?play_gamecode=xinghe&svname=%E6%98%9F");
}

TEST(ParseStartupArgsTest, HostileLinesNeverCrash) {
    std::string huge(1 << 20, 'a');
    EXPECT_EQ(ParseStartupArgs(huge).mode, ProcessMode::Normal);
    huge += " -frameWnd=" + std::string(5000, '9') + " -gameurl=" + std::string(100000, '%');
    const StartupArgs args = ParseStartupArgs(huge);
    EXPECT_EQ(args.mode, ProcessMode::GameHost);
    EXPECT_EQ(args.frameWindow, 2147483647);
    EXPECT_EQ(args.gameUrl.size(), 100000u);
    const char kBroken[] = "\xff\xfe-frameWnd=\xe4 \x80";
    const std::string broken(kBroken, sizeof kBroken - 1);
    EXPECT_NO_THROW(ParseStartupArgs(broken));
}

TEST(ParseDecimalLongTest, ReadsLikeWcstol) {
    const std::pair<std::u16string, std::int32_t> cases[] = {
        {u"", 0}, {u"  \t42x", 42}, {u"+7", 7}, {u"-7", -7}, {u"-", 0}, {u"x1", 0},
        {u"2147483647", 2147483647}, {u"2147483648", 2147483647}, {u"-2147483648", -2147483647 - 1},
        {u"-2147483649", -2147483647 - 1}, {u"00012", 12},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseDecimalLong(text), value);
}

}  // namespace
}  // namespace xh
