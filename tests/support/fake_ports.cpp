#include "support/fake_ports.h"

#include "app/profile.h"
#include "app/utf.h"
#include "settings/ini_profile_file.h"
#include "settings/settings.h"

namespace xh::testing {

std::string MemoryFileSystem::Normalize(std::string p) {
    for (auto at = p.find("//"); at != std::string::npos; at = p.find("//")) p.erase(at, 1);
    return p;
}

bool MemoryFileSystem::ParentExists(const std::string& p) const {
    const auto slash = p.find_last_of('/');
    return slash == std::string::npos || directories.count(p.substr(0, slash)) > 0;
}

std::optional<std::uint64_t> MemoryFileSystem::FileSize(const std::string& p) {
    const auto it = files.find(Normalize(p));
    if (it == files.end()) return std::nullopt;
    return it->second.size();
}

std::optional<std::string> MemoryFileSystem::ReadFile(const std::string& p) {
    const auto it = files.find(Normalize(p));
    if (it == files.end()) return std::nullopt;
    return it->second;
}

bool MemoryFileSystem::WriteFile(const std::string& p, const std::string& bytes) {
    if (!ParentExists(Normalize(p))) return false;
    files[Normalize(p)] = bytes;
    return true;
}

bool MemoryFileSystem::AppendExclusive(const std::string& p, const std::string& bytes) {
    if (locked.count(Normalize(p)) || !ParentExists(Normalize(p))) return false;
    files[Normalize(p)] += bytes;
    return true;
}

std::string TableStrings::Load(unsigned id) {
    for (const ProfileEntry& e : ProductProfileTable()) {
        if (e.id == id) return e.text;
    }
    return {};
}

std::optional<std::string> Utf8Codec::AnsiToUtf8(const std::string& b) { return SanitizeUtf8(b); }

namespace {
IniProfileFile g_iniProfile;
}

FakePorts::FakePorts() : saved_(ports()) {
    ports() = Ports{&clock, &files, &strings, &g_iniProfile, &codec, nullptr, nullptr, &folders, &process};
    ResetDataFolderForTests();
}

FakePorts::~FakePorts() {
    ports() = saved_;
    ResetDataFolderForTests();
}

}  // namespace xh::testing
