#include "linux/install_adapters.h"

#include "controls/question_box.h"

#include <dirent.h>
#include <fcntl.h>
#include <gio/gio.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "linux/curl_http.h"
#include "linux/linux_ports.h"
#include "linux/posix_files.h"
#include "controls/control_types.h"
#include "settings/ini_profile_file.h"

extern "C" {
extern const char xinghe_archive_begin[];
extern const char xinghe_archive_end[];
}

namespace xh::linuxport {
namespace {

thread_local long t_lastError = 0;

// Copies the bytes and the permission bits (a program stays startable).
bool CopyContent(const std::string& from, const std::string& to, bool sync) {
    Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return false;
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) return false;
    Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 0777));
    if (out.get() < 0) return false;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        if (!WriteAll(out.get(), buffer.data(), static_cast<std::size_t>(n))) return false;
    }
    if (::fchmod(out.get(), st.st_mode & 0777) != 0) return false;
    return !sync || ::fsync(out.get()) == 0;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

std::string XdgFolder(const char* variable, const char* fallback) {
    if (const char* value = std::getenv(variable); value && *value == '/') return value;
    return HomeFolder() + fallback;
}

bool MakeFolders(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

class PosixProcessStarter final : public IProcessStarter {
public:
    bool Start(const std::string& program, const std::optional<std::string>& commandLine) override {
        const std::string path = NativePath(program);
        // Windows starts any program file; here a downloaded one still needs its execute bit.
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IXUSR)) {
            const mode_t readable = st.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
            ::chmod(path.c_str(), (st.st_mode & 07777) | (readable >> 2));
        }
        // argv[0] alone carries the whole line, so the child reads back exactly that text.
        std::string line = commandLine.value_or(program);
        char* argv[] = {line.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // No handle is inherited beyond the standard ones.
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
        pid_t pid = 0;
        const int result = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        return result == 0;
    }
    bool CanRemoveRunningProgram() override { return true; }
};

class XdgShellFolders final : public IShellFolders {
public:
    // Like the Start menu on Windows the folder is always there; a fresh account may lack it.
    std::optional<std::string> Programs() override {
        const std::string folder = XdgFolder("XDG_DATA_HOME", "/.local/share") + "/applications";
        if (!MakeFolders(folder)) return std::nullopt;
        return folder;
    }
    std::optional<std::string> Desktop() override { return XdgDesktopFolder(); }
};

class DesktopEntryShortcuts final : public IShortcuts {
public:
    std::string Extension() override { return ".desktop"; }
    bool Create(const std::string& linkPath, const ShortcutDetails& details) override {
        std::string name = linkPath.substr(linkPath.find_last_of("\\/") + 1);
        if (name.size() > Extension().size()) name.resize(name.size() - Extension().size());
        return m_files.WriteFile(linkPath, DesktopEntryText(name, details));
    }

private:
    PosixFileSystem m_files;
};

// One folder per entry below the root, one file per value.
class FolderUninstallRegistry final : public IUninstallRegistry {
public:
    explicit FolderUninstallRegistry(std::string root) : m_root(std::move(root)) {}
    KeyCreation CreateEntry(const std::string& name) override {
        if (!OpenRoot()) return KeyCreation::Failed;
        const std::string key = m_root + "/" + name;
        if (::mkdir(key.c_str(), 0755) == 0) return KeyCreation::CreatedNew;
        struct stat st {};
        if (errno == EEXIST && ::stat(key.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return KeyCreation::OpenedExisting;
        return KeyCreation::Failed;
    }
    bool SetValue(const std::string& name, const std::string& value, const std::string& data) override {
        return m_files.WriteFile(m_root + "/" + name + "/" + value, data);
    }
    bool DeleteEntry(const std::string& name) override {
        if (!OpenRoot()) return false;
        const std::string key = m_root + "/" + name;
        std::error_code ec;
        if (!std::filesystem::is_directory(key, ec)) return false;
        return std::filesystem::remove_all(key, ec) > 0 && !ec;
    }

private:
    // Full access to the root: it exists (or may be made) and this user may write it.
    bool OpenRoot() { return MakeFolders(m_root) && ::access(m_root.c_str(), W_OK) == 0; }

    std::string m_root;
    PosixFileSystem m_files;
};

// The framework's per-user profile as an INI file in the XDG config folder:
// <config>/<registry key>/<program name>.ini, one section per profile section.
class IniUserProfile final : public IUserProfile {
public:
    std::string GetString(const std::string& section, const std::string& key, const std::string& defaultValue) override {
        return m_ini.Read(Path(), section, key, defaultValue);
    }
    bool WriteString(const std::string& section, const std::string& key, const std::string& value) override {
        const std::string path = Path();
        if (!MakeFolders(path.substr(0, path.find_last_of('/')))) return false;
        m_ini.Write(path, section, key, value);
        return m_ini.Read(path, section, key, std::string(1, '\x01')) == value;
    }

private:
    static std::string Path() {
        std::string program = ports().process ? ports().process->ModulePath() : std::string();
        program = program.substr(program.find_last_of('/') + 1);
        if (const auto dot = program.find_last_of('.'); dot != std::string::npos && dot > 0) program.resize(dot);
        return XdgFolder("XDG_CONFIG_HOME", "/.config") + "/青松奇遇记/" + program + ".ini";
    }
    IniProfileFile m_ini;
};

class PosixFileWriter final : public IFileWriter {
public:
    explicit PosixFileWriter(int fd) : m_fd(fd) {}
    bool Write(const char* data, std::size_t size) override {
        if (WriteAll(m_fd.get(), data, size)) return true;
        m_error = std::strerror(errno);
        return false;
    }
    std::string Error() override { return m_error; }

private:
    Fd m_fd;
    std::string m_error;
};

// An advisory lock on the folder itself, so no lock file is left behind; the system drops
// it when its holder ends.
class FlockFolderLock final : public IFolderLock {
public:
    explicit FlockFolderLock(int fd) : m_fd(fd) {}

private:
    Fd m_fd;
};

class PosixFileOps final : public IFileOps {
public:
    long LastError() override { return t_lastError; }

    bool ReplaceAtomically(const std::string& from, const std::string& to) override {
        const std::string target = NativePath(to);
        // A program held without sharing (an exclusive lock) is not replaced under its holder.
        Fd held(::open(target.c_str(), O_RDONLY | O_CLOEXEC));
        if (held.get() >= 0 && ::flock(held.get(), LOCK_EX | LOCK_NB) != 0) return Result(false);
        RemoveStaleWriterCopies(target, ".xhnew");
        const std::string temp = target + ".xhnew" + std::to_string(::getpid());
        if (!CopyContent(NativePath(from), temp, true)) {
            const int error = errno;
            ::unlink(temp.c_str());
            errno = error;
            return Result(false);
        }
        if (::rename(temp.c_str(), target.c_str()) != 0) {
            const int error = errno;
            ::unlink(temp.c_str());
            errno = error;
            return Result(false);
        }
        return Result(true);
    }

    std::optional<std::vector<std::string>> ListFolder(const std::string& path) override {
        DIR* dir = ::opendir(NativePath(path).c_str());
        if (!dir) {
            Result(false);
            return std::nullopt;
        }
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(dir);
        return names;
    }

    bool SetTimes(const std::string& path, UnixTime, UnixTime access, UnixTime write) override {
        // No creation time to set here.
        const timespec times[2] = {{static_cast<time_t>(access), 0}, {static_cast<time_t>(write), 0}};
        return Result(::utimensat(AT_FDCWD, NativePath(path).c_str(), times, 0) == 0);
    }

    bool SetAttributes(const std::string& path, bool readOnly, bool, bool, bool) override {
        // Hidden, system and archive have no meaning here; read-only is a missing write bit.
        if (!readOnly) return true;
        struct stat st {};
        const std::string native = NativePath(path);
        if (::stat(native.c_str(), &st) != 0) return Result(false);
        return Result(::chmod(native.c_str(), st.st_mode & 07777 & ~static_cast<mode_t>(0222)) == 0);
    }

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

    std::unique_ptr<IFileWriter> OpenForAppend(const std::string& path) override {
        const int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            Result(false);
            return nullptr;
        }
        auto writer = std::make_unique<PosixFileWriter>(fd);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::lseek(fd, 0, SEEK_END) < 0) {
            Result(false);
            return nullptr;
        }
        return writer;
    }

    std::unique_ptr<IFolderLock> LockFolder(const std::string& path, unsigned waitMs) override {
        const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            Result(false);
            return nullptr;
        }
        auto lock = std::make_unique<FlockFolderLock>(fd);
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= end) {
                Result(false);
                return nullptr;
            }
            ::usleep(2000);
        }
        return lock;
    }

private:
    static bool Result(bool ok) {
        t_lastError = ok ? 0 : errno;
        return ok;
    }
};

// The freedesktop trash through GIO; where a volume has no trash the item is deleted, as
// the shell does on a volume without a recycle bin.
class GioShellDelete final : public IShellDelete {
public:
    bool DeleteItem(const std::string& path) override {
        const std::string native = NativePath(path);
        struct stat st {};
        if (::lstat(native.c_str(), &st) != 0) return false;
        GFile* file = g_file_new_for_path(native.c_str());
        GError* error = nullptr;
        const bool trashed = g_file_trash(file, nullptr, &error);
        g_object_unref(file);
        if (trashed) return true;
        const bool unsupported = error && error->domain == G_IO_ERROR && error->code == G_IO_ERROR_NOT_SUPPORTED;
        if (error) g_error_free(error);
        if (!unsupported) return false;
        std::error_code ec;
        std::filesystem::remove_all(native, ec);
        return !ec;
    }
    void NotifyRemoved(const std::string&, const std::string&) override {}
};

class LinkedArchive final : public IEmbeddedData {
public:
    std::optional<std::string> Archive() override {
        return std::string(xinghe_archive_begin, static_cast<std::size_t>(xinghe_archive_end - xinghe_archive_begin));
    }
};

// Questions go to the player in the skinned message box.
class SkinnedQuestionPrompt final : public IQuestionPrompt {
public:
    int Ask(const std::string& title, const std::string& message) override { return ShowQuestionBox(title, message); }
};

std::string QuoteExecArgument(const std::string& argument) {
    static const std::string kReserved = " \t\n\"'\\><~|&;$*?#()`";
    bool needsQuotes = argument.empty();
    for (const char c : argument) {
        if (kReserved.find(c) != std::string::npos) needsQuotes = true;
    }
    std::string out;
    for (const char c : argument) {
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        out += c;
        if (c == '%') out += '%';
    }
    return needsQuotes ? "\"" + out + "\"" : out;
}

// Backslashes of a string value are escaped once more by the entry format.
std::string EscapeValue(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

}  // namespace

std::string DesktopEntryText(const std::string& name, const ShortcutDetails& details) {
    std::string exec = QuoteExecArgument(NativePath(details.target));
    if (!details.arguments.empty()) exec += " " + QuoteExecArgument(details.arguments);
    std::string text = "[Desktop Entry]\nType=Application\nName=" + EscapeValue(name) + "\nExec=" + EscapeValue(exec) +
                       "\nTerminal=false\n";
    if (!details.iconPath.empty()) text += "Icon=" + EscapeValue(NativePath(details.iconPath)) + "\n";
    return text;
}

std::string XdgDesktopFolder() {
    const std::string home = HomeFolder();
    std::ifstream in(XdgFolder("XDG_CONFIG_HOME", "/.config") + "/user-dirs.dirs");
    for (std::string line; std::getline(in, line);) {
        const std::string key = "XDG_DESKTOP_DIR=\"";
        if (line.rfind(key, 0) != 0) continue;
        std::string value = line.substr(key.size());
        if (const auto quote = value.find('"'); quote != std::string::npos) value.resize(quote);
        if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
        if (!value.empty() && value[0] == '/') return value;
    }
    return home + "/Desktop";
}

std::unique_ptr<IUninstallRegistry> MakeFolderUninstallRegistry(const std::string& root) {
    return std::make_unique<FolderUninstallRegistry>(root);
}

void InstallUpdatePorts(Ports& target) {
    static CurlHttp http;
    static PosixProcessStarter starter;
    static XdgShellFolders shellFolders;
    static DesktopEntryShortcuts shortcuts;
    // The tests point the machine-wide folder at a folder of their own.
    static FolderUninstallRegistry registry([] {
        const char* root = std::getenv("XINGHE_UNINSTALL_ROOT");
        return std::string(root && *root == '/' ? root : kDefaultUninstallRoot);
    }());
    static IniUserProfile userProfile;
    static PosixFileOps fileOps;
    static GioShellDelete shellDelete;
    static LinkedArchive embedded;
    static SkinnedQuestionPrompt prompt;
    target.http = &http;
    target.starter = &starter;
    target.shellFolders = &shellFolders;
    target.shortcuts = &shortcuts;
    target.uninstallRegistry = &registry;
    target.userProfile = &userProfile;
    target.fileOps = &fileOps;
    target.shellDelete = &shellDelete;
    target.embedded = &embedded;
    target.prompt = &prompt;
}

}  // namespace xh::linuxport
