#include "frame/cache_cleaning.h"

#include <algorithm>

namespace xh {
namespace {

bool IsDesktopIni(const std::string& name) {
    static const std::string kName = "desktop.ini";
    if (name.size() != kName.size()) return false;
    return std::equal(name.begin(), name.end(), kName.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

}  // namespace

std::string FirstProbeFoundLine(std::size_t size) {
    return "*******第一次查找缓存:缓存大小为:" + std::to_string(size) + "。************\r\n";
}
std::string FirstProbeNoneLine() { return "*******第一次查找缓存:未找到缓存。************\r\n"; }
std::string SecondProbeFoundLine(std::size_t size) {
    return "*******第二次查找缓存:缓存大小为:" + std::to_string(size) + "。************\r\n";
}
std::string SecondProbeNoneLine() { return "*******第二次查找缓存:未找到缓存。************\r\n"; }
std::string CacheFolderLine(const std::string& folder) { return "临时文件夹路径为:" + folder + "\r\n"; }
std::string FolderWalkLine(const std::string& folder) { return "开始清理" + folder + "文件夹\r\n"; }
std::string DeleteFailedLine(const std::string& name, long error) {
    return "***********删除文件:" + name + "失败，错误代码:" + std::to_string(error) + "******************\r\n";
}

bool ClearUrlCache(IUrlCache& cache, const DebugOutput& debug) {
    std::size_t size = 0;
    // Normally this fails for want of a buffer and only tells the size the entry needs.
    debug(cache.FindFirst(size, nullptr) ? FirstProbeFoundLine(size) : FirstProbeNoneLine());
    UrlCacheEntry entry;
    if (!cache.FindFirst(size, &entry)) {
        debug(SecondProbeNoneLine());
        return false;
    }
    debug(SecondProbeFoundLine(size));
    for (;;) {
        if (!entry.cookie) cache.Delete(entry.sourceUrl);
        size = 0;
        cache.FindNext(size, nullptr);
        entry = {};
        if (!cache.FindNext(size, &entry)) break;
    }
    cache.Close();
    return true;
}

bool DeleteFolderContents(ICacheFolder& files, const DebugOutput& debug, const std::string& folder) {
    debug(FolderWalkLine(folder));
    const auto entries = files.List(folder);
    if (!entries) return false;
    for (const FolderEntry& e : *entries) {
        if (e.name == "." || e.name == ".." || IsDesktopIni(e.name)) continue;
        const std::string full = folder + files.Separator() + e.name;
        files.ClearReadOnly(full);
        if (e.directory) {
            DeleteFolderContents(files, debug, full);
            // A folder that still holds a desktop.ini or a locked file stays.
            files.RemoveDirectory(full);
        } else {
            long error = 0;
            if (!files.DeleteFile(full, error)) debug(DeleteFailedLine(e.name, error));
        }
    }
    return true;
}

void CacheCleanPasses(const CacheCleaningPorts& ports, WindowId game) {
    if (ports.openUrlCache) {
        if (const auto cache = ports.openUrlCache(game)) ClearUrlCache(*cache, ports.debug);
    }
    if (!ports.folder) return;
    if (const auto folder = ports.folder->InternetCacheFolder()) {
        ports.debug(CacheFolderLine(*folder));
        DeleteFolderContents(*ports.folder, ports.debug, *folder);
    }
}

}  // namespace xh
