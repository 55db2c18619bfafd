#include <gtest/gtest.h>

#include "app/utf.h"
#include "login/text_encoding.h"
#include "support/fake_ports.h"

namespace xh {
namespace {

TEST(PercentDecodeTest, DecodesOnePassOfEscapes) {
    testing::FakePorts fakes;
    const std::pair<const char*, const char*> cases[] = {
        {"a%2Fb", "a/b"},   {"%41%62", "Ab"},        {"100%", "100%"},        {"x%4", "x%4"},
        {"%G1", "%G1"},     {"%%41", "%A"},          {"a+b", "a+b"},          {"%2541", "%41"},
        {"%E4%B8%AD", "中"}, {"ab%00cd", "ab"},       {"", ""},                {"%", "%"},
        {"%4", "%4"},       {"%e6%98%9f%E6%B2%B3", "星河"},
        {"svname=%E7%94%B5%E4%BF%A1%2F%E7%BD%91%E9%80%9A", "svname=电信/网通"},
        {"%FF%FE", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // bytes that are no UTF-8 come out as U+FFFD
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(PercentDecode(in), out) << in;
}

TEST(PercentDecodeTest, EscapeCutAtTheEndIsCopied) {
    testing::FakePorts fakes;
    std::string huge(300000, 'x');
    huge += "%E";
    EXPECT_EQ(PercentDecode(huge), huge);
}

TEST(TextEncodingTest, ConversionsStopAtZeroAndNeverFail) {
    testing::FakePorts fakes;
    EXPECT_EQ(AnsiToWide(""), "");
    EXPECT_EQ(AnsiToWide(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(Utf8ToWide(std::string("星\0河", 7)), "星");
    EXPECT_EQ(Utf8ToWide("\xE4\xB8"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(WideToAnsi("http://h/x"), "http://h/x");
}

TEST(UtfTest, RoundTripsAndCountsUtf16Units) {
    const std::string text = "a星😀";
    EXPECT_EQ(Utf8ToUtf16(text), u"a星😀");
    EXPECT_EQ(Utf16ToUtf8(u"a星😀"), text);
    EXPECT_EQ(Utf16Length(text), 4u);
    EXPECT_EQ(TruncateUtf16(text, 3), "a星");  // half a surrogate pair is dropped
    EXPECT_EQ(TruncateUtf16(text, 4), text);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(SanitizeUtf8("\xC0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD");  // overlong form
}

}  // namespace
}  // namespace xh
