#include <gtest/gtest.h>

#include <set>

#include "settings/hotkey_codec.h"

namespace xh {
namespace {

TEST(HotKeyCodecTest, TableHasTheEightyEightOneToOneRows) {
    const CHotKeyCodec codec;
    const auto& table = codec.KeyTable();
    EXPECT_EQ(table.size(), 88u);
    std::set<std::uint32_t> codes;
    for (const auto& row : table) codes.insert(row.second);
    EXPECT_EQ(codes.size(), 88u);
    const std::pair<const char*, std::uint32_t> samples[] = {
        {"Alt", 0x12}, {"Ctrl", 0x11}, {"Shift", 0x10}, {"Space", 0x20}, {"PageUp", 0x21}, {"PageDown", 0x22},
        {"End", 0x23}, {"Home", 0x24}, {"Left", 0x25}, {"Up", 0x26}, {"Right", 0x27}, {"Down", 0x28},
        {"Insert", 0x2D}, {"Delete", 0x2E}, {"F1", 0x70}, {"F12", 0x7B}, {"0", 0x30}, {"9", 0x39},
        {"A", 0x41}, {"Z", 0x5A}, {";", 0xBA}, {"+", 0xBB}, {",", 0xBC}, {"-", 0xBD}, {".", 0xBE},
        {"/", 0xBF}, {"`", 0xC0}, {"[", 0xDB}, {"\\", 0xDC}, {"]", 0xDD}, {"'", 0xDE}, {"Num0", 0x60},
        {"Num9", 0x69}, {"Num*", 0x6A}, {"Num+", 0x6B}, {"Num-", 0x6D}, {"NumDel", 0x6E}, {"Num/", 0x6F},
    };
    for (const auto& [name, code] : samples) {
        ASSERT_TRUE(table.count(name)) << name;
        EXPECT_EQ(table.at(name), code) << name;
    }
    for (const auto& [name, code] : table) {
        std::uint32_t mods = 9, key = 9;
        codec.ParseHotKey(name, mods, key);
        if (name != "+" && name != "Num+") {
            EXPECT_EQ(key, code) << "every reachable row parses alone: " << name;
        }
    }
}

TEST(HotKeyCodecTest, ParsesTexts) {
    const struct {
        const char* text;
        std::uint32_t mods, key;
    } cases[] = {
        {"Ctrl+Shift+A", 0x0006, 0x41}, {"F10", 0, 0x79},        {"F11", 0, 0x7A},
        {"Alt+Alt+F4", 0x0001, 0x73},   {"A+Ctrl", 0, 0x11},     {"Shift", 0, 0x10},
        {"ctrl+a", 0, 0},               {"Ctrl + A", 0, 0},      {"Ctrl+", 0x0002, 0},
        {"Ctrl++", 0x0002, 0},          {"Num+", 0, 0},          {"Win+A", 0, 0x41},
        {"0", 0, 0x30},                 {"9", 0, 0x39},          {"", 0, 0},
        {"Shift+Alt+Ctrl+Z", 0x0007, 0x5A}, {"+", 0, 0},         {"++", 0, 0},
        {"Ctrl+\\", 0x0002, 0xDC},      {"F13", 0, 0},           {"Escape", 0, 0},
        {"Ctrl+Shift+Q", 0x0006, 0x51}, {"a", 0, 0},             {"Ctrl+Num5", 0x0002, 0x65},
    };
    const CHotKeyCodec codec;
    for (const auto& c : cases) {
        std::uint32_t mods = 0xDEAD, key = 0xBEEF;
        codec.ParseHotKey(c.text, mods, key);
        EXPECT_EQ(mods, c.mods) << '"' << c.text << '"';
        EXPECT_EQ(key, c.key) << '"' << c.text << '"';
    }
}

TEST(HotKeyCodecTest, AnyTextGivesAnAnswer) {
    const CHotKeyCodec codec;
    std::uint32_t mods = 0, key = 0;
    codec.ParseHotKey(std::string(1 << 20, '+'), mods, key);
    EXPECT_EQ(key, 0u);
    codec.ParseHotKey(std::string("Ctrl+\0A", 7), mods, key);
    EXPECT_EQ(mods, kModControl);
    EXPECT_EQ(key, 0u);
}

}  // namespace
}  // namespace xh
