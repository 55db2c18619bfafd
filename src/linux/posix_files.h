#pragma once
#include "platform/ports.h"

#include <cstddef>

namespace xh::linuxport {

// Owns a file descriptor; -1 is none.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd();
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Writes every byte, through interrupted and partial writes; false on the first failure.
bool WriteAll(int fd, const char* data, std::size_t size);

class PosixFileSystem final : public IFileSystem {
public:
    bool Exists(const std::string& path) override;
    bool IsDirectory(const std::string& path) override;
    std::optional<std::uint64_t> FileSize(const std::string& path) override;
    std::optional<std::string> ReadFile(const std::string& path) override;
    bool WriteFile(const std::string& path, const std::string& bytes) override;
    bool RemoveFile(const std::string& path) override;
    bool CreateDirectory(const std::string& path) override;
    bool AppendExclusive(const std::string& path, const std::string& bytes) override;
};

// A write killed between its copy and its rename leaves the copy beside the target, named
// `target` + `marker` + the writer's process id. Those of ended processes would pile up, one
// per interrupted write, so they go before a new copy is written; a running writer's stays.
void RemoveStaleWriterCopies(const std::string& target, const std::string& marker);

}  // namespace xh::linuxport
