#include "settings/hotkey_codec.h"

#include <string_view>

namespace xh {

CHotKeyCodec::CHotKeyCodec() {
    m_keys = {
        {"Alt", 0x12}, {"Ctrl", 0x11}, {"Shift", 0x10}, {"Space", 0x20},
        {"PageUp", 0x21}, {"PageDown", 0x22}, {"End", 0x23}, {"Home", 0x24},
        {"Left", 0x25}, {"Up", 0x26}, {"Right", 0x27}, {"Down", 0x28},
        {"Insert", 0x2D}, {"Delete", 0x2E},
        {";", 0xBA}, {"+", 0xBB}, {",", 0xBC}, {"-", 0xBD}, {".", 0xBE}, {"/", 0xBF},
        {"`", 0xC0}, {"[", 0xDB}, {"\\", 0xDC}, {"]", 0xDD}, {"'", 0xDE},
        {"Num*", 0x6A}, {"Num+", 0x6B}, {"Num-", 0x6D}, {"NumDel", 0x6E}, {"Num/", 0x6F},
    };
    for (std::uint32_t i = 0; i < 12; ++i) m_keys.emplace("F" + std::to_string(i + 1), 0x70 + i);
    for (std::uint32_t i = 0; i < 10; ++i) {
        m_keys.emplace(std::string(1, static_cast<char>('0' + i)), 0x30 + i);
        m_keys.emplace("Num" + std::to_string(i), 0x60 + i);
    }
    for (std::uint32_t i = 0; i < 26; ++i) m_keys.emplace(std::string(1, static_cast<char>('A' + i)), 0x41 + i);
}

void CHotKeyCodec::ParseHotKey(std::string text, std::uint32_t& modifiers, std::uint32_t& keyCode) const {
    modifiers = 0;
    keyCode = 0;
    // The remainder is text[start..]; walking an index keeps long texts linear.
    std::size_t start = 0;
    if (!text.empty()) {
        for (auto plus = text.find('+', start); plus != std::string::npos; plus = text.find('+', start)) {
            const std::string_view token(text.data() + start, plus - start);
            start = plus + 1;
            if (token == "Alt") {
                modifiers |= kModAlt;
            } else if (token == "Ctrl") {
                modifiers |= kModControl;
            } else if (token == "Shift") {
                modifiers |= kModShift;
            }
            if (start == text.size()) break;
        }
    }
    if (const auto it = m_keys.find(text.substr(start)); it != m_keys.end()) keyCode = it->second;
}

}  // namespace xh
