#include "win32/frame_cache.h"

#include <shlobj.h>
#include <wininet.h>

#include "win32/wide.h"

namespace xh::win32 {

bool WinInetUrlCache::Read(bool first, std::size_t& size, UrlCacheEntry* entry) {
    DWORD bytes = static_cast<DWORD>(size);
    // Each entry in a buffer of exactly the size the cache asks for.
    if (entry) m_buffer.assign(size, 0);
    auto* info = entry && size ? reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(m_buffer.data()) : nullptr;
    bool ok = false;
    if (first) {
        HANDLE find = ::FindFirstUrlCacheEntryW(nullptr, info, &bytes);
        if (find) {
            Close();
            m_find = find;
            ok = true;
        }
    } else {
        ok = m_find && ::FindNextUrlCacheEntryW(m_find, info, &bytes);
    }
    size = bytes;
    if (ok && entry && info) {
        entry->sourceUrl = info->lpszSourceUrlName ? Narrow(info->lpszSourceUrlName) : std::string();
        entry->cookie = (info->CacheEntryType & COOKIE_CACHE_ENTRY) != 0;
    }
    return ok;
}

bool WinInetUrlCache::FindFirst(std::size_t& size, UrlCacheEntry* entry) { return Read(true, size, entry); }

bool WinInetUrlCache::FindNext(std::size_t& size, UrlCacheEntry* entry) { return Read(false, size, entry); }

bool WinInetUrlCache::Delete(const std::string& sourceUrl) {
    return ::DeleteUrlCacheEntryW(Widen(sourceUrl).c_str()) != FALSE;
}

void WinInetUrlCache::Close() {
    if (m_find) ::FindCloseUrlCache(m_find);
    m_find = nullptr;
}

std::optional<std::string> Win32CacheFolder::InternetCacheFolder() {
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, CSIDL_INTERNET_CACHE, FALSE)) return std::nullopt;
    return Narrow(path);
}

std::optional<std::vector<FolderEntry>> Win32CacheFolder::List(const std::string& folder) {
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW(Widen(folder + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<FolderEntry> entries;
    do {
        entries.push_back({Narrow(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return entries;
}

void Win32CacheFolder::ClearReadOnly(const std::string& path) {
    const std::wstring wide = Widen(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        ::SetFileAttributesW(wide.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
}

bool Win32CacheFolder::RemoveDirectory(const std::string& path) {
    return ::RemoveDirectoryW(Widen(path).c_str()) != FALSE;
}

bool Win32CacheFolder::DeleteFile(const std::string& path, long& error) {
    if (::DeleteFileW(Widen(path).c_str())) return true;
    error = static_cast<long>(::GetLastError());
    return false;
}

void WriteDebugLine(const std::string& text) { ::OutputDebugStringW(Widen(text).c_str()); }

}  // namespace xh::win32
