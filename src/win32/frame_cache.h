#pragma once
// Cache cleaning on Windows: the WinINet URL cache (cookie entries spared) and the folder of
// temporary internet files (CSIDL_INTERNET_CACHE).
#include "win32/windows_api.h"

#include <vector>

#include "frame/cache_cleaning.h"

namespace xh::win32 {

class WinInetUrlCache final : public IUrlCache {
public:
    ~WinInetUrlCache() override { Close(); }
    bool FindFirst(std::size_t& size, UrlCacheEntry* entry) override;
    bool FindNext(std::size_t& size, UrlCacheEntry* entry) override;
    bool Delete(const std::string& sourceUrl) override;
    void Close() override;

private:
    bool Read(bool first, std::size_t& size, UrlCacheEntry* entry);
    HANDLE m_find = nullptr;
    std::vector<unsigned char> m_buffer;
};

class Win32CacheFolder final : public ICacheFolder {
public:
    std::optional<std::string> InternetCacheFolder() override;
    char Separator() override { return '\\'; }
    std::optional<std::vector<FolderEntry>> List(const std::string& folder) override;
    void ClearReadOnly(const std::string& path) override;
    bool RemoveDirectory(const std::string& path) override;
    bool DeleteFile(const std::string& path, long& error) override;
};

// OutputDebugStringW.
void WriteDebugLine(const std::string& text);

}  // namespace xh::win32
