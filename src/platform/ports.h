#pragma once
// The portable core reaches the operating system only through these interfaces.
// Each backend (src/win32, src/linux) installs one implementation of each at start;
// tests install real adapters or fakes. No OS or toolkit type appears here.
//
// Text is UTF-8. Paths are UTF-8 too; the core joins them with PathSeparator() and may
// hand over backslashes taken from the product profile, which the Linux adapters read
// as "/".
#include <cstddef>
#include <cstdint>
#include <memory>
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

// ---- Update and installation -------------------------------------------------------------

// One HTTP GET in progress. Failures carry the platform's message text, as the framework's
// internet exceptions do.
class IHttpRequest {
public:
    virtual ~IHttpRequest() = default;
    // The response's status code; 0 when it cannot be read.
    virtual long StatusCode() = 0;
    // The Content-Length header as text; "" when the response has none.
    virtual std::string ContentLength() = 0;
    // Up to `size` bytes of the body into `buffer`; 0 at its end; -1 on failure (see Error).
    virtual long Read(char* buffer, std::size_t size) = 0;
    virtual std::string Error() = 0;
};

struct HttpOptions {
    unsigned connectTimeoutMs = 0;  // 0: the platform's own
    unsigned stallTimeoutMs = 0;    // a read that receives nothing for this long fails; 0: never
    unsigned deadlineMs = 0;        // Open and every Read fail once this long has passed since Open began; 0: never
};

class IHttp {
public:
    virtual ~IHttp() = default;
    // Sends the GET and waits for the response's head. nullptr when the address cannot be
    // opened; `error` then holds the platform's message.
    virtual std::unique_ptr<IHttpRequest> Open(const std::string& url, const HttpOptions& options,
                                               std::string& error) = 0;
};

class IProcessStarter {
public:
    virtual ~IProcessStarter() = default;
    // Starts the program without waiting for it. The child's raw command line is exactly
    // `commandLine`, or the program's path when it has none. False when it could not start.
    virtual bool Start(const std::string& program, const std::optional<std::string>& commandLine) = 0;
    // Whether a running program may delete its own file (true where files are unlinked).
    virtual bool CanRemoveRunningProgram() = 0;
};

class IShellFolders {
public:
    virtual ~IShellFolders() = default;
    // The current user's Start-menu programs folder and desktop; nullopt when unresolved.
    virtual std::optional<std::string> Programs() = 0;
    virtual std::optional<std::string> Desktop() = 0;
};

struct ShortcutDetails {
    std::string target;
    std::string arguments;
    std::string iconPath;  // "" leaves the icon to the target
    int iconIndex = 0;
};

class IShortcuts {
public:
    virtual ~IShortcuts() = default;
    // ".lnk" on Windows; the file name ending of this platform's shortcuts.
    virtual std::string Extension() = 0;
    // Writes (or replaces) the shortcut file at `linkPath`.
    virtual bool Create(const std::string& linkPath, const ShortcutDetails& details) = 0;
};

enum class KeyCreation { Failed, CreatedNew, OpenedExisting };

// The machine-wide uninstall entries (HKLM ...\Uninstall on Windows).
class IUninstallRegistry {
public:
    virtual ~IUninstallRegistry() = default;
    // Opens the uninstall root for full access and creates (or opens) the named entry.
    virtual KeyCreation CreateEntry(const std::string& name) = 0;
    virtual bool SetValue(const std::string& name, const std::string& value, const std::string& data) = 0;
    // Opens the root for full access and deletes the entry.
    virtual bool DeleteEntry(const std::string& name) = 0;
};

// The framework's per-user profile (HKCU\Software\<registry key>\<app name> on Windows).
class IUserProfile {
public:
    virtual ~IUserProfile() = default;
    virtual std::string GetString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) = 0;
    virtual bool WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;
};

// Seconds since 1970-01-01 UTC.
using UnixTime = std::int64_t;

// A file opened for writing with nobody else allowed in; closed when destroyed.
class IFileWriter {
public:
    virtual ~IFileWriter() = default;
    virtual bool Write(const char* data, std::size_t size) = 0;
    // The platform's message for the last failed write.
    virtual std::string Error() = 0;
};

// Held while it lives: see IFileOps::LockFolder.
class IFolderLock {
public:
    virtual ~IFolderLock() = default;
};

class IFileOps {
public:
    virtual ~IFileOps() = default;
    // The platform's code of the last failure of this port on this thread.
    virtual long LastError() = 0;
    // Copies `from` beside `to` and moves the copy over it in one step, so `to` is always
    // either the old or the new file.
    virtual bool ReplaceAtomically(const std::string& from, const std::string& to) = 0;
    // Names in the folder other than "." and ".."; nullopt when it cannot be listed.
    virtual std::optional<std::vector<std::string>> ListFolder(const std::string& path) = 0;
    // Times of a file; the creation time only where the platform keeps one.
    virtual bool SetTimes(const std::string& path, UnixTime creation, UnixTime access, UnixTime write) = 0;
    virtual bool SetAttributes(const std::string& path, bool readOnly, bool hidden, bool system,
                                   bool archive) = 0;
    // A local wall-clock time as Unix time; nullopt when it does not exist.
    virtual std::optional<UnixTime> LocalToUnix(const LocalTime& local) = 0;
    // Opens the file for writing without sharing, creating it when missing and keeping its
    // content, positioned at its end; nullptr when it cannot be opened.
    virtual std::unique_ptr<IFileWriter> OpenForAppend(const std::string& path) = 0;
    // Waits up to `waitMs` to be the only process holding the folder's lock (a process that
    // ends lets go of it). nullptr when the wait ran out or the platform keeps no such lock.
    virtual std::unique_ptr<IFolderLock> LockFolder(const std::string& path, unsigned waitMs) {
        (void)path;
        (void)waitMs;
        return nullptr;
    }
};

// The shell's deletion: to the recycle bin (trash) where the volume has one.
class IShellDelete {
public:
    virtual ~IShellDelete() = default;
    // One file or folder (with its contents); true when the operation reports success.
    virtual bool DeleteItem(const std::string& path) = 0;
    // Tells the shell that `path` went away and its parent changed (nothing where no one listens).
    virtual void NotifyRemoved(const std::string& path, const std::string& parent) = 0;
};

// Data the program carries inside its own file.
class IEmbeddedData {
public:
    virtual ~IEmbeddedData() = default;
    // The ZIP archive with the default settings file and the uninstall icon.
    virtual std::optional<std::string> Archive() = 0;
};

// A yes/no question to the user (the skinned message box).
class IQuestionPrompt {
public:
    virtual ~IQuestionPrompt() = default;
    // The dialog result: kIdOk (1) or kIdCancel (2) of controls/control_types.h.
    virtual int Ask(const std::string& title, const std::string& message) = 0;
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
    IHttp* http = nullptr;
    IProcessStarter* starter = nullptr;
    IShellFolders* shellFolders = nullptr;
    IShortcuts* shortcuts = nullptr;
    IUninstallRegistry* uninstallRegistry = nullptr;
    IUserProfile* userProfile = nullptr;
    IFileOps* fileOps = nullptr;
    IShellDelete* shellDelete = nullptr;
    IEmbeddedData* embedded = nullptr;
    IQuestionPrompt* prompt = nullptr;
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
