#pragma once
// Cache cleaning on Linux. The game page's engine runs in the game host process, so the
// launcher's worker asks the game window for it over X11:
//  - it makes an unmapped window of its own (the reply window) on its own connection;
//  - it sends the game window the client message WM_GAMEWND_CACHE (WM_USER+2004) with the
//    operation in wParam and the reply window in lParam; an operation's argument (a record
//    name) is the reply window's property _XINGHE_CACHE_REQUEST;
//  - the game host does the work on its engine's website data manager (cache types only:
//    memory and disk cache, never cookies), writes the answer into the reply window's
//    property _XINGHE_CACHE_REPLY and sends it WM_GAMEWND_CACHE_DONE (WM_USER+2005).
// The worker waits for that answer at most a few seconds: a game host that is gone or busy
// leaves the URL-cache pass empty, and the folder walk still runs.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "frame/cache_cleaning.h"
#include "linux/x11_windows.h"

namespace xh::linuxport {

inline constexpr unsigned WM_GAMEWND_CACHE = kWmUser + 2004;
inline constexpr unsigned WM_GAMEWND_CACHE_DONE = kWmUser + 2005;
enum CacheOperation : long { kCacheList = 1, kCacheRemoveRecord = 2, kCacheClearAll = 3 };

// The engine's website-data records as URL-cache entries: per record one entry for its
// cached content ("cache:" + name), which is deleted, and one for its cookies
// ("Cookie:" + name), which stays. An entry needs the 80 bytes of the platform's entry
// record and its name as UTF-16 with a terminator.
class EngineUrlCache final : public IUrlCache {
public:
    EngineUrlCache(WindowId gameWindow, std::chrono::milliseconds timeout);
    ~EngineUrlCache() override;
    EngineUrlCache(const EngineUrlCache&) = delete;
    EngineUrlCache& operator=(const EngineUrlCache&) = delete;

    bool FindFirst(std::size_t& size, UrlCacheEntry* entry) override;
    bool FindNext(std::size_t& size, UrlCacheEntry* entry) override;
    bool Delete(const std::string& sourceUrl) override;
    // Ends the enumeration; the engine then drops whatever cached content no record showed.
    void Close() override;

    static std::size_t EntrySize(const UrlCacheEntry& entry);

private:
    std::optional<std::string> Request(long operation, const std::string& argument);
    bool Give(std::size_t& size, UrlCacheEntry* entry);

    struct Connection;
    Connection* m_x = nullptr;
    WindowId m_game;
    std::chrono::milliseconds m_timeout;
    std::optional<std::vector<UrlCacheEntry>> m_entries;
    std::size_t m_next = 0;
};

// The engine's disk cache folder (the web context's base cache directory) and the POSIX
// file functions of the walk. A file without its owner's write permission is read-only.
class PosixCacheFolder final : public ICacheFolder {
public:
    explicit PosixCacheFolder(std::optional<std::string> folder) : m_folder(std::move(folder)) {}
    std::optional<std::string> InternetCacheFolder() override { return m_folder; }
    char Separator() override { return '/'; }
    std::optional<std::vector<FolderEntry>> List(const std::string& folder) override;
    void ClearReadOnly(const std::string& path) override;
    bool RemoveDirectory(const std::string& path) override;
    bool DeleteFile(const std::string& path, long& error) override;

private:
    std::optional<std::string> m_folder;
};

std::string EngineCacheFolder();

// Debugger output on Linux: standard error.
void WriteDebugLine(const std::string& text);

// The game host's side: true when the message was a cache request (answered later, from
// the engine's callbacks on this thread).
bool HandleCacheRequest(const WindowMessage& message);

}  // namespace xh::linuxport
