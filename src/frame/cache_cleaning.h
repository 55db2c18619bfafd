#pragma once
// Cleaning the browser cache: the URL cache without its cookies, then the cache folder
// file by file. Runs on a worker; progress and failures go to the debugger output only.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame/host_protocol.h"

namespace xh {

// The platform's debugger output (OutputDebugStringW); each line ends in "\r\n".
using DebugOutput = std::function<void(const std::string&)>;

struct UrlCacheEntry {
    std::string sourceUrl;
    bool cookie = false;  // COOKIE_CACHE_ENTRY
};

// FindFirstUrlCacheEntryW / FindNextUrlCacheEntryW / DeleteUrlCacheEntryW over one
// enumeration. `size` is the buffer's size in bytes going in (0: no buffer) and the size the
// entry needs coming out.
class IUrlCache {
public:
    virtual ~IUrlCache() = default;
    // True when an enumeration came back with the entry in `entry`.
    virtual bool FindFirst(std::size_t& size, UrlCacheEntry* entry) = 0;
    virtual bool FindNext(std::size_t& size, UrlCacheEntry* entry) = 0;
    virtual bool Delete(const std::string& sourceUrl) = 0;
    // Ends the enumeration.
    virtual void Close() = 0;
};

struct FolderEntry {
    std::string name;
    bool directory = false;
};

// The file functions the folder walk uses.
class ICacheFolder {
public:
    virtual ~ICacheFolder() = default;
    // The temporary-internet-files folder; nullopt when it cannot be read.
    virtual std::optional<std::string> InternetCacheFolder() = 0;
    virtual char Separator() = 0;
    // Everything FindFirstFileW(folder\*.*) lists; nullopt when nothing can be listed.
    virtual std::optional<std::vector<FolderEntry>> List(const std::string& folder) = 0;
    // Clears the read-only attribute when it is set.
    virtual void ClearReadOnly(const std::string& path) = 0;
    virtual bool RemoveDirectory(const std::string& path) = 0;
    // False with the platform's error code when the file stays.
    virtual bool DeleteFile(const std::string& path, long& error) = 0;
};

// The debugger lines, exactly.
std::string FirstProbeFoundLine(std::size_t size);
std::string FirstProbeNoneLine();
std::string SecondProbeFoundLine(std::size_t size);
std::string SecondProbeNoneLine();
std::string CacheFolderLine(const std::string& folder);
std::string FolderWalkLine(const std::string& folder);
std::string DeleteFailedLine(const std::string& name, long error);

// Every entry but the cookies is deleted; true when the cache could be enumerated.
bool ClearUrlCache(IUrlCache& cache, const DebugOutput& debug);
// Everything under `folder` but files named desktop.ini (any case) and the folders that
// still hold something; false when the folder cannot be listed.
bool DeleteFolderContents(ICacheFolder& files, const DebugOutput& debug, const std::string& folder);

struct CacheCleaningPorts {
    // The URL cache of the game page's browser, for one cleaning; the game window may be 0.
    std::function<std::unique_ptr<IUrlCache>(WindowId game)> openUrlCache;
    ICacheFolder* folder = nullptr;
    DebugOutput debug;
};

// The worker's two passes; the caller then reports ID_CACHE_CLEANED to the frame.
void CacheCleanPasses(const CacheCleaningPorts& ports, WindowId game);

}  // namespace xh
