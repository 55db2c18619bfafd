// Cache cleaning: the URL-cache pass against a cache that answers as the platform's does,
// and the folder walk on a real temporary tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "frame/cache_cleaning.h"
#include "support/temp_dir.h"

namespace xh {
namespace {

namespace fs = std::filesystem;
using xh::testing::TempDir;

// A URL cache that, like the platform's, only hands out an entry to a buffer large enough
// for it and otherwise reports the size it needs.
class SizedUrlCache final : public IUrlCache {
public:
    std::vector<UrlCacheEntry> entries;
    std::vector<std::string> deleted;
    std::vector<std::size_t> buffers;  // every buffer size offered with a buffer
    int open = 0;

    static std::size_t Need(const UrlCacheEntry& e) { return 80 + 2 * (e.sourceUrl.size() + 1); }

    bool FindFirst(std::size_t& size, UrlCacheEntry* entry) override {
        m_next = 0;
        return Give(size, entry);
    }
    bool FindNext(std::size_t& size, UrlCacheEntry* entry) override { return Give(size, entry); }
    bool Delete(const std::string& url) override {
        deleted.push_back(url);
        return true;
    }
    void Close() override { --open; }

private:
    bool Give(std::size_t& size, UrlCacheEntry* entry) {
        if (m_next >= entries.size()) return false;
        const UrlCacheEntry& e = entries[m_next];
        if (!entry || size < Need(e)) {
            size = Need(e);
            return false;
        }
        buffers.push_back(size);
        *entry = e;
        if (m_next == 0) ++open;
        ++m_next;
        return true;
    }
    std::size_t m_next = 0;
};

struct Lines {
    std::vector<std::string> all;
    DebugOutput Sink() {
        return [this](const std::string& s) { all.push_back(s); };
    }
};

TEST(CacheCleaningTest, UrlPassDeletesEverythingButCookiesWithOneBufferOfTheRightSizeEach) {
    SizedUrlCache cache;
    cache.entries = {{"http://a/x.js", false},
                     {"Cookie:player@127.0.0.1/", true},
                     {"http://a/picture-with-a-much-longer-name.png", false},
                     {"Cookie:player@a/", true},
                     {"http://b/", false}};
    Lines lines;
    EXPECT_TRUE(ClearUrlCache(cache, lines.Sink()));
    EXPECT_EQ(cache.deleted,
              (std::vector<std::string>{"http://a/x.js", "http://a/picture-with-a-much-longer-name.png", "http://b/"}));
    std::vector<std::size_t> exact;
    for (const auto& e : cache.entries) exact.push_back(SizedUrlCache::Need(e));
    EXPECT_EQ(cache.buffers, exact);
    EXPECT_EQ(cache.open, 0) << "the enumeration is closed";
    // The first probe has no buffer and so, as normally, finds "nothing".
    EXPECT_EQ(lines.all, (std::vector<std::string>{"*******第一次查找缓存:未找到缓存。************\r\n",
                                                   "*******第二次查找缓存:缓存大小为:108。************\r\n"}));
}

TEST(CacheCleaningTest, EmptyCacheWritesTheTwoProbesThatFoundNone) {
    SizedUrlCache cache;
    Lines lines;
    EXPECT_FALSE(ClearUrlCache(cache, lines.Sink()));
    EXPECT_EQ(lines.all, (std::vector<std::string>{"*******第一次查找缓存:未找到缓存。************\r\n",
                                                   "*******第二次查找缓存:未找到缓存。************\r\n"}));
}

TEST(CacheCleaningTest, DebugLinesAreExact) {
    EXPECT_EQ(FirstProbeFoundLine(1234), "*******第一次查找缓存:缓存大小为:1234。************\r\n");
    EXPECT_EQ(CacheFolderLine("C:\\T"), "临时文件夹路径为:C:\\T\r\n");
    EXPECT_EQ(FolderWalkLine("C:\\T\\a"), "开始清理C:\\T\\a文件夹\r\n");
    EXPECT_EQ(DeleteFailedLine("index.dat", 32), "***********删除文件:index.dat失败，错误代码:32******************\r\n");
}

// The walk's file functions over std::filesystem, failing as the platform does: a read-only
// file cannot be deleted (5), a file held open by another process neither (32).
class FilesystemFolder final : public ICacheFolder {
public:
    std::optional<std::string> folder;
    std::set<std::string> held;  // names
    std::vector<std::string> listed;

    std::optional<std::string> InternetCacheFolder() override { return folder; }
    char Separator() override { return static_cast<char>(fs::path::preferred_separator); }
    std::optional<std::vector<FolderEntry>> List(const std::string& f) override {
        std::error_code ec;
        fs::directory_iterator it(fs::u8path(f), ec);
        if (ec) return std::nullopt;
        listed.push_back(f);
        std::vector<FolderEntry> out{{".", true}, {"..", true}};
        for (const auto& e : it) out.push_back({TempDir::Utf8(e.path().filename()), e.is_directory()});
        return out;
    }
    void ClearReadOnly(const std::string& path) override {
        std::error_code ec;
        fs::permissions(fs::u8path(path), fs::perms::owner_write, fs::perm_options::add, ec);
    }
    bool RemoveDirectory(const std::string& path) override {
        std::error_code ec;
        return fs::remove(fs::u8path(path), ec);
    }
    bool DeleteFile(const std::string& path, long& error) override {
        const fs::path p = fs::u8path(path);
        if (held.count(TempDir::Utf8(p.filename()))) return error = 32, false;
        if ((fs::status(p).permissions() & fs::perms::owner_write) == fs::perms::none) return error = 5, false;
        std::error_code ec;
        return fs::remove(p, ec) || (error = 2, false);
    }
};

TEST(CacheCleaningTest, FolderWalkEmptiesTheTreeButDesktopIniAndHeldFiles) {
    TempDir temp;
    const std::string root = temp / "Temporary Internet Files";
    const char sep = static_cast<char>(fs::path::preferred_separator);
    for (const char* d : {"Content.IE5", "Content.IE5/AB12CD", "Content.IE5/EF34", "Low", "Low/deep/er"}) {
        fs::create_directories(fs::u8path(root + sep + d));
    }
    auto file = [&](const std::string& rel) {
        std::string p = root + sep + rel;
        for (char& c : p) {
            if (c == '/') c = sep;
        }
        TempDir::Write(p, "cached");
        return p;
    };
    file("index.dat");
    file("Content.IE5/AB12CD/game[1].js");
    const std::string readOnly = file("Content.IE5/EF34/picture[2].png");
    fs::permissions(fs::u8path(readOnly), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    file("Content.IE5/desktop.ini");
    file("Low/Desktop.INI");
    file("Low/deep/er/page.html");
    file("读取中.txt");

    FilesystemFolder files;
    files.folder = root;
    files.held = {"index.dat"};
    Lines lines;
    CacheCleanPasses({nullptr, &files, lines.Sink()}, 0);

    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(fs::u8path(root))) {
        left.push_back(TempDir::Utf8(fs::relative(e.path(), fs::u8path(root)).generic_u8string().c_str()));
    }
    std::sort(left.begin(), left.end());
    // Folders that still hold a desktop.ini survive; so does the held file. Nothing else.
    EXPECT_EQ(left, (std::vector<std::string>{"Content.IE5", "Content.IE5/desktop.ini", "Low", "Low/Desktop.INI",
                                              "index.dat"}));

    ASSERT_FALSE(lines.all.empty());
    EXPECT_EQ(lines.all[0], "临时文件夹路径为:" + root + "\r\n");
    EXPECT_EQ(lines.all[1], "开始清理" + root + "文件夹\r\n");
    // One failure line, for the held file only, with its bare name and the platform's code.
    int failures = 0;
    for (const auto& l : lines.all) {
        if (l.find("删除文件") != std::string::npos) {
            ++failures;
            EXPECT_EQ(l, "***********删除文件:index.dat失败，错误代码:32******************\r\n");
        }
    }
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(std::count_if(lines.all.begin(), lines.all.end(),
                            [](const std::string& l) { return l.rfind("开始清理", 0) == 0; }),
              7);  // the root and its six folders
}

TEST(CacheCleaningTest, UnknownCacheFolderSkipsTheWalkAndAMissingOneIsNotListed) {
    FilesystemFolder files;
    Lines lines;
    CacheCleanPasses({nullptr, &files, lines.Sink()}, 0);
    EXPECT_TRUE(lines.all.empty());

    TempDir temp;
    EXPECT_FALSE(DeleteFolderContents(files, lines.Sink(), temp / "missing"));
    EXPECT_EQ(lines.all, std::vector<std::string>{"开始清理" + (temp / "missing") + "文件夹\r\n"});
}

}  // namespace
}  // namespace xh
