#include "settings/ini_file.h"

#include <vector>

namespace xh::ini {
namespace {

struct Line {
    std::size_t begin;  // first byte of the line
    std::size_t end;    // one past its last byte, line ending excluded
    std::size_t next;   // first byte of the following line
};

// Lines end at "\n" while one follows; after the last "\n" a lone "\r" ends them, as the
// platform's reader splits a file saved with CR-only line ends.
std::vector<Line> SplitLines(const std::string& s) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < s.size()) {
        if (const std::size_t nl = s.find('\n', pos); nl != std::string::npos) {
            const std::size_t end = (nl > pos && s[nl - 1] == '\r') ? nl - 1 : nl;
            lines.push_back({pos, end, nl + 1});
            pos = nl + 1;
        } else if (const std::size_t cr = s.find('\r', pos); cr != std::string::npos) {
            lines.push_back({pos, cr, cr + 1});
            pos = cr + 1;
        } else {
            lines.push_back({pos, s.size(), s.size()});
            break;
        }
    }
    return lines;
}

// The line end for text inserted at `at`. Behind the last "\n", lines are split at "\r";
// a "\n" inserted after such lines would join them into one, so they get "\r" too.
std::string LineEndAt(const std::string& s, std::size_t at) {
    const std::size_t lastLf = s.rfind('\n');
    const std::size_t tail = lastLf == std::string::npos ? 0 : lastLf + 1;
    if (at < tail) return "\r\n";
    const std::size_t cr = s.find('\r', tail);
    return cr != std::string::npos && cr < at ? "\r" : "\r\n";
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\x1a'; }

std::string_view Trim(std::string_view v) {
    while (!v.empty() && IsBlank(v.front())) v.remove_prefix(1);
    while (!v.empty() && IsBlank(v.back())) v.remove_suffix(1);
    return v;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

enum class Kind { Blank, Comment, Section, Entry };

struct Parsed {
    Kind kind;
    std::string_view name;   // section or key name
    std::string_view value;  // entries only
};

Parsed Parse(std::string_view text) {
    const std::string_view t = Trim(text);
    if (t.empty()) return {Kind::Blank, {}, {}};
    if (t.front() == ';') return {Kind::Comment, {}, {}};
    if (t.front() == '[') {
        // Without its closing bracket the line is no section header, as for the platform.
        if (const auto close = t.find(']'); close != std::string_view::npos) {
            return {Kind::Section, Trim(t.substr(1, close - 1)), {}};
        }
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) return {Kind::Comment, {}, {}};  // no key without "="
    return {Kind::Entry, Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

struct Located {
    bool sectionFound = false;
    std::size_t keyLine = SIZE_MAX;       // index of the key's line
    std::size_t lastEntryLine = SIZE_MAX; // the section's last non-blank line (header included)
};

Located Locate(const std::string& content, const std::vector<Line>& lines, std::string_view section,
               std::string_view key) {
    Located at;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Parsed p = Parse(std::string_view(content).substr(lines[i].begin, lines[i].end - lines[i].begin));
        if (p.kind == Kind::Section) {
            if (at.sectionFound && inSection) break;  // only the first section of that name counts
            inSection = EqualsNoCase(p.name, section);
            if (inSection) {
                at.sectionFound = true;
                at.lastEntryLine = i;
            }
            continue;
        }
        if (!inSection || p.kind == Kind::Blank) continue;
        at.lastEntryLine = i;
        if (p.kind == Kind::Entry && EqualsNoCase(p.name, key) && at.keyLine == SIZE_MAX) at.keyLine = i;
    }
    return at;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

}  // namespace

std::optional<std::string> Find(const std::string& content, const std::string& section, const std::string& key) {
    const std::vector<Line> lines = SplitLines(content);
    const Located at = Locate(content, lines, Trim(section), Trim(key));
    if (at.keyLine == SIZE_MAX) return std::nullopt;
    const Line& l = lines[at.keyLine];
    return std::string(Unquote(Parse(std::string_view(content).substr(l.begin, l.end - l.begin)).value));
}

std::string Put(const std::string& content, const std::string& section, const std::string& key,
                const std::string& value) {
    const std::vector<Line> lines = SplitLines(content);
    const Located at = Locate(content, lines, Trim(section), Trim(key));
    const std::string entry = std::string(Trim(key)) + "=" + value;
    if (at.keyLine != SIZE_MAX) {
        // The file's own spelling of the key stays; only what follows "=" changes.
        const Line& l = lines[at.keyLine];
        const std::size_t eq = content.find('=', l.begin);
        return content.substr(0, eq + 1) + value + content.substr(l.end);
    }
    if (at.sectionFound) {
        const Line& l = lines[at.lastEntryLine];
        const std::string end = LineEndAt(content, l.next);
        std::string out = content.substr(0, l.next);
        if (l.next == l.end) out += end;  // the section's last line had no line ending
        return out + entry + end + content.substr(l.next);
    }
    const std::string end = LineEndAt(content, content.size());
    std::string out = content;
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += end;
    return out + "[" + std::string(Trim(section)) + "]" + end + entry + end;
}

}  // namespace xh::ini
