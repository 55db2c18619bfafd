#include "update/embedded_archive.h"

#include <minizip/unzip.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/utf.h"
#include "login/text_encoding.h"
#include "settings/settings.h"
#include "update/path_text.h"

namespace xh {
namespace {

constexpr int kArchiveDone = 1001;
constexpr std::size_t kMaxNameUnits = 259;  // a buffer of 260 with its terminator
constexpr unsigned kPieceSize = 16384;

// minizip reads the archive through these callbacks straight from memory.
struct MemoryArchive {
    const std::string* bytes = nullptr;
    std::size_t position = 0;
};

voidpf ZCALLBACK MemoryOpen(voidpf opaque, const void*, int) {
    auto* archive = static_cast<MemoryArchive*>(opaque);
    archive->position = 0;
    return archive;
}

uLong ZCALLBACK MemoryRead(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* archive = static_cast<MemoryArchive*>(stream);
    const std::size_t left = archive->bytes->size() - archive->position;
    const std::size_t n = size < left ? size : left;
    std::memcpy(buffer, archive->bytes->data() + archive->position, n);
    archive->position += n;
    return static_cast<uLong>(n);
}

uLong ZCALLBACK MemoryWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK MemoryTell(voidpf, voidpf stream) { return static_cast<MemoryArchive*>(stream)->position; }

// The reader steps back with an offset that wraps around (an unsigned "minus n"), so the
// sum is taken modulo 2^64; the 64-bit callbacks keep that intact on 32-bit systems too.
long ZCALLBACK MemorySeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* archive = static_cast<MemoryArchive*>(stream);
    ZPOS64_T base = 0;
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
        case ZLIB_FILEFUNC_SEEK_CUR: base = archive->position; break;
        case ZLIB_FILEFUNC_SEEK_END: base = archive->bytes->size(); break;
        default: return -1;
    }
    const ZPOS64_T target = base + offset;
    if (target > archive->bytes->size()) return -1;
    archive->position = static_cast<std::size_t>(target);
    return 0;
}

int ZCALLBACK MemoryClose(voidpf, voidpf) { return 0; }
int ZCALLBACK MemoryError(voidpf, voidpf) { return 0; }

class ArchiveReader {
public:
    explicit ArchiveReader(const std::string& bytes) {
        m_memory.bytes = &bytes;
        zlib_filefunc64_def functions{};
        functions.zopen64_file = MemoryOpen;
        functions.zread_file = MemoryRead;
        functions.zwrite_file = MemoryWrite;
        functions.ztell64_file = MemoryTell;
        functions.zseek64_file = MemorySeek;
        functions.zclose_file = MemoryClose;
        functions.zerror_file = MemoryError;
        functions.opaque = &m_memory;
        m_file = unzOpen2_64("embedded.zip", &functions);
    }
    ~ArchiveReader() {
        if (m_file) unzClose(m_file);
    }
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    unzFile get() const { return m_file; }

private:
    MemoryArchive m_memory;
    unzFile m_file = nullptr;
};

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// Every missing level of base + relative folder, from the base down.
void CreateFolders(const std::string& base, const std::string& relativeFolder) {
    IFileSystem& files = *ports().files;
    std::string path = base;
    std::string level;
    for (std::size_t i = 0; i <= relativeFolder.size(); ++i) {
        if (i == relativeFolder.size() || relativeFolder[i] == '\\' || relativeFolder[i] == '/') {
            if (!level.empty()) {
                path += level;
                if (!files.Exists(path)) files.CreateDirectory(path);
                path += ports().folders->PathSeparator();
                level.clear();
            }
        } else {
            level += relativeFolder[i];
        }
    }
}

std::optional<std::string> InflateCurrentEntry(unzFile file) {
    if (unzOpenCurrentFile(file) != UNZ_OK) return std::nullopt;
    std::string data;
    std::vector<char> piece(kPieceSize);
    int n = 0;
    while ((n = unzReadCurrentFile(file, piece.data(), kPieceSize)) > 0) data.append(piece.data(), static_cast<std::size_t>(n));
    // Closing checks the CRC of a completely read entry.
    const int closed = unzCloseCurrentFile(file);
    if (n < 0 || closed != UNZ_OK) return std::nullopt;
    return data;
}

void ExtractCurrentEntry(unzFile file, const unz_file_info& info, const std::string& extra, const std::string& base,
                         const std::string& name) {
    const EntryAttributes attributes = DecodeEntryAttributes(static_cast<std::uint16_t>(info.version),
                                                             static_cast<std::uint32_t>(info.external_fa));
    const bool isFolder = attributes.directory || IsSeparator(static_cast<char16_t>(name.back()));
    if (isFolder) {
        CreateFolders(base, name);
        return;
    }
    CreateFolders(base, FolderPart(name));

    EntryTimes times;
    const tm_unz& d = info.tmu_date;
    const LocalTime dosTime{static_cast<int>(d.tm_year), static_cast<int>(d.tm_mon) + 1, static_cast<int>(d.tm_mday),
                            static_cast<int>(d.tm_hour), static_cast<int>(d.tm_min), static_cast<int>(d.tm_sec)};
    if (const auto stamp = ports().fileOps->LocalToUnix(dosTime)) times = {*stamp, *stamp, *stamp};
    times = ApplyExtendedTimestamp(times, extra);

    const auto data = InflateCurrentEntry(file);
    if (!data) return;
    const std::string path = base + name;
    if (!ports().files->WriteFile(path, *data)) return;
    ports().fileOps->SetTimes(path, times.creation, times.access, times.write);
    ports().fileOps->SetAttributes(path, attributes.readOnly, attributes.hidden, attributes.system,
                                   attributes.archive);
}

}  // namespace

std::optional<std::string> RelativeEntryName(const std::string& storedName) {
    std::u16string name = Utf8ToUtf16(TruncateUtf16(Utf8ToWide(storedName), kMaxNameUnits));
    static constexpr std::array<std::u16string_view, 4> kParentSequences = {u"\\..\\", u"\\../", u"/../", u"/..\\"};
    for (bool changed = true; changed;) {
        changed = false;
        if (name.size() >= 2 && name[1] == u':') {
            name.erase(0, 2);
            changed = true;
        } else if (!name.empty() && IsSeparator(name[0])) {
            name.erase(0, 1);
            changed = true;
        } else {
            for (const std::u16string_view sequence : kParentSequences) {
                if (const auto at = name.find(sequence); at != std::u16string::npos) {
                    name.erase(0, at + sequence.size());
                    changed = true;
                    break;
                }
            }
        }
    }
    // What still climbs out ("../x", "a/..") is refused rather than written outside res.
    std::u16string segment;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || IsSeparator(name[i])) {
            if (segment == u"..") return std::nullopt;
            segment.clear();
        } else {
            segment += name[i];
        }
    }
    if (name.empty()) return std::nullopt;
    return Utf16ToUtf8(name);
}

EntryAttributes DecodeEntryAttributes(std::uint16_t versionMadeBy, std::uint32_t externalAttributes) {
    const unsigned host = versionMadeBy >> 8;
    EntryAttributes a;
    if (host == 0 || host == 7 || host == 11 || host == 14) {
        a.readOnly = externalAttributes & 0x01;
        a.hidden = externalAttributes & 0x02;
        a.system = externalAttributes & 0x04;
        a.directory = externalAttributes & 0x10;
        a.archive = externalAttributes & 0x20;
    } else {
        a.directory = externalAttributes & (1u << 30);
        a.readOnly = !(externalAttributes & (1u << 23));
        a.archive = true;
    }
    return a;
}

EntryTimes ApplyExtendedTimestamp(EntryTimes times, const std::string& extraField) {
    auto u16 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(extraField[at])) |
               static_cast<unsigned>(static_cast<unsigned char>(extraField[at + 1])) << 8;
    };
    auto u32 = [&](std::size_t at) { return static_cast<std::uint32_t>(u16(at)) | static_cast<std::uint32_t>(u16(at + 2)) << 16; };
    for (std::size_t at = 0; at + 4 <= extraField.size();) {
        const unsigned id = u16(at);
        const std::size_t size = u16(at + 2);
        const std::size_t data = at + 4;
        if (data + size > extraField.size()) break;
        if (id == 0x5455 && size >= 1) {
            const unsigned flags = static_cast<unsigned char>(extraField[data]);
            std::size_t next = data + 1;
            UnixTime* targets[] = {&times.write, &times.access, &times.creation};
            for (unsigned bit = 0; bit < 3; ++bit) {
                if (!(flags & (1u << bit))) continue;
                if (next + 4 > data + size) break;
                *targets[bit] = static_cast<std::int32_t>(u32(next));
                next += 4;
            }
        }
        at = data + size;
    }
    return times;
}

void ExtractEmbeddedArchive(const std::string& dataFolder) {
    if (SettingToInt(ReadSetting("Setting", "start", "-1")) == kArchiveDone) return;
    IFileSystem& files = *ports().files;
    const std::string resFolder = JoinPath(dataFolder, "res");
    if (!files.Exists(resFolder)) files.CreateDirectory(resFolder);

    if (const auto bytes = ports().embedded ? ports().embedded->Archive() : std::nullopt) {
        ArchiveReader reader(*bytes);
        unz_global_info global{};
        if (reader.get() && unzGetGlobalInfo(reader.get(), &global) == UNZ_OK) {
            std::string base = resFolder;
            if (base.back() != '\\' && base.back() != '/') base += ports().folders->PathSeparator();
            int step = unzGoToFirstFile(reader.get());
            for (uLong i = 0; i < global.number_entry && step == UNZ_OK; ++i, step = unzGoToNextFile(reader.get())) {
                unz_file_info info{};
                char stored[1024] = {};
                char extra[1024] = {};
                if (unzGetCurrentFileInfo(reader.get(), &info, stored, sizeof stored - 1, extra, sizeof extra, nullptr,
                                          0) != UNZ_OK) {
                    continue;
                }
                const auto name = RelativeEntryName(stored);
                if (!name) continue;
                if (*name == "systemset.ini" && files.Exists(JoinPath(resFolder, *name))) continue;
                const std::size_t extraSize = info.size_file_extra < sizeof extra ? info.size_file_extra : 0;
                ExtractCurrentEntry(reader.get(), info, std::string(extra, extraSize), base, *name);
            }
        }
    }
    const std::string leftover = JoinPath(resFolder, "data.zip");
    if (files.Exists(leftover)) files.RemoveFile(leftover);
    char value[16];
    std::snprintf(value, sizeof value, "%d", kArchiveDone);
    WriteSetting("Setting", "start", value);
}

}  // namespace xh
