// The Windows adapters of the frame's features under the real platform (Wine in the test
// run): hotkeys registered with the codec's values, the tray icon's data, the URL cache
// without its cookies, the folder walk with a read-only file and a file held open.
#ifdef _WIN32
#include <gtest/gtest.h>

#include "win32/windows_api.h"

#include <wininet.h>

#include <filesystem>

#include "frame/cache_cleaning.h"
#include "frame/tray_icon.h"
#include "settings/hotkey_codec.h"
#include "support/temp_dir.h"
#include "win32/frame_cache.h"
#include "win32/frame_hotkeys.h"
#include "win32/frame_tray.h"
#include "win32/wide.h"

namespace xh::win32 {
namespace {

namespace fs = std::filesystem;

class PlainWindow {
public:
    PlainWindow() {
        m_hwnd = ::CreateWindowExW(0, L"STATIC", L"xinghe-test", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    }
    ~PlainWindow() { ::DestroyWindow(m_hwnd); }
    HWND Get() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

TEST(Win32HotKeysTest, RegisteredWithTheCodecsValuesSoTheSameCombinationIsTaken) {
    PlainWindow frame, other;
    const CHotKeyCodec codec;
    std::uint32_t mods = 0, key = 0;
    codec.ParseHotKey("Ctrl+Shift+Q", mods, key);
    WindowHotKeys hotKeys(frame.Get());
    hotKeys.Unregister(2);
    ASSERT_TRUE(hotKeys.Register(2, mods, key));
    // Exactly MOD_CONTROL | MOD_SHIFT and 'Q': another window cannot have them now.
    EXPECT_FALSE(::RegisterHotKey(other.Get(), 7, MOD_CONTROL | MOD_SHIFT, 'Q'));
    EXPECT_TRUE(::RegisterHotKey(other.Get(), 8, MOD_CONTROL, 'Q'));
    ::UnregisterHotKey(other.Get(), 8);
    EXPECT_TRUE(hotKeys.Unregister(2));
    EXPECT_TRUE(::RegisterHotKey(other.Get(), 7, MOD_CONTROL | MOD_SHIFT, 'Q'));
    ::UnregisterHotKey(other.Get(), 7);
}

TEST(Win32TrayTest, NotifyIconDataIsFilledAsTheFrameAsksAndTheIconIsAddedAndRemovedOnce) {
    PlainWindow frame;
    ShellTray shell;
    {
        TrayIcon icon(shell);
        icon.AddTrayIcon(std::string(140, 'x'), static_cast<WindowId>(reinterpret_cast<LONG_PTR>(frame.Get())),
                         kTrayIconResource);
        const NOTIFYICONDATAW data = ToNotifyIconData(icon.Data());
        EXPECT_EQ(data.cbSize, 956u);
        EXPECT_EQ(data.hWnd, frame.Get());
        EXPECT_EQ(data.uID, 0u);
        EXPECT_EQ(data.uFlags, UINT{NIF_MESSAGE | NIF_ICON | NIF_TIP});
        EXPECT_EQ(data.uCallbackMessage, UINT{WM_USER + 1});
        EXPECT_EQ(std::wstring(data.szTip), std::wstring(127, L'x'));
        EXPECT_TRUE(icon.Added());
        NOTIFYICONDATAW probe = data;
        EXPECT_TRUE(::Shell_NotifyIconW(NIM_MODIFY, &probe)) << "the shell has the icon";
        icon.RemoveTrayIcon();
        EXPECT_FALSE(icon.Added());
        EXPECT_FALSE(::Shell_NotifyIconW(NIM_MODIFY, &probe)) << "and no longer";
    }
    // The icon is gone: deleting it again is refused by the shell.
    TrayIcon again(shell);
    NotifyIconData nid;
    nid.cbSize = kNotifyIconDataSize;
    nid.hWnd = static_cast<WindowId>(reinterpret_cast<LONG_PTR>(frame.Get()));
    EXPECT_FALSE(shell.Delete(nid));
}

std::wstring CacheFile(const std::wstring& url) {
    wchar_t file[MAX_PATH] = {};
    if (!::CreateUrlCacheEntryW(url.c_str(), 0, L"txt", file, 0)) return {};
    HANDLE h = ::CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(h, "cached", 6, &written, nullptr);
    ::CloseHandle(h);
    return file;
}

TEST(Win32UrlCacheTest, EveryEntryButTheCookiesIsDeleted) {
    const std::wstring page = L"http://127.0.0.1:47615/static/xinghe-test.js";
    const std::wstring cookie = L"Cookie:player@127.0.0.1/";
    const std::wstring pageFile = CacheFile(page);
    ASSERT_FALSE(pageFile.empty());
    FILETIME none{};
    ASSERT_TRUE(::CommitUrlCacheEntryW(page.c_str(), pageFile.c_str(), none, none, NORMAL_CACHE_ENTRY, nullptr, 0,
                                       nullptr, nullptr));
    const std::wstring cookieFile = CacheFile(cookie);
    ASSERT_TRUE(::CommitUrlCacheEntryW(cookie.c_str(), cookieFile.empty() ? nullptr : cookieFile.c_str(), none, none,
                                       COOKIE_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));

    WinInetUrlCache cache;
    std::vector<std::string> lines;
    EXPECT_TRUE(ClearUrlCache(cache, [&](const std::string& l) { lines.push_back(l); }));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].rfind("*******第二次查找缓存:缓存大小为:", 0), 0u) << lines[1];

    DWORD size = 0;
    ::GetUrlCacheEntryInfoW(page.c_str(), nullptr, &size);
    EXPECT_EQ(::GetLastError(), DWORD{ERROR_FILE_NOT_FOUND}) << "the page's entry is gone";
    size = 0;
    ::GetUrlCacheEntryInfoW(cookie.c_str(), nullptr, &size);
    EXPECT_EQ(::GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER}) << "the cookie stays";
    ::DeleteUrlCacheEntryW(cookie.c_str());
}

TEST(Win32CacheFolderTest, WalkDeletesReadOnlyFilesKeepsDesktopIniAndReportsAHeldFile) {
    testing::TempDir temp;
    const std::string root = temp / "Temporary Internet Files";
    fs::create_directories(fs::u8path(root + "\\Content.IE5\\AB12"));
    fs::create_directories(fs::u8path(root + "\\Low"));
    testing::TempDir::Write(root + "\\Content.IE5\\AB12\\game[1].js", "x");
    testing::TempDir::Write(root + "\\readonly.png", "x");
    ::SetFileAttributesW(Widen(root + "\\readonly.png").c_str(), FILE_ATTRIBUTE_READONLY);
    testing::TempDir::Write(root + "\\Low\\Desktop.ini", "x");
    testing::TempDir::Write(root + "\\index.dat", "x");
    HANDLE held = ::CreateFileW(Widen(root + "\\index.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    Win32CacheFolder files;
    std::vector<std::string> lines;
    EXPECT_TRUE(DeleteFolderContents(files, [&](const std::string& l) { lines.push_back(l); }, root));
    ::CloseHandle(held);

    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(fs::u8path(root))) {
        left.push_back(testing::TempDir::Utf8(e.path().lexically_relative(fs::u8path(root))));
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Low", "Low\\Desktop.ini", "index.dat"}));
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "***********删除文件:index.dat失败，错误代码:32******************\r\n"),
              lines.end());
    EXPECT_EQ(lines.front(), "开始清理" + root + "文件夹\r\n");
}

TEST(Win32CacheFolderTest, TheInternetCacheFolderIsKnown) {
    const auto folder = Win32CacheFolder().InternetCacheFolder();
    ASSERT_TRUE(folder);
    EXPECT_FALSE(folder->empty());
}

}  // namespace
}  // namespace xh::win32
#endif
