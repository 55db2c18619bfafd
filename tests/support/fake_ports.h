#pragma once
// Fakes of the ports for the portable tests: an in-memory file tree, a fixed clock,
// the compiled profile table and a UTF-8 "ANSI" code page.
#include <map>
#include <set>
#include <string>

#include "platform/ports.h"

namespace xh::testing {

class MemoryFileSystem final : public IFileSystem {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> directories;
    std::set<std::string> locked;  // paths whose exclusive open fails

    // Like the platforms, a doubled separator reads as one.
    static std::string Normalize(std::string p);

    bool Exists(const std::string& p) override { return files.count(Normalize(p)) || directories.count(Normalize(p)); }
    bool IsDirectory(const std::string& p) override { return directories.count(Normalize(p)) > 0; }
    std::optional<std::uint64_t> FileSize(const std::string& p) override;
    std::optional<std::string> ReadFile(const std::string& p) override;
    bool WriteFile(const std::string& p, const std::string& bytes) override;
    bool RemoveFile(const std::string& p) override { return files.erase(Normalize(p)) > 0; }
    bool CreateDirectory(const std::string& p) override { return directories.insert(Normalize(p)).second; }
    bool AppendExclusive(const std::string& p, const std::string& bytes) override;

private:
    bool ParentExists(const std::string& p) const;
};

class FixedClock final : public IClock {
public:
    std::optional<LocalTime> now = LocalTime{2024, 3, 5, 9, 7, 2};
    std::uint64_t millis = 0;
    std::optional<LocalTime> NowLocal() override { return now; }
    std::uint64_t SteadyMillis() override { return millis; }
    void SleepMillis(unsigned ms) override { millis += ms; }
};

class TableStrings final : public IStringTable {
public:
    std::string Load(unsigned id) override;
};

class Utf8Codec final : public ITextCodec {
public:
    std::optional<std::string> AnsiToUtf8(const std::string& b) override;
    std::optional<std::string> Utf8ToAnsi(const std::string& t) override { return t; }
};

class FakeFolders final : public IFolders {
public:
    std::string appData = "/home/player/.local/share";
    char PathSeparator() override { return '/'; }
    std::string AppData() override { return appData; }
};

class FakeProcess final : public IProcess {
public:
    std::string commandLine;
    std::string modulePath = "/opt/xinghe/xinghe-launcher";
    std::string RawCommandLine() override { return commandLine; }
    std::string ModulePath() override { return modulePath; }
    [[noreturn]] void Exit(int code) override { throw code; }
};

// All fakes, installed for the lifetime of the object.
class FakePorts {
public:
    FakePorts();
    ~FakePorts();
    FakePorts(const FakePorts&) = delete;
    FakePorts& operator=(const FakePorts&) = delete;

    MemoryFileSystem files;
    FixedClock clock;
    TableStrings strings;
    Utf8Codec codec;
    FakeFolders folders;
    FakeProcess process;

private:
    Ports saved_;
};

}  // namespace xh::testing
