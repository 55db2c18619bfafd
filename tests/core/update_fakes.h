#pragma once
// Fakes of the update and installation ports, over the in-memory file tree of FakePorts.
#include <map>
#include <string>
#include <vector>

#include "controls/control_types.h"
#include "platform/ports.h"
#include "support/fake_ports.h"

namespace xh::testing {

class ScriptedPrompt final : public IQuestionPrompt {
public:
    int answer = kIdCancel;
    std::vector<std::pair<std::string, std::string>> asked;
    int Ask(const std::string& title, const std::string& message) override {
        asked.emplace_back(title, message);
        return answer;
    }
};

class StartRecorder final : public IProcessStarter {
public:
    std::vector<std::pair<std::string, std::optional<std::string>>> starts;
    bool removable = false;
    bool Start(const std::string& program, const std::optional<std::string>& commandLine) override {
        starts.emplace_back(program, commandLine);
        return true;
    }
    bool CanRemoveRunningProgram() override { return removable; }
};

class FixedShellFolders final : public IShellFolders {
public:
    std::optional<std::string> programs = "/home/player/.local/share/applications";
    std::optional<std::string> desktop = "/home/player/Desktop";
    std::optional<std::string> Programs() override { return programs; }
    std::optional<std::string> Desktop() override { return desktop; }
};

class MemoryRegistry final : public IUninstallRegistry {
public:
    bool writable = true;
    std::map<std::string, std::map<std::string, std::string>> entries;
    KeyCreation CreateEntry(const std::string& name) override {
        if (!writable) return KeyCreation::Failed;
        return entries.emplace(name, std::map<std::string, std::string>{}).second ? KeyCreation::CreatedNew
                                                                                   : KeyCreation::OpenedExisting;
    }
    bool SetValue(const std::string& name, const std::string& value, const std::string& data) override {
        if (!entries.count(name)) return false;
        entries[name][value] = data;
        return true;
    }
    bool DeleteEntry(const std::string& name) override { return writable && entries.erase(name) > 0; }
};

// Shell deletion and file operations over MemoryFileSystem; every deletion is recorded.
class MemoryShell final : public IShellDelete, public IFileOps {
public:
    explicit MemoryShell(MemoryFileSystem& files) : m_files(files) {}
    std::vector<std::string> deleted, notified;

    bool DeleteItem(const std::string& path) override {
        const std::string p = MemoryFileSystem::Normalize(path);
        bool any = m_files.files.erase(p) > 0;
        if (m_files.directories.erase(p)) {
            any = true;
            std::erase_if(m_files.files, [&](const auto& f) { return f.first.rfind(p + "/", 0) == 0; });
            std::erase_if(m_files.directories, [&](const auto& d) { return d.rfind(p + "/", 0) == 0; });
        }
        if (any) deleted.push_back(p);
        return any;
    }
    void NotifyRemoved(const std::string& path, const std::string& parent) override {
        notified.push_back(path + " in " + parent);
    }

    long LastError() override { return 0; }
    bool ReplaceAtomically(const std::string& from, const std::string& to) override {
        const auto data = m_files.ReadFile(from);
        return data && m_files.WriteFile(to, *data);
    }
    std::optional<std::vector<std::string>> ListFolder(const std::string& path) override {
        const std::string p = MemoryFileSystem::Normalize(path);
        if (!m_files.directories.count(p)) return std::nullopt;
        std::vector<std::string> names;
        auto collect = [&](const std::string& child) {
            if (child.rfind(p + "/", 0) == 0 && child.find('/', p.size() + 1) == std::string::npos) {
                names.push_back(child.substr(p.size() + 1));
            }
        };
        for (const auto& [f, data] : m_files.files) collect(f);
        for (const auto& d : m_files.directories) collect(d);
        return names;
    }
    bool SetTimes(const std::string&, UnixTime, UnixTime, UnixTime) override { return true; }
    bool SetAttributes(const std::string&, bool, bool, bool, bool) override { return true; }
    std::optional<UnixTime> LocalToUnix(const LocalTime&) override { return 0; }
    std::unique_ptr<IFileWriter> OpenForAppend(const std::string&) override { return nullptr; }

private:
    MemoryFileSystem& m_files;
};

class MemoryShortcuts final : public IShortcuts {
public:
    explicit MemoryShortcuts(MemoryFileSystem& files) : m_files(files) {}
    std::string Extension() override { return ".lnk"; }
    bool Create(const std::string& linkPath, const ShortcutDetails& details) override {
        return m_files.WriteFile(linkPath, details.target + "|" + details.arguments + "|" + details.iconPath);
    }

private:
    MemoryFileSystem& m_files;
};

// FakePorts with the update and installation fakes added.
class UpdateFakes {
public:
    UpdateFakes() : shell(fake.files), shortcuts(fake.files) {
        Ports& p = ports();
        p.starter = &starter;
        p.shellFolders = &shellFolders;
        p.shortcuts = &shortcuts;
        p.uninstallRegistry = &registry;
        p.fileOps = &shell;
        p.shellDelete = &shell;
        p.prompt = &prompt;
    }
    // Makes every level of the folder.
    void MakeFolders(const std::string& path) {
        for (auto at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
            fake.files.directories.insert(path.substr(0, at));
        }
        fake.files.directories.insert(path);
    }

    FakePorts fake;
    StartRecorder starter;
    FixedShellFolders shellFolders;
    MemoryShell shell;
    MemoryShortcuts shortcuts;
    MemoryRegistry registry;
    ScriptedPrompt prompt;
};

}  // namespace xh::testing

namespace xh::testing {

// Version texts by file, as the version resource would give them.
class MapVersionInfo final : public IVersionInfo {
public:
    std::map<std::string, std::string> versions;  // path -> FileVersion; a missing path has none
    std::optional<VersionResource> Read(const std::string& path) override {
        const auto it = versions.find(path);
        if (it == versions.end()) return std::nullopt;
        VersionResource r;
        r.translations = {{0x0804, 0x03a8}};
        r.strings = {{"\\StringFileInfo\\080403a8\\FileVersion", it->second}};
        return r;
    }
};

class MemoryUserProfile final : public IUserProfile {
public:
    std::map<std::string, std::string> values;  // "section/key" -> value
    int writes = 0;
    std::string GetString(const std::string& section, const std::string& key, const std::string& def) override {
        const auto it = values.find(section + "/" + key);
        return it == values.end() ? def : it->second;
    }
    bool WriteString(const std::string& section, const std::string& key, const std::string& value) override {
        values[section + "/" + key] = value;
        ++writes;
        return true;
    }
};

}  // namespace xh::testing
