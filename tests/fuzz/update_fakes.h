#pragma once
// A scripted HTTP answer and the update ports over the in-memory file tree, for the targets
// that feed the update module hostile answers.
#include <algorithm>
#include <cstring>

#include "platform/ports.h"
#include "settings/settings.h"
#include "support/fake_ports.h"

namespace xh::fuzz {

struct Answer {
    bool opens = true;
    long status = 200;
    std::string contentLength;
    std::string body;
    std::size_t pieceSize = 1024;          // at most this many bytes per read
    std::size_t failAt = std::string::npos;  // a read from this offset on fails
};

class ScriptedRequest final : public IHttpRequest {
public:
    explicit ScriptedRequest(const Answer& answer) : m_answer(answer) {}
    long StatusCode() override { return m_answer.status; }
    std::string ContentLength() override { return m_answer.contentLength; }
    long Read(char* buffer, std::size_t size) override {
        if (m_at >= m_answer.failAt) return -1;
        const std::size_t n = std::min({size, m_answer.pieceSize, m_answer.body.size() - m_at});
        std::memcpy(buffer, m_answer.body.data() + m_at, n);
        m_at += n;
        return static_cast<long>(n);
    }
    std::string Error() override { return "The connection with the server was reset"; }

private:
    const Answer& m_answer;
    std::size_t m_at = 0;
};

class ScriptedHttp final : public IHttp {
public:
    Answer answer;
    std::unique_ptr<IHttpRequest> Open(const std::string&, const HttpOptions&, std::string& error) override {
        if (!answer.opens) {
            error = "A connection with the server could not be established";
            return nullptr;
        }
        return std::make_unique<ScriptedRequest>(answer);
    }
};

class MemoryWriter final : public IFileWriter {
public:
    explicit MemoryWriter(std::string& file) : m_file(file) {}
    bool Write(const char* data, std::size_t size) override {
        m_file.append(data, size);
        return true;
    }
    std::string Error() override { return {}; }

private:
    std::string& m_file;
};

class MemoryFileOps final : public IFileOps {
public:
    explicit MemoryFileOps(testing::MemoryFileSystem& files) : m_files(files) {}
    long LastError() override { return 0; }
    bool ReplaceAtomically(const std::string&, const std::string&) override { return false; }
    std::optional<std::vector<std::string>> ListFolder(const std::string&) override { return std::nullopt; }
    bool SetTimes(const std::string&, UnixTime, UnixTime, UnixTime) override { return true; }
    bool SetAttributes(const std::string&, bool, bool, bool, bool) override { return true; }
    std::optional<UnixTime> LocalToUnix(const LocalTime&) override { return 0; }
    std::unique_ptr<IFileWriter> OpenForAppend(const std::string& path) override {
        if (!m_files.AppendExclusive(path, {})) return nullptr;
        return std::make_unique<MemoryWriter>(m_files.files[testing::MemoryFileSystem::Normalize(path)]);
    }

private:
    testing::MemoryFileSystem& m_files;
};

class MemoryDigest final : public IDigest {
public:
    std::optional<std::string> FileMd5(const std::string&) override { return std::string(16, '\x5a'); }
};

class RecordingStarter final : public IProcessStarter {
public:
    std::vector<std::string> commandLines;
    bool Start(const std::string&, const std::optional<std::string>& commandLine) override {
        commandLines.push_back(commandLine.value_or(""));
        return true;
    }
    bool CanRemoveRunningProgram() override { return true; }
};

// The fake ports with the update ports added and the folders the update module writes to.
struct UpdateWorld {
    testing::FakePorts fake;
    ScriptedHttp http;
    MemoryFileOps fileOps{fake.files};
    MemoryDigest digest;
    RecordingStarter starter;

    UpdateWorld() {
        Ports& p = ports();
        p.http = &http;
        p.fileOps = &fileOps;
        p.digest = &digest;
        p.starter = &starter;
        const std::string data = GetDataFolder();
        for (auto at = data.find('/', 1); at != std::string::npos; at = data.find('/', at + 1)) {
            fake.files.directories.insert(data.substr(0, at));
        }
        fake.files.directories.insert(data + "res");
    }
    // Each input starts from an empty log and no download.
    void Reset() {
        fake.files.files.clear();
        starter.commandLines.clear();
    }
};

}  // namespace xh::fuzz
