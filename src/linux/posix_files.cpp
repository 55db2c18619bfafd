#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <memory>
#include <sstream>

#include "linux/linux_ports.h"
#include "linux/posix_files.h"

namespace xh::linuxport {

std::string NativePath(const std::string& path) {
    std::string out = path;
    for (char& c : out) {
        if (c == '\\') c = '/';
    }
    return out;
}

Fd::~Fd() {
    if (fd_ >= 0) ::close(fd_);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool PosixFileSystem::Exists(const std::string& path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0;
}

bool PosixFileSystem::IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::uint64_t> PosixFileSystem::FileSize(const std::string& path) {
    struct stat st {};
    if (::stat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::string> PosixFileSystem::ReadFile(const std::string& path) {
    // Without O_NONBLOCK a pipe put in a file's place would hold the open until a writer came.
    Fd fd(::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::string data;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        data.append(buf, static_cast<std::size_t>(n));
    }
    return data;
}

void RemoveStaleWriterCopies(const std::string& target, const std::string& marker) {
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string prefix = target.substr(slash == std::string::npos ? 0 : slash + 1) + marker;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.size() <= prefix.size() || name.size() > prefix.size() + 9 || name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const std::string digits = name.substr(prefix.size());
        if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t writer = static_cast<pid_t>(std::stol(digits));
        if (writer == ::getpid() || ::kill(writer, 0) == 0 || errno != ESRCH) continue;
        ::unlink((folder + "/" + name).c_str());
    }
}

// Written beside the target and renamed over it, so that a crash or a full disk never
// leaves a half-written file behind.
bool PosixFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
    const std::string target = NativePath(path);
    RemoveStaleWriterCopies(target, ".tmp");
    const std::string temp = target + ".tmp" + std::to_string(::getpid());
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
    {
        Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
        if (fd.get() < 0) return false;
        if (!WriteAll(fd.get(), bytes.data(), bytes.size()) || ::fsync(fd.get()) != 0) {
            ::unlink(temp.c_str());
            return false;
        }
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool PosixFileSystem::RemoveFile(const std::string& path) { return ::unlink(NativePath(path).c_str()) == 0; }

bool PosixFileSystem::CreateDirectory(const std::string& path) {
    return ::mkdir(NativePath(path).c_str(), 0755) == 0;
}

// No sharing: an exclusive advisory lock taken without waiting stands in for the
// Windows share mode, so a writer that meets the file in use loses its line.
bool PosixFileSystem::AppendExclusive(const std::string& path, const std::string& bytes) {
    const std::string native = NativePath(path);
    int raw = ::open(native.c_str(), O_RDWR | O_CLOEXEC);
    if (raw < 0) raw = ::open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    Fd fd(raw);
    if (fd.get() < 0) return false;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return false;
    const off_t end = ::lseek(fd.get(), 0, SEEK_END);
    if (end < 0) return false;
    if (WriteAll(fd.get(), bytes.data(), bytes.size())) return true;
    // A full disk can take part of the bytes; half a line would run into the next one.
    while (::ftruncate(fd.get(), end) != 0 && errno == EINTR) {
    }
    return false;
}

}  // namespace xh::linuxport
