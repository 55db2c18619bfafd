// A whole hostile archive unpacked onto real files: nothing may land outside the res folder,
// whatever the names, sizes and compressed data say. Everything goes into a private
// temporary folder that is emptied after each input and removed at exit.
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "fuzz/fuzz_support.h"
#include "linux/posix_files.h"
#include "support/fake_ports.h"
#include "update/embedded_archive.h"

using namespace xh;
namespace fs = std::filesystem;

namespace {

class InputArchive final : public IEmbeddedData {
public:
    std::string bytes;
    std::optional<std::string> Archive() override { return bytes; }
};

// The settings never say the archive was unpacked, so every input is unpacked.
class ForgetfulProfile final : public IProfileFile {
public:
    std::string Read(const std::string&, const std::string&, const std::string&, const std::string& d) override {
        return d;
    }
    void Write(const std::string&, const std::string&, const std::string&, const std::string&) override {}
};

// Times and attributes as the Linux adapters apply them, without the desktop libraries.
class FileTimes final : public IFileOps {
public:
    long LastError() override { return 0; }
    bool ReplaceAtomically(const std::string&, const std::string&) override { return false; }
    std::optional<std::vector<std::string>> ListFolder(const std::string&) override { return std::nullopt; }
    bool SetTimes(const std::string& path, UnixTime, UnixTime access, UnixTime write) override {
        const timespec times[2] = {{static_cast<time_t>(access), 0}, {static_cast<time_t>(write), 0}};
        return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
    }
    bool SetAttributes(const std::string&, bool, bool, bool, bool) override { return true; }
    std::optional<UnixTime> LocalToUnix(const LocalTime& local) override {
        std::tm tm{};
        tm.tm_year = local.year - 1900;
        tm.tm_mon = local.month - 1;
        tm.tm_mday = local.day;
        tm.tm_hour = local.hour;
        tm.tm_min = local.minute;
        tm.tm_sec = local.second;
        tm.tm_isdst = -1;
        const std::time_t t = std::mktime(&tm);
        if (t == static_cast<std::time_t>(-1)) return std::nullopt;
        return static_cast<UnixTime>(t);
    }
    std::unique_ptr<IFileWriter> OpenForAppend(const std::string&) override { return nullptr; }
};

struct Sandbox {
    fs::path root;
    testing::FakePorts fake;
    linuxport::PosixFileSystem files;
    ForgetfulProfile profile;
    FileTimes fileOps;
    InputArchive archive;

    Sandbox() {
        // Memory-backed where there is such a folder: thousands of small unpackings a second.
        std::string pattern = fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string();
        pattern += "/xinghe-fuzz-archive-XXXXXX";
        root = ::mkdtemp(pattern.data());
        fs::create_directories(root / "data");
        Ports& p = ports();
        p.files = &files;
        p.profile = &profile;
        p.fileOps = &fileOps;
        p.embedded = &archive;
    }
    ~Sandbox() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Sandbox* g_sandbox = nullptr;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!g_sandbox) {
        g_sandbox = new Sandbox;
        std::atexit([] { delete g_sandbox; });
    }
    Sandbox& box = *g_sandbox;
    box.archive.bytes.assign(reinterpret_cast<const char*>(data), size);
    const fs::path res = box.root / "data" / "res";

    ExtractEmbeddedArchive((box.root / "data").string());

    // Everything written lies inside res; no link is made anywhere.
    for (auto it = fs::recursive_directory_iterator(box.root); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path p = it->path();
        FUZZ_CHECK(!fs::is_symlink(it->symlink_status()), p.string());
        if (p == box.root / "data" || p == res) continue;
        // A name such as "...x" is fine; only a first step of ".." leaves the folder.
        const fs::path rel = p.lexically_relative(res);
        FUZZ_CHECK(!rel.empty() && *rel.begin() != "..", p.string() + " was written outside " + res.string());
    }
    std::error_code ec;
    fs::remove_all(res, ec);
    return 0;
}
