#include "linux/linux_ports.h"

#include "platform/backend.h"

#include <iconv.h>
#include <langinfo.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <thread>

#include "app/profile.h"
#include "app/utf.h"
#include "linux/elf_version_info.h"
#include "linux/install_adapters.h"
#include "linux/posix_files.h"
#include "settings/ini_profile_file.h"

namespace xh::linuxport {
namespace {

class LinuxClock final : public IClock {
public:
    std::optional<LocalTime> NowLocal() override {
        const std::time_t now = std::time(nullptr);
        std::tm tm{};
        if (!::localtime_r(&now, &tm)) return std::nullopt;
        return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    }
    std::uint64_t SteadyMillis() override {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }
    void SleepMillis(unsigned ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

class CompiledStringTable final : public IStringTable {
public:
    std::string Load(unsigned id) override {
        for (const ProfileEntry& e : ProductProfileTable()) {
            if (e.id == id) return e.text;
        }
        return {};
    }
};

// The locale's character set stands for the ANSI code page. The plain C locale says ASCII,
// which would refuse every Chinese name; it is taken as UTF-8, as current systems treat it.
class IconvTextCodec final : public ITextCodec {
public:
    std::optional<std::string> AnsiToUtf8(const std::string& bytes) override {
        if (LocaleIsUtf8()) return SanitizeUtf8(bytes);
        return Convert(Charset(), "UTF-8", bytes);
    }
    std::optional<std::string> Utf8ToAnsi(const std::string& text) override {
        if (LocaleIsUtf8()) return text;
        return Convert("UTF-8", Charset(), text);
    }

private:
    static std::string Charset() { return ::nl_langinfo(CODESET); }
    static bool LocaleIsUtf8() {
        const std::string cs = Charset();
        return cs == "UTF-8" || cs == "utf8" || cs == "ANSI_X3.4-1968" || cs.empty();
    }
    static std::optional<std::string> Convert(const std::string& from, const std::string& to, const std::string& in) {
        iconv_t cd = ::iconv_open(to.c_str(), from.c_str());
        if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
        std::string out(in.size() * 4 + 16, '\0');
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        const std::size_t r = ::iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        ::iconv_close(cd);
        if (r == static_cast<std::size_t>(-1)) return std::nullopt;
        out.resize(out.size() - dstLeft);
        return out;
    }
};

class OpenSslDigest final : public IDigest {
public:
    std::optional<std::string> FileMd5(const std::string& path) override {
        std::ifstream in(NativePath(path), std::ios::binary);
        if (!in) return std::nullopt;
        std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
        if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_md5(), nullptr) != 1) return std::nullopt;
        std::string buf(1 << 20, '\0');
        while (in) {
            in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
            const auto n = static_cast<std::size_t>(in.gcount());
            if (n > 0 && EVP_DigestUpdate(ctx.get(), buf.data(), n) != 1) return std::nullopt;
        }
        if (!in.eof()) return std::nullopt;
        unsigned char md[EVP_MAX_MD_SIZE];
        unsigned int len = 0;
        if (EVP_DigestFinal_ex(ctx.get(), md, &len) != 1) return std::nullopt;
        return std::string(reinterpret_cast<char*>(md), len);
    }
};

class LinuxFolders final : public IFolders {
public:
    char PathSeparator() override { return '/'; }
    std::string AppData() override {
        if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') return StripSlash(xdg);
        const char* home = std::getenv("HOME");
        return StripSlash(std::string(home ? home : "") + "/.local/share");
    }

private:
    static std::string StripSlash(std::string s) {
        while (s.size() > 1 && s.back() == '/') s.pop_back();
        return s;
    }
};

class LinuxProcess final : public IProcess {
public:
    std::string commandLine;
    std::string RawCommandLine() override { return commandLine; }
    std::string ModulePath() override {
        char buf[4096];
        const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
    }
    [[noreturn]] void Exit(int code) override { std::exit(code); }
};

}  // namespace

std::string JoinCommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (i) line += ' ';
        line += argv[i];
    }
    return line;
}

void InstallPorts(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    static LinuxClock clock;
    static PosixFileSystem files;
    static CompiledStringTable strings;
    static IniProfileFile profile;
    static IconvTextCodec codec;
    static ElfVersionInfo versionInfo;
    static OpenSslDigest digest;
    static LinuxFolders folders;
    static LinuxProcess process;
    process.commandLine = JoinCommandLine(argc, argv);
    ports() = Ports{&clock, &files, &strings, &profile, &codec, &versionInfo, &digest, &folders, &process};
    InstallUpdatePorts(ports());
}

}  // namespace xh::linuxport

namespace xh {

void InstallBackendPorts() {
    static char name[] = "xinghe-launcher";
    static char* argv[] = {name, nullptr};
    linuxport::InstallPorts(1, argv);
}

}  // namespace xh
