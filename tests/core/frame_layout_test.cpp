#include <gtest/gtest.h>

#include <algorithm>

#include "app/startup_args.h"
#include "app/utf.h"
#include "frame/frame_layout.h"
#include "login/text_encoding.h"
#include "support/fake_ports.h"

namespace xh {
namespace {

TEST(FrameLayoutTest, ServerNameFromTheDecodedUrl) {
    testing::FakePorts fakes;  // decoding goes through the ANSI code page
    const struct {
        const char* url;
        const char* name;
    } cases[] = {
        {"http://h/p?play_gamecode=x&svname=A1/abc", "A1"},
        {"http://h/p?svname=S1&t=5", "S1&t=5"},
        {"http://h/p?a=1&svname=", ""},
        {"http://h/p?svname", ""},
        {"http://h/p?SVNAME=S1", ""},
        {"http://h/p?svname=猎户座 S4#x", "猎户座 S4#x"},
        {"http://h/p?svname:星河一区", "星河一区"},  // any one character after the name
        {"http://h/p?svname=a&svname=b", "a&svname=b"},
        {"http://h/p", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtractServerName(c.url), c.name) << c.url;
    // Decoded before the search.
    EXPECT_EQ(ExtractServerName(PercentDecode("http://h/p?x%26svname%3DS1%2Fx")), "S1");
    EXPECT_EQ(ExtractServerName(PercentDecode("http://h/p?svname=%E7%94%B5%E4%BF%A1%2F%E7%BD%91%E9%80%9A")), "电信");
    EXPECT_EQ(TitleText("星河一区"), "[ 星河一区 ]");
    EXPECT_EQ(TitleText(""), "");
}

TEST(FrameLayoutTest, ButtonsSitAtTheirDistanceFromTheRightEdge) {
    const auto places = LayoutTitleButtons(1280);
    ASSERT_EQ(places.size(), 9u);
    const std::vector<ButtonPlace> expected = {
        {1001, {1252, 3, 1280, 29}}, {1008, {1223, 3, 1251, 29}}, {1002, {1223, 3, 1251, 29}},
        {1003, {1194, 3, 1222, 29}}, {1004, {1108, 3, 1193, 27}}, {1005, {1010, 3, 1107, 27}},
        {1030, {931, 3, 1016, 27}},  {1021, {852, 3, 930, 27}},   {1007, {792, 3, 851, 27}},
    };
    EXPECT_EQ(places, expected);
    // The layout moves with the right edge only.
    for (const ButtonPlace& p : LayoutTitleButtons(400)) {
        const auto it = std::find_if(expected.begin(), expected.end(), [&](const ButtonPlace& e) { return e.id == p.id; });
        EXPECT_EQ(p.rect.left, it->rect.left - 880);
        EXPECT_EQ(p.rect.Width(), it->rect.Width());
    }
}

TEST(FrameLayoutTest, GameWindowGeometry) {
    const Rect client{0, 0, 1280, 770};
    EXPECT_EQ(GameWindowRect(client, false), (Rect{0, 30, 1280, 770}));
    EXPECT_EQ(GameWindowRect(client, true), client);
    EXPECT_EQ(GameWindowRect({0, 0, 1000, 700}, false), (Rect{0, 30, 1000, 700}));
}

TEST(FrameLayoutTest, GameCommandLineReadsBackAsTheGameHostMode) {
    const struct {
        const char* path;
        WindowId frame;
        const char* url;
    } cases[] = {
        {"/opt/星河/xinghe-launcher", 12345, "http://h/play.php?play_gamecode=x&svname=%E6%98%9F"},
        {"C:\\Program Files\\x.exe", -2147483647 - 1, "http://h/a b c?svname=S 1"},
        {"/x", 1, ""},
    };
    for (const auto& c : cases) {
        const std::string line = FormatGameCommandLine(c.path, c.frame, c.url);
        EXPECT_EQ(line, std::string("\"") + c.path + "\" -frameWnd=" + std::to_string(c.frame) + " -gameurl=" + c.url);
        const StartupArgs args = ParseStartupArgs(line);
        EXPECT_EQ(args.mode, ProcessMode::GameHost) << line;
        EXPECT_EQ(args.frameWindow, c.frame);
        EXPECT_EQ(args.gameUrl, c.url);
    }
}

TEST(FrameLayoutTest, LongCommandLineIsCutTo1023Units) {
    const std::string url = "http://h/?svname=" + std::string(600, 'a') + std::string(600, 'b');
    const std::string line = FormatGameCommandLine("/p", 7, url);
    EXPECT_EQ(Utf16Length(line), 1023u);
    const StartupArgs args = ParseStartupArgs(line);
    EXPECT_EQ(args.gameUrl, url.substr(0, 1023 - std::string("\"/p\" -frameWnd=7 -gameurl=").size()));
    // Units, not bytes: two-unit characters are not split.
    std::string games;
    for (int i = 0; i < 600; ++i) games += "\xF0\x9F\x8E\xAE";  // U+1F3AE, a surrogate pair
    const std::string wide = FormatGameCommandLine("/p", 7, games);
    EXPECT_LE(Utf16Length(wide), 1023u);
    EXPECT_EQ(SanitizeUtf8(wide), wide);
}

}  // namespace
}  // namespace xh
