#pragma once
// A TCP server on 127.0.0.1 (ephemeral port) whose connections are answered by hand, byte by
// byte: for the misbehaviour an HTTP library will not produce (an answer trickled one byte a
// second, a connection accepted and left silent, a reset, a redirect loop). POSIX only.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace xh::testing {

class RawServer;

// One accepted connection, handed to the server's handler on a thread of its own.
class RawConnection {
public:
    RawConnection(int fd, RawServer& server) : m_fd(fd), m_server(server) {}
    ~RawConnection() {
        if (m_fd >= 0) ::close(m_fd);
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // The next request's target ("/path?query"); "" when the peer went away or the server stops.
    inline std::string ReadRequest();
    // False once the peer no longer takes data (or the server stops while it waits for room).
    inline bool Send(const std::string& bytes);
    // One byte per `interval`; false when the peer went away or the server stops.
    inline bool Trickle(const std::string& bytes, std::chrono::milliseconds interval);
    // The server's port, as the peer reached it.
    int LocalPort() const {
        sockaddr_in address{};
        socklen_t size = sizeof address;
        if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
        return ntohs(address.sin_port);
    }
    // Aborts the connection: the peer sees a reset, not an orderly end.
    void Reset() {
        const linger abort{1, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        ::close(m_fd);
        m_fd = -1;
    }
    // Sends nothing and waits until the peer closes (or the server stops).
    inline void StaySilent();
private:
    // Waits up to `ms` for input; false when the server stops.
    inline bool WaitReadable(int ms, bool& readable);

    int m_fd;
    RawServer& m_server;
    std::string m_pending;
};

class RawServer {
public:
    using Handler = std::function<void(RawConnection&)>;

    explicit RawServer(Handler handler) : m_handler(std::move(handler)) {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(m_listener, 16) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            return;
        }
        m_port = ntohs(address.sin_port);
        m_acceptor = std::thread([this] { Accept(); });
    }
    ~RawServer() { Stop(); }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    int Port() const { return m_port; }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    int Connections() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_accepted;
    }

    // Ends every connection's handler (they watch Stopping()) and closes the socket.
    void Stop() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        if (m_acceptor.joinable()) m_acceptor.join();
        for (auto& t : m_workers) t.join();
        m_workers.clear();
        if (m_listener >= 0) ::close(m_listener);
        m_listener = -1;
    }
    bool Stopping() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_stopping;
    }
    // Sleeps for `duration` unless the server stops first; false when it stops.
    bool Pause(std::chrono::milliseconds duration) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return !m_wake.wait_for(lock, duration, [this] { return m_stopping; });
    }

private:
    void Accept() {
        while (!Stopping()) {
            pollfd p{m_listener, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_accepted;
            m_workers.emplace_back([this, fd] {
                RawConnection connection(fd, *this);
                m_handler(connection);
            });
        }
    }

    Handler m_handler;
    int m_listener = -1;
    int m_port = 0;
    std::thread m_acceptor;
    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    int m_accepted = 0;
};

bool RawConnection::WaitReadable(int ms, bool& readable) {
    pollfd p{m_fd, POLLIN, 0};
    readable = ::poll(&p, 1, ms) > 0;
    return !m_server.Stopping();
}

std::string RawConnection::ReadRequest() {
    for (;;) {
        const auto end = m_pending.find("\r\n\r\n");
        if (end != std::string::npos) {
            const std::string head = m_pending.substr(0, end);
            m_pending.erase(0, end + 4);
            const auto first = head.find(' ');
            const auto second = head.find(' ', first + 1);
            if (first == std::string::npos || second == std::string::npos) return {};
            return head.substr(first + 1, second - first - 1);
        }
        bool readable = false;
        if (!WaitReadable(50, readable)) return {};
        if (!readable) continue;
        char buffer[4096];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0) return {};
        m_pending.append(buffer, static_cast<std::size_t>(n));
    }
}

bool RawConnection::Send(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        // Never blocked in send: a peer that stops reading must not keep Stop() waiting.
        const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        pollfd p{m_fd, POLLOUT, 0};
        ::poll(&p, 1, 50);
        if (m_server.Stopping()) return false;
    }
    return true;
}

bool RawConnection::Trickle(const std::string& bytes, std::chrono::milliseconds interval) {
    for (const char c : bytes) {
        if (!Send(std::string(1, c)) || !m_server.Pause(interval)) return false;
    }
    return true;
}

void RawConnection::StaySilent() {
    for (;;) {
        bool readable = false;
        if (!WaitReadable(50, readable)) return;
        if (!readable) continue;
        char buffer[4096];
        if (::recv(m_fd, buffer, sizeof buffer, 0) <= 0) return;
    }
}

}  // namespace xh::testing
