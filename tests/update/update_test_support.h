#pragma once
// Shared by the update and installation tests: a loopback HTTP server, the update log read
// back as messages, and ports that record process starts instead of making them.
#ifndef XINGHE_NO_HTTPLIB
#include <httplib.h>
#endif

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/utf.h"
#include "platform/ports.h"
#include "support/temp_dir.h"

namespace xh::testing {

#ifndef XINGHE_NO_HTTPLIB
// An HTTP server on 127.0.0.1 with an ephemeral port, running while the object lives.
class LoopbackServer {
public:
    httplib::Server server;

    LoopbackServer() = default;
    ~LoopbackServer() { Stop(); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Call after the routes are in place.
    void Start() {
        m_port = server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { server.listen_after_bind(); });
        // The socket listens from the bind on; stop() only works once the loop runs.
        while (!server.is_running()) std::this_thread::yield();
    }
    void Stop() {
        if (m_thread.joinable()) {
            server.stop();
            m_thread.join();
        }
    }
    int Port() const { return m_port; }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(m_port); }

private:
    int m_port = 0;
    std::thread m_thread;
};
#endif

// A path the core composed (profile names carry "\\") as this platform's file functions read it.
inline std::string Native(std::string path) {
#ifndef _WIN32
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
#endif
    return path;
}

// The messages of update.log (UTF-16LE lines), each without its time stamp and tag.
inline std::vector<std::string> ReadUpdateLogMessages(const std::string& path) {
    const std::string bytes = TempDir::Read(Native(path));
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    // Every line is "YYYY-MM-DD hh:mm:ss : \tUpdateModule\t" + message + "\r\n"; a message may
    // hold line breaks of its own, so lines are cut where the next stamp begins.
    const std::string all = Utf16ToUtf8(text);
    const std::string tag = " : \tUpdateModule\t";
    constexpr std::size_t kStamp = 19;
    std::vector<std::size_t> tags;
    for (auto at = all.find(tag); at != std::string::npos; at = all.find(tag, at + 1)) tags.push_back(at);
    std::vector<std::string> messages;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        const std::size_t begin = tags[i] + tag.size();
        const std::size_t end = i + 1 < tags.size() ? tags[i + 1] - kStamp : all.size();
        std::string message = all.substr(begin, end - begin);
        if (message.size() >= 2 && message.compare(message.size() - 2, 2, "\r\n") == 0) {
            message.resize(message.size() - 2);
        } else {
            message += "<unterminated>";
        }
        messages.push_back(message);
    }
    return messages;
}

struct ExitCalled {
    int code;
};

// The running program as the test chooses it; Exit throws instead of ending the test.
class ScriptedProcess final : public IProcess {
public:
    std::string modulePath;
    std::string RawCommandLine() override { return modulePath; }
    std::string ModulePath() override { return modulePath; }
    [[noreturn]] void Exit(int code) override { throw ExitCalled{code}; }
};

class RecordingStarter final : public IProcessStarter {
public:
    struct Start_ {
        std::string program;
        std::optional<std::string> commandLine;
    };
    std::vector<Start_> starts;
    bool canRemoveRunningProgram = false;
    bool Start(const std::string& program, const std::optional<std::string>& commandLine) override {
        starts.push_back({program, commandLine});
        return true;
    }
    bool CanRemoveRunningProgram() override { return canRemoveRunningProgram; }
};

// The real folders adapter with the application-data folder moved into a test folder.
class SandboxFolders final : public IFolders {
public:
    SandboxFolders(IFolders& real, std::string appData) : m_real(real), m_appData(std::move(appData)) {}
    char PathSeparator() override { return m_real.PathSeparator(); }
    std::string AppData() override { return m_appData; }

private:
    IFolders& m_real;
    std::string m_appData;
};

class SandboxShellFolders final : public IShellFolders {
public:
    std::optional<std::string> programs, desktop;
    std::optional<std::string> Programs() override { return programs; }
    std::optional<std::string> Desktop() override { return desktop; }
};

}  // namespace xh::testing

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace xh::testing {

// Keeps a file open with nobody else allowed in, as another process holding it would.
class ExclusiveHold {
public:
    explicit ExclusiveHold(const std::string& path) {
#ifdef _WIN32
        const std::u16string wide = Utf8ToUtf16(Native(path));
        m_handle = ::CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), GENERIC_READ | GENERIC_WRITE, 0,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
#else
        m_fd = ::open(Native(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd >= 0) ::flock(m_fd, LOCK_EX);
#endif
    }
    ~ExclusiveHold() {
#ifdef _WIN32
        if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
#else
        if (m_fd >= 0) ::close(m_fd);
#endif
    }
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;

private:
#ifdef _WIN32
    HANDLE m_handle = INVALID_HANDLE_VALUE;
#else
    int m_fd = -1;
#endif
};

}  // namespace xh::testing
