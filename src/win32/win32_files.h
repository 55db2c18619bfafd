#pragma once
#include "platform/ports.h"

namespace xh::win32 {

class Win32FileSystem final : public IFileSystem {
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

}  // namespace xh::win32
