// The INI editing behind the settings file: any file text, then a write and a read back.
#include "fuzz/fuzz_support.h"
#include "settings/ini_file.h"

using namespace xh;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\x1a'; }

// A name that a line "name=value" or "[name]" can carry and give back unchanged.
bool CleanName(const std::string& s, bool section) {
    if (s.empty() || IsBlank(s.front()) || IsBlank(s.back())) return false;
    if (!section && (s.front() == '[' || s.front() == ';')) return false;
    for (const char c : s) {
        if (c == '\n' || c == '\r' || (section ? c == ']' : c == '=')) return false;
    }
    return true;
}

bool CleanValue(const std::string& v) {
    if (v.find_first_of("\r\n") != std::string::npos) return false;
    if (!v.empty() && (IsBlank(v.front()) || IsBlank(v.back()))) return false;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) return false;
    return true;
}

// Names compare trimmed and without regard to ASCII case.
std::string Lower(std::string s) {
    while (!s.empty() && IsBlank(s.front())) s.erase(0, 1);
    while (!s.empty() && IsBlank(s.back())) s.pop_back();
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

std::string Shown(const std::optional<std::string>& v) { return v ? fuzz::Show(*v) : "(missing)"; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto f = fuzz::Fields(data, size, 6);
    const std::string &content = f[0], &section = f[1], &key = f[2], &value = f[3], &otherSection = f[4],
                      &otherKey = f[5];
    const auto before = ini::Find(content, otherSection, otherKey);
    (void)ini::Find(content, section, key);
    const std::string edited = ini::Put(content, section, key, value);
    const std::string shown = "content " + fuzz::Show(content) + " [" + fuzz::Show(section) + "] " + fuzz::Show(key) +
                              "=" + fuzz::Show(value) + " -> " + fuzz::Show(edited);

    if (!CleanName(section, true) || !CleanName(key, false) || !CleanValue(value)) return 0;
    const auto readBack = ini::Find(edited, section, key);
    FUZZ_CHECK(readBack == value, shown + " reads back " + Shown(readBack));
    FUZZ_CHECK(ini::Put(edited, section, key, value) == edited, shown + ": a second write changed the file");
    // The write touches no other key.
    if (Lower(otherSection) != Lower(section) || Lower(otherKey) != Lower(key)) {
        const auto after = ini::Find(edited, otherSection, otherKey);
        FUZZ_CHECK(after == before, shown + ": [" + fuzz::Show(otherSection) + "] " + fuzz::Show(otherKey) + " was " +
                                        Shown(before) + ", now " + Shown(after));
    }
    return 0;
}
