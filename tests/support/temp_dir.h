#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace xh::testing {

class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("xinghe-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // UTF-8 path of a name inside the folder, as the ports take it.
    std::string operator/(const std::string& name) const { return Utf8(path_ / std::filesystem::u8path(name)); }

    static std::string Utf8(const std::filesystem::path& p) {
        const std::u8string s = p.u8string();
        return std::string(s.begin(), s.end());
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(std::filesystem::u8path(path), std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path path_;
};

}  // namespace xh::testing
