#include "linux/elf_version_info.h"

#include <elf.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "linux/linux_ports.h"

namespace xh::linuxport {
namespace {

template <typename T>
bool ReadAt(std::ifstream& in, std::uint64_t offset, T& out) {
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(reinterpret_cast<char*>(&out), sizeof out);
    return static_cast<bool>(in);
}

bool ReadBytes(std::ifstream& in, std::uint64_t offset, std::uint64_t size, std::string& out) {
    if (size > (16u << 20)) return false;  // no version section is that large
    out.resize(static_cast<std::size_t>(size));
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(out.data(), static_cast<std::streamsize>(size));
    return static_cast<bool>(in);
}

// Finds the named section in a little-endian ELF file of either class.
template <typename Ehdr, typename Shdr>
std::optional<std::string> FindSection(std::ifstream& in, const char* wanted) {
    Ehdr eh{};
    if (!ReadAt(in, 0, eh) || eh.e_shentsize != sizeof(Shdr) || eh.e_shnum == 0 || eh.e_shstrndx >= eh.e_shnum) {
        return std::nullopt;
    }
    Shdr names{};
    if (!ReadAt(in, eh.e_shoff + std::uint64_t{eh.e_shstrndx} * sizeof(Shdr), names)) return std::nullopt;
    std::string nameTable;
    if (!ReadBytes(in, names.sh_offset, names.sh_size, nameTable)) return std::nullopt;
    for (unsigned i = 0; i < eh.e_shnum; ++i) {
        Shdr sh{};
        if (!ReadAt(in, eh.e_shoff + std::uint64_t{i} * sizeof(Shdr), sh)) return std::nullopt;
        if (sh.sh_name >= nameTable.size()) continue;
        if (std::strcmp(nameTable.c_str() + sh.sh_name, wanted) != 0 || sh.sh_type == SHT_NOBITS) continue;
        std::string content;
        if (!ReadBytes(in, sh.sh_offset, sh.sh_size, content)) return std::nullopt;
        return content;
    }
    return std::nullopt;
}

}  // namespace

std::optional<VersionResource> ParseVersionSection(const std::string& content) {
    std::string text = content.substr(0, content.find('\0'));
    if (text.rfind("XHVERSION1\n", 0) != 0) return std::nullopt;
    VersionResource res;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) nl = text.size();
        const std::string line = text.substr(pos, nl - pos);
        pos = nl + 1;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "Translation") {
            unsigned language = 0, codePage = 0;
            if (std::sscanf(value.c_str(), "%x,%x", &language, &codePage) == 2) {
                res.translations.emplace_back(static_cast<std::uint16_t>(language), static_cast<std::uint16_t>(codePage));
            }
        } else {
            res.strings.emplace_back(key, value);
        }
    }
    return res;
}

std::optional<VersionResource> ElfVersionInfo::Read(const std::string& path) {
    std::ifstream in(NativePath(path), std::ios::binary);
    if (!in) return std::nullopt;
    unsigned char ident[EI_NIDENT] = {};
    in.read(reinterpret_cast<char*>(ident), EI_NIDENT);
    if (!in || std::memcmp(ident, ELFMAG, SELFMAG) != 0 || ident[EI_DATA] != ELFDATA2LSB) return std::nullopt;
    std::optional<std::string> section;
    if (ident[EI_CLASS] == ELFCLASS64) {
        section = FindSection<Elf64_Ehdr, Elf64_Shdr>(in, kVersionSection);
    } else if (ident[EI_CLASS] == ELFCLASS32) {
        section = FindSection<Elf32_Ehdr, Elf32_Shdr>(in, kVersionSection);
    }
    if (!section) return std::nullopt;
    return ParseVersionSection(*section);
}

}  // namespace xh::linuxport
