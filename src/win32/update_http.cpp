// HTTP GET over WinINet, as the framework's internet session and HTTP file do it.
#include "win32/windows_api.h"

#include <wininet.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "win32/update_internal.h"
#include "win32/wide.h"

namespace xh::win32 {
namespace {

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::InternetCloseHandle(h); }
};
using ScopedInternet = UniqueHandle<InternetHandleTraits>;

// The text WinINet gives for its own codes, or the system's for the others.
std::string InternetErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                        (code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST ? FORMAT_MESSAGE_FROM_HMODULE
                                                                                    : FORMAT_MESSAGE_FROM_SYSTEM);
    const DWORD n = ::FormatMessageW(flags, ::GetModuleHandleW(L"wininet.dll"), code, 0,
                                     reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string message;
    if (n && text) {
        std::wstring_view view(text, n);
        while (!view.empty() && (view.back() == L'\r' || view.back() == L'\n' || view.back() == L' ')) {
            view.remove_suffix(1);
        }
        message = Narrow(view);
    }
    if (text) ::LocalFree(text);
    if (message.empty()) message = "Internet error " + std::to_string(code);
    return message;
}

// A read that receives nothing for the stall time is cancelled by closing the request from a
// watchdog thread: WinINet's own receive time-out is not honoured everywhere (Wine ignores it).
class WinInetRequest final : public IHttpRequest {
public:
    WinInetRequest(ScopedInternet session, ScopedInternet file, unsigned stallMs)
        : m_session(std::move(session)), m_file(file.release()), m_stallMs(stallMs) {
        if (m_stallMs) m_watchdog = std::thread([this] { Watch(); });
    }
    ~WinInetRequest() override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_ending = true;
        }
        m_wake.notify_all();
        if (m_watchdog.joinable()) m_watchdog.join();
        CloseFile();
    }
    WinInetRequest(const WinInetRequest&) = delete;
    WinInetRequest& operator=(const WinInetRequest&) = delete;

    long StatusCode() override {
        DWORD status = 0;
        DWORD size = sizeof status;
        if (!::HttpQueryInfoW(m_file, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
            return 0;
        }
        return static_cast<long>(status);
    }

    std::string ContentLength() override {
        wchar_t text[64] = {};
        DWORD size = sizeof text;
        if (!::HttpQueryInfoW(m_file, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return {};
        return Narrow(text);
    }

    long Read(char* buffer, std::size_t size) override {
        std::size_t filled = 0;
        while (filled < size) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_timedOut || !m_file) {
                    m_error = InternetErrorText(ERROR_INTERNET_TIMEOUT);
                    return -1;
                }
                m_reading = true;
                m_lastProgress = std::chrono::steady_clock::now();
            }
            DWORD got = 0;
            const BOOL ok = ::InternetReadFile(m_file, buffer + filled, static_cast<DWORD>(size - filled), &got);
            const DWORD error = ::GetLastError();
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_reading = false;
                if (m_timedOut) {
                    m_error = InternetErrorText(ERROR_INTERNET_TIMEOUT);
                    return -1;
                }
            }
            if (!ok) {
                m_error = InternetErrorText(error);
                return -1;
            }
            if (got == 0) break;
            filled += got;
        }
        return static_cast<long>(filled);
    }

    std::string Error() override { return m_error; }

private:
    void Watch() {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_ending) {
            m_wake.wait_for(lock, std::chrono::milliseconds(50));
            if (m_ending || !m_reading || m_timedOut) continue;
            if (std::chrono::steady_clock::now() - m_lastProgress >= std::chrono::milliseconds(m_stallMs)) {
                m_timedOut = true;
                ::InternetCloseHandle(m_file);
                m_file = nullptr;
            }
        }
    }
    void CloseFile() {
        if (m_file) ::InternetCloseHandle(m_file);
        m_file = nullptr;
    }

    ScopedInternet m_session;
    HINTERNET m_file;
    unsigned m_stallMs;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_watchdog;
    bool m_ending = false;
    bool m_reading = false;
    bool m_timedOut = false;
    std::chrono::steady_clock::time_point m_lastProgress;
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
        ScopedInternet file(::InternetOpenUrlW(session.get(), Widen(url).c_str(), nullptr, 0,
                                               INTERNET_FLAG_TRANSFER_ASCII, 1));
        if (!file) {
            error = InternetErrorText(::GetLastError());
            return nullptr;
        }
        if (options.stallTimeoutMs) {
            DWORD ms = options.stallTimeoutMs;
            ::InternetSetOptionW(file.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
        }
        return std::make_unique<WinInetRequest>(std::move(session), std::move(file), options.stallTimeoutMs);
    }
};

}  // namespace

IHttp& WinInetHttpAdapter() {
    static WinInetHttp http;
    return http;
}

}  // namespace xh::win32
