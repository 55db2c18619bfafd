// Hotkey texts: the outputs stay inside the modifier flags and the key-name table.
#include "fuzz/fuzz_support.h"
#include "settings/hotkey_codec.h"

using namespace xh;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CHotKeyCodec codec;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::uint32_t modifiers = 0xDEAD, keyCode = 0xBEEF;
    codec.ParseHotKey(text, modifiers, keyCode);
    const std::string shown = fuzz::Show(text) + " -> " + std::to_string(modifiers) + "/" + std::to_string(keyCode);

    FUZZ_CHECK((modifiers & ~(kModAlt | kModControl | kModShift)) == 0, shown);
    // The key is the part after the last "+", looked up as it stands.
    const auto plus = text.rfind('+');
    const std::string keyPart = plus == std::string::npos ? text : text.substr(plus + 1);
    const auto row = codec.KeyTable().find(keyPart);
    FUZZ_CHECK(keyCode == (row == codec.KeyTable().end() ? 0u : row->second), shown);
    if (plus == std::string::npos) FUZZ_CHECK(modifiers == 0, shown);
    // Every bit set names a whole token before the last "+".
    const std::string tokens = plus == std::string::npos ? std::string() : "+" + text.substr(0, plus + 1);
    if (modifiers & kModAlt) FUZZ_CHECK(tokens.find("+Alt+") != std::string::npos, shown);
    if (modifiers & kModControl) FUZZ_CHECK(tokens.find("+Ctrl+") != std::string::npos, shown);
    if (modifiers & kModShift) FUZZ_CHECK(tokens.find("+Shift+") != std::string::npos, shown);
    return 0;
}
