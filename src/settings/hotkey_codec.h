#pragma once
// Hotkey texts such as "Ctrl+Shift+A" to a modifier mask and a virtual-key code.
#include <cstdint>
#include <map>
#include <string>

namespace xh {

inline constexpr std::uint32_t kModAlt = 0x0001;
inline constexpr std::uint32_t kModControl = 0x0002;
inline constexpr std::uint32_t kModShift = 0x0004;

class CHotKeyCodec {
public:
    CHotKeyCodec();
    CHotKeyCodec(const CHotKeyCodec&) = delete;
    CHotKeyCodec& operator=(const CHotKeyCodec&) = delete;

    // Always sets both outputs; a text that can't be read gives key code 0.
    void ParseHotKey(std::string text, std::uint32_t& modifiers, std::uint32_t& keyCode) const;

    // Name -> virtual-key code, ordered by plain byte comparison (names are case-sensitive).
    const std::map<std::string, std::uint32_t>& KeyTable() const { return m_keys; }

private:
    std::map<std::string, std::uint32_t> m_keys;
};

}  // namespace xh
