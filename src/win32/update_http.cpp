// HTTP GET over WinINet, as the framework's internet session and HTTP file do it.
#include "win32/windows_api.h"

#include <wininet.h>

#include <chrono>
#include <cstring>
#include <cwchar>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "win32/update_internal.h"
#include "win32/wide.h"

namespace xh::win32 {
namespace {

constexpr int kMaxRedirects = 10;

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::InternetCloseHandle(h); }
};
using ScopedInternet = UniqueHandle<InternetHandleTraits>;

// The text WinINet gives for its own codes, or the system's for the others.
std::string InternetErrorText(DWORD code) {
    const bool ours = code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST;
    const std::string message = ErrorMessageText(code, ours ? ::GetModuleHandleW(L"wininet.dll") : nullptr);
    return message.empty() ? "Internet error " + std::to_string(code) : message;
}

// The blocking calls (sending the request and waiting for its head, each read) run on a
// worker thread, and the caller waits for each only while its limits allow: a call that
// receives nothing for the stall time, or that is still going at the deadline, is given up.
// Closing the handles cancels the call on Windows; Wine ignores the receive time-out and lets
// a blocked call run on until the connection ends, so the caller never waits on the call
// itself. A worker left behind finishes its call, closes the handles and ends on its own.
class WinInetRequest final : public IHttpRequest {
public:
    using Clock = std::chrono::steady_clock;

    WinInetRequest(ScopedInternet session, const HttpOptions& options)
        : m_shared(std::make_shared<Shared>()), m_stallMs(options.stallTimeoutMs) {
        m_shared->session = session.release();
        if (options.deadlineMs) m_deadline = Clock::now() + std::chrono::milliseconds(options.deadlineMs);
        m_worker = std::thread([shared = m_shared] { Work(*shared); });
    }
    ~WinInetRequest() override {
        {
            std::lock_guard<std::mutex> lock(m_shared->mutex);
            m_shared->job = Job::Quit;
            m_shared->wake.notify_all();
        }
        // An idle worker ends at once; one still inside a given-up call ends when the call does.
        if (m_timedOut) {
            m_worker.detach();
        } else {
            m_worker.join();
        }
    }
    WinInetRequest(const WinInetRequest&) = delete;
    WinInetRequest& operator=(const WinInetRequest&) = delete;

    // Sends the GET and waits for the response's head; false with `error` when that failed.
    bool Open(const std::string& url, unsigned stallMs, std::string& error) {
        {
            std::lock_guard<std::mutex> lock(m_shared->mutex);
            m_shared->url = Widen(url);
        }
        if (!Call(Job::Open)) {
            error = m_error;
            return false;
        }
        if (stallMs) {
            DWORD ms = stallMs;
            ::InternetSetOptionW(m_shared->file, INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
        }
        return true;
    }

    long StatusCode() override {
        DWORD status = 0;
        DWORD size = sizeof status;
        if (!::HttpQueryInfoW(File(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
            return 0;
        }
        return static_cast<long>(status);
    }

    std::string ContentLength() override {
        wchar_t text[64] = {};
        DWORD size = sizeof text;
        if (!::HttpQueryInfoW(File(), HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return {};
        return Narrow(text);
    }

    long Read(char* buffer, std::size_t size) override {
        std::size_t filled = 0;
        while (filled < size) {
            if (!Call(Job::Read, static_cast<DWORD>(size - filled))) return -1;
            // The worker is idle again: its result is the caller's to take.
            const DWORD got = m_shared->got;
            if (got == 0) break;
            std::memcpy(buffer + filled, m_shared->buffer.data(), got);
            filled += got;
        }
        return static_cast<long>(filled);
    }

    std::string Error() override { return m_error; }

private:
    enum class Job { None, Open, Read, Quit };

    struct Shared {
        std::mutex mutex;
        std::condition_variable wake;  // a job for the worker
        std::condition_variable done;  // the job's result for the caller
        Job job = Job::None;
        HINTERNET session = nullptr;
        HINTERNET file = nullptr;
        std::wstring url;
        std::vector<char> buffer;
        DWORD wanted = 0;
        DWORD got = 0;
        bool ok = false;
        DWORD code = 0;

        // Closing the session as well cancels a request that has no handle of its own yet.
        void CloseHandles() {
            if (file) ::InternetCloseHandle(file);
            if (session) ::InternetCloseHandle(session);
            file = nullptr;
            session = nullptr;
        }
    };

    static void Work(Shared& shared) {
        std::unique_lock<std::mutex> lock(shared.mutex);
        for (;;) {
            shared.wake.wait(lock, [&] { return shared.job == Job::Open || shared.job == Job::Read ||
                                                shared.job == Job::Quit; });
            if (shared.job == Job::Quit) break;
            const Job job = shared.job;
            HINTERNET session = shared.session;
            HINTERNET file = shared.file;
            const std::wstring url = shared.url;
            std::vector<char> buffer(job == Job::Read ? shared.wanted : 0);
            lock.unlock();
            BOOL ok = FALSE;
            DWORD got = 0;
            HINTERNET opened = nullptr;
            DWORD code = 0;
            if (job == Job::Open) {
                opened = OpenFollowingRedirects(shared, session, url, code);
                ok = opened != nullptr;
            } else {
                ok = ::InternetReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got);
                code = ::GetLastError();
            }
            lock.lock();
            if (shared.job == Job::Quit) {
                // Given up while the call ran: what it opened is nobody's.
                if (opened) ::InternetCloseHandle(opened);
                break;
            }
            shared.file = opened ? opened : shared.file;
            shared.buffer = std::move(buffer);
            shared.got = got;
            shared.ok = ok;
            shared.code = code;
            shared.job = Job::None;
            shared.done.notify_all();
        }
        shared.CloseHandles();
    }

    // WinINet (Wine's at least) follows a redirect loop without end, and on to any scheme: the
    // redirects are followed here, at most kMaxRedirects, to http and https only.
    static HINTERNET OpenFollowingRedirects(Shared& shared, HINTERNET session, std::wstring url, DWORD& code) {
        for (int redirects = 0;; ++redirects) {
            HINTERNET file = ::InternetOpenUrlW(session, url.c_str(), nullptr, 0,
                                                INTERNET_FLAG_TRANSFER_ASCII | INTERNET_FLAG_NO_AUTO_REDIRECT, 1);
            if (!file) {
                code = ::GetLastError();
                return nullptr;
            }
            const std::optional<std::wstring> location = RedirectLocation(file);
            if (!location) return file;
            ::InternetCloseHandle(file);
            std::wstring next;
            if (redirects == kMaxRedirects || !CombineUrl(url, *location, next)) {
                code = ERROR_HTTP_REDIRECT_FAILED;
                return nullptr;
            }
            if (!IsHttpUrl(next)) {
                code = ERROR_INTERNET_UNRECOGNIZED_SCHEME;
                return nullptr;
            }
            url = std::move(next);
            std::lock_guard<std::mutex> lock(shared.mutex);
            if (shared.job == Job::Quit) {
                code = ERROR_INTERNET_OPERATION_CANCELLED;
                return nullptr;
            }
        }
    }

    // The Location of a redirecting response; nullopt for any other.
    static std::optional<std::wstring> RedirectLocation(HINTERNET file) {
        DWORD status = 0;
        DWORD size = sizeof status;
        if (!::HttpQueryInfoW(file, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
            return std::nullopt;
        }
        if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308) return std::nullopt;
        std::wstring location(512, L'\0');
        size = static_cast<DWORD>(location.size() * sizeof(wchar_t));
        if (!::HttpQueryInfoW(file, HTTP_QUERY_LOCATION, location.data(), &size, nullptr)) {
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
            location.assign(size / sizeof(wchar_t) + 1, L'\0');
            if (!::HttpQueryInfoW(file, HTTP_QUERY_LOCATION, location.data(), &size, nullptr)) return std::nullopt;
        }
        location.resize(size / sizeof(wchar_t));
        return location;
    }

    static bool CombineUrl(const std::wstring& base, const std::wstring& relative, std::wstring& combined) {
        DWORD size = 4096;
        for (int attempt = 0; attempt < 2; ++attempt) {
            combined.assign(size + 1, L'\0');
            if (::InternetCombineUrlW(base.c_str(), relative.c_str(), combined.data(), &size, 0)) {
                combined.resize(size);
                return true;
            }
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
        }
        return false;
    }

    static bool IsHttpUrl(const std::wstring& url) {
        const auto startsWith = [&](const wchar_t* scheme) {
            const std::size_t n = std::wcslen(scheme);
            return url.size() >= n && ::_wcsnicmp(url.c_str(), scheme, n) == 0;
        };
        return startsWith(L"http://") || startsWith(L"https://");
    }

    // Runs the job on the worker and waits for it within the limits; false with m_error set.
    bool Call(Job job, DWORD wanted = 0) {
        std::unique_lock<std::mutex> lock(m_shared->mutex);
        if (m_timedOut || (m_deadline && Clock::now() >= *m_deadline)) return TimedOut();
        m_shared->wanted = wanted;
        m_shared->job = job;
        m_shared->wake.notify_all();
        std::optional<Clock::time_point> limit = m_deadline;
        if (m_stallMs) {
            const auto stall = Clock::now() + std::chrono::milliseconds(m_stallMs);
            if (!limit || stall < *limit) limit = stall;
        }
        const auto finished = [&] { return m_shared->job == Job::None; };
        if (limit) {
            if (!m_shared->done.wait_until(lock, *limit, finished)) return TimedOut();
        } else {
            m_shared->done.wait(lock, finished);
        }
        if (!m_shared->ok) {
            m_error = InternetErrorText(m_shared->code);
            return false;
        }
        return true;
    }

    // With the shared state locked.
    bool TimedOut() {
        m_timedOut = true;
        m_shared->job = Job::Quit;
        m_shared->wake.notify_all();
        m_shared->CloseHandles();
        m_error = InternetErrorText(ERROR_INTERNET_TIMEOUT);
        return false;
    }

    HINTERNET File() {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        return m_shared->file;
    }

    std::shared_ptr<Shared> m_shared;
    std::thread m_worker;
    unsigned m_stallMs;
    std::optional<Clock::time_point> m_deadline;
    bool m_timedOut = false;
    std::string m_error;
};

class WinInetHttp final : public IHttp {
public:
    std::unique_ptr<IHttpRequest> Open(const std::string& url, const HttpOptions& options, std::string& error) override {
        // The framework's default agent is the application's name; the system's proxy settings.
        ScopedInternet session(::InternetOpenW(L"xinghe-launcher", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!session) {
            error = InternetErrorText(::GetLastError());
            return nullptr;
        }
        if (options.connectTimeoutMs) {
            DWORD ms = options.connectTimeoutMs;
            ::InternetSetOptionW(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &ms, sizeof ms);
        }
        if (options.stallTimeoutMs) {
            DWORD ms = options.stallTimeoutMs;
            ::InternetSetOptionW(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
        }
        auto request = std::make_unique<WinInetRequest>(std::move(session), options);
        if (!request->Open(url, options.stallTimeoutMs, error)) return nullptr;
        return request;
    }
};

}  // namespace

IHttp& WinInetHttpAdapter() {
    static WinInetHttp http;
    return http;
}

}  // namespace xh::win32
