// The settings file as the profile port reads and writes it: ANSI, UTF-8 with a mark or
// UTF-16 with a mark, over the in-memory file tree.
#include "app/utf.h"
#include "fuzz/fuzz_support.h"
#include "settings/ini_profile_file.h"
#include "support/fake_ports.h"

using namespace xh;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\x1a'; }

bool Clean(const std::string& s, const char* forbidden, bool allowEmpty) {
    if (s.empty()) return allowEmpty;
    if (SanitizeUtf8(s) != s || s.find_first_of(forbidden) != std::string::npos) return false;
    if (s.find('\0') != std::string::npos || IsBlank(s.front()) || IsBlank(s.back())) return false;
    return !(s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front());
}

enum class Mark { None, Utf8, Utf16 };
Mark MarkOf(const std::string& bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return Mark::Utf8;
    if (bytes.starts_with("\xFF\xFE")) return Mark::Utf16;
    return Mark::None;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static testing::FakePorts* fake = [] {
        auto* p = new testing::FakePorts;
        p->files.directories.insert("/p");
        return p;
    }();
    const auto f = fuzz::Fields(data, size, 4);
    const std::string &content = f[0], &section = f[1], &key = f[2], &value = f[3];
    const std::string path = "/p/systemset.ini";
    fake->files.files[path] = content;

    IniProfileFile profile;
    const std::string read = profile.Read(path, section, key, "dflt");
    FUZZ_CHECK(SanitizeUtf8(read) == read && Utf16Length(read) <= kMaxSettingUnits, fuzz::Show(read));

    profile.Write(path, section, key, value);
    const std::string written = fake->files.files[path];
    const std::string shown = fuzz::Show(content) + " [" + fuzz::Show(section) + "] " + fuzz::Show(key) + "=" +
                              fuzz::Show(value) + " -> " + fuzz::Show(written);
    // The file keeps its encoding (an empty file becomes ANSI text).
    FUZZ_CHECK(MarkOf(written) == MarkOf(content), shown);

    if (!Clean(section, "]\r\n", false) || !Clean(key, "=\r\n", false) || !Clean(value, "\r\n", true)) return 0;
    if (key.front() == '[' || key.front() == ';') return 0;
    const std::string back = profile.Read(path, section, key, "dflt");
    FUZZ_CHECK(back == TruncateUtf16(value, kMaxSettingUnits), shown + " reads back " + fuzz::Show(back));
    return 0;
}
