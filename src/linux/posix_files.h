#pragma once
#include "platform/ports.h"

namespace xh::linuxport {

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
