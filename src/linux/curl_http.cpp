#include "linux/curl_http.h"

#include <curl/curl.h>

#include <chrono>
#include <cstring>

namespace xh::linuxport {
namespace {

// Received bytes beyond this wait inside libcurl (the transfer is paused) until read.
constexpr std::size_t kBufferLimit = 256 * 1024;
constexpr int kPollMs = 100;
// libcurl follows redirects without end unless told otherwise.
constexpr long kMaxRedirects = 10;
constexpr const char* kTimedOut = "The operation timed out";

std::uint64_t NowMs() {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
    std::size_t start = 0;
    while (start < s.size() && (s[start] == ' ' || s[start] == '\t')) ++start;
    return s.substr(start);
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    const std::size_t n = std::strlen(prefix);
    return text.size() >= n && ::strncasecmp(text.c_str(), prefix, n) == 0;
}

class CurlRequest final : public IHttpRequest {
public:
    CurlRequest(const std::string& url, const HttpOptions& options)
        : m_stallMs(options.stallTimeoutMs), m_deadline(options.deadlineMs ? NowMs() + options.deadlineMs : 0) {
        m_easy = curl_easy_init();
        m_multi = curl_multi_init();
        if (!m_easy || !m_multi) return;
        curl_easy_setopt(m_easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, kMaxRedirects);
        // Only what WinINet's HTTP file would fetch: a redirect must not lead to ftp or a local file.
        curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(m_easy, CURLOPT_USERAGENT, "xinghe-launcher");
        curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
        curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &CurlRequest::OnBody);
        curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &CurlRequest::OnHeader);
        curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
        if (options.connectTimeoutMs) {
            curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connectTimeoutMs));
        }
        curl_multi_add_handle(m_multi, m_easy);
        m_added = true;
    }
    ~CurlRequest() override {
        if (m_added) curl_multi_remove_handle(m_multi, m_easy);
        if (m_easy) curl_easy_cleanup(m_easy);
        if (m_multi) curl_multi_cleanup(m_multi);
    }
    CurlRequest(const CurlRequest&) = delete;
    CurlRequest& operator=(const CurlRequest&) = delete;

    // Runs the transfer until the response's head is in; false (with Error()) when it failed.
    bool WaitForHead() {
        if (!m_added) {
            m_error = "The internet session could not be started";
            return false;
        }
        Pump([this] { return m_headDone; });
        if (m_headDone) return true;
        if (m_error.empty()) m_error = "The server returned no response";
        return false;
    }

    long StatusCode() override { return m_status; }
    std::string ContentLength() override { return m_contentLength; }

    long Read(char* buffer, std::size_t size) override {
        if (!m_error.empty()) return -1;
        Pump([&] { return m_body.size() - m_offset >= size; });
        const std::size_t available = m_body.size() - m_offset;
        if (available == 0 && !m_error.empty()) return -1;
        const std::size_t n = available < size ? available : size;
        std::memcpy(buffer, m_body.data() + m_offset, n);
        m_offset += n;
        if (m_offset == m_body.size()) {
            m_body.clear();
            m_offset = 0;
        } else if (m_offset >= kBufferLimit) {
            // Drop what was handed out, or a reader that never empties the buffer exactly
            // would keep the whole body in memory.
            m_body.erase(0, m_offset);
            m_offset = 0;
        }
        return static_cast<long>(n);
    }

    std::string Error() override { return m_error; }

private:
    template <typename Done>
    void Pump(Done done) {
        m_lastProgress = NowMs();
        while (!done() && !m_finished) {
            if (m_paused) {
                m_paused = false;
                curl_easy_pause(m_easy, CURLPAUSE_CONT);
                if (done()) break;
            }
            int running = 0;
            if (curl_multi_perform(m_multi, &running) != CURLM_OK) {
                Fail("The internet connection failed");
                break;
            }
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
                if (message->msg != CURLMSG_DONE) continue;
                m_finished = true;
                // A body cut short ends like a complete one; the caller compares the length.
                const CURLcode result = message->data.result;
                if (result != CURLE_OK && result != CURLE_PARTIAL_FILE) {
                    const char* detail = m_errorBuffer[0] ? m_errorBuffer : curl_easy_strerror(result);
                    Fail(detail);
                }
            }
            if (m_finished || done()) break;
            if (m_deadline && NowMs() >= m_deadline) {
                Fail(kTimedOut);
                break;
            }
            // A paused transfer waits for the reader, not for the network.
            if (m_paused) continue;
            if (m_stallMs && NowMs() - m_lastProgress >= m_stallMs) {
                Fail(kTimedOut);
                break;
            }
            curl_multi_poll(m_multi, nullptr, 0, kPollMs, nullptr);
        }
    }

    void Fail(const std::string& message) {
        m_finished = true;
        if (m_error.empty()) m_error = message;
    }

    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self) {
        auto* request = static_cast<CurlRequest*>(self);
        const std::size_t n = size * count;
        request->m_headDone = true;
        request->m_lastProgress = NowMs();
        if (request->m_body.size() - request->m_offset >= kBufferLimit) {
            request->m_paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        request->m_body.append(data, n);
        return n;
    }

    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
        auto* request = static_cast<CurlRequest*>(self);
        const std::size_t n = size * count;
        request->m_lastProgress = NowMs();
        const std::string line(data, n);
        if (StartsWithNoCase(line, "HTTP/")) {
            // A new response begins (after a redirect or an interim answer).
            request->m_status = 0;
            request->m_contentLength.clear();
            request->m_location = false;
            const auto space = line.find(' ');
            if (space != std::string::npos) request->m_status = std::strtol(line.c_str() + space + 1, nullptr, 10);
        } else if (StartsWithNoCase(line, "Content-Length:")) {
            request->m_contentLength = Trim(line.substr(std::strlen("Content-Length:")));
        } else if (StartsWithNoCase(line, "Location:")) {
            request->m_location = true;
        } else if (Trim(line).empty()) {
            const bool interim = request->m_status >= 100 && request->m_status < 200;
            const bool redirect = request->m_status >= 300 && request->m_status < 400 && request->m_location;
            if (!interim && !redirect) request->m_headDone = true;
        }
        return n;
    }

    CURL* m_easy = nullptr;
    CURLM* m_multi = nullptr;
    bool m_added = false;
    unsigned m_stallMs = 0;
    std::uint64_t m_deadline = 0;  // steady milliseconds; 0: none
    std::uint64_t m_lastProgress = 0;
    bool m_headDone = false;
    bool m_finished = false;
    bool m_paused = false;
    long m_status = 0;
    bool m_location = false;
    std::string m_contentLength;
    std::string m_body;
    std::size_t m_offset = 0;
    std::string m_error;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
};

}  // namespace

CurlHttp::CurlHttp() { curl_global_init(CURL_GLOBAL_DEFAULT); }
CurlHttp::~CurlHttp() { curl_global_cleanup(); }

std::unique_ptr<IHttpRequest> CurlHttp::Open(const std::string& url, const HttpOptions& options, std::string& error) {
    // WinINet ignores blanks and line breaks around an address; libcurl would refuse them.
    const auto first = url.find_first_not_of(" \t\r\n");
    const auto last = url.find_last_not_of(" \t\r\n");
    const std::string address = first == std::string::npos ? std::string() : url.substr(first, last - first + 1);
    auto request = std::make_unique<CurlRequest>(address, options);
    if (!request->WaitForHead()) {
        error = request->Error();
        return nullptr;
    }
    return request;
}

}  // namespace xh::linuxport
