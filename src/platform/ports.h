#pragma once
// The portable core reaches the operating system only through these interfaces.
// Each backend (src/win32, src/linux) installs one implementation of each at start;
// tests install real adapters or fakes. No OS or toolkit type appears here.
//
// Text is UTF-8. Paths are UTF-8 too; the core joins them with PathSeparator() and may
// hand over backslashes taken from the product profile, which the Linux adapters read
// as "/".
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace xh {

// Broken-down local time, as the C library's struct tm gives it but with a real year and month.
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class IClock {
public:
    virtual ~IClock() = default;
    // std::nullopt when the conversion to local time fails.
    virtual std::optional<LocalTime> NowLocal() = 0;
    virtual std::uint64_t SteadyMillis() = 0;
    virtual void SleepMillis(unsigned ms) = 0;
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    virtual bool Exists(const std::string& path) = 0;
    virtual bool IsDirectory(const std::string& path) = 0;
    virtual std::optional<std::uint64_t> FileSize(const std::string& path) = 0;
    virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
    // Replaces the file's content; false when the file cannot be written.
    virtual bool WriteFile(const std::string& path, const std::string& bytes) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool CreateDirectory(const std::string& path) = 0;
    // Opens the file for reading and writing with nobody else allowed in (creating it when
    // missing), appends the bytes and closes it. False when it could not be opened or written.
    virtual bool AppendExclusive(const std::string& path, const std::string& bytes) = 0;
};

// The product profile: string entries by numeric id; a missing id gives "".
class IStringTable {
public:
    virtual ~IStringTable() = default;
    virtual std::string Load(unsigned id) = 0;
};

// INI files in the style of the platform's private profile functions.
class IProfileFile {
public:
    virtual ~IProfileFile() = default;
    // At most kMaxSettingUnits UTF-16 units come back; the default when the key is missing.
    virtual std::string Read(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& defaultValue) = 0;
    virtual void Write(const std::string& path, const std::string& section,
                       const std::string& key, const std::string& value) = 0;
};
inline constexpr std::size_t kMaxSettingUnits = 259;  // a buffer of 260 with its terminator

// The ANSI code page of the calling thread (Linux: the locale's character set).
class ITextCodec {
public:
    virtual ~ITextCodec() = default;
    // nullopt when the converter refuses the input.
    virtual std::optional<std::string> AnsiToUtf8(const std::string& bytes) = 0;
    virtual std::optional<std::string> Utf8ToAnsi(const std::string& text) = 0;
};

// The version resource of a program file.
struct VersionResource {
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;  // (language, code page)
    // Values by their query path, e.g. "\StringFileInfo\080403a8\FileVersion".
    std::vector<std::pair<std::string, std::string>> strings;
};
class IVersionInfo {
public:
    virtual ~IVersionInfo() = default;
    // nullopt when the file carries no version information.
    virtual std::optional<VersionResource> Read(const std::string& path) = 0;
};

class IDigest {
public:
    virtual ~IDigest() = default;
    // The file's MD5 (16 bytes); nullopt when the file cannot be read or hashed.
    virtual std::optional<std::string> FileMd5(const std::string& path) = 0;
};

class IFolders {
public:
    virtual ~IFolders() = default;
    virtual char PathSeparator() = 0;
    // The current user's application-data folder, without a trailing separator.
    virtual std::string AppData() = 0;
};

class IProcess {
public:
    virtual ~IProcess() = default;
    // The whole command line as the starter passed it (program path included when given).
    virtual std::string RawCommandLine() = 0;
    virtual std::string ModulePath() = 0;
    // Ends the process at once with the C library's exit.
    [[noreturn]] virtual void Exit(int code) = 0;
};

struct Ports {
    IClock* clock = nullptr;
    IFileSystem* files = nullptr;
    IStringTable* strings = nullptr;
    IProfileFile* profile = nullptr;
    ITextCodec* codec = nullptr;
    IVersionInfo* versionInfo = nullptr;
    IDigest* digest = nullptr;
    IFolders* folders = nullptr;
    IProcess* process = nullptr;
};

// The installed ports. Backends fill them before any core code runs.
Ports& ports();

// Swaps the installed ports for a scope (tests).
class ScopedPorts {
public:
    explicit ScopedPorts(const Ports& replacement) : saved_(ports()) { ports() = replacement; }
    ~ScopedPorts() { ports() = saved_; }
    ScopedPorts(const ScopedPorts&) = delete;
    ScopedPorts& operator=(const ScopedPorts&) = delete;

private:
    Ports saved_;
};

}  // namespace xh
