#include "win32/version_info.h"

#include <cstdio>
#include <vector>

#include "win32/windows_api.h"
#include "win32/wide.h"

namespace xh::win32 {
namespace {

struct Translation {
    WORD language;
    WORD codePage;
};

}  // namespace

std::optional<VersionResource> Win32VersionInfo::Read(const std::string& path) {
    const std::wstring file = Widen(path);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<unsigned char> block(size);
    VersionResource resource;
    // A block that cannot be read is treated like one without translations.
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return resource;

    void* data = nullptr;
    UINT bytes = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &bytes) || !data) return resource;
    const auto* translations = static_cast<const Translation*>(data);
    for (UINT i = 0; i < bytes / sizeof(Translation); ++i) {
        const Translation t = translations[i];
        resource.translations.emplace_back(t.language, t.codePage);

        wchar_t query[64];
        std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", t.language, t.codePage);
        void* value = nullptr;
        UINT units = 0;
        if (::VerQueryValueW(block.data(), query, &value, &units) && value) {
            // The length may or may not count the terminator; the text ends at the first one.
            const std::wstring_view text(static_cast<const wchar_t*>(value), units);
            resource.strings.emplace_back(Narrow(query), Narrow(text.substr(0, text.find(L'\0'))));
        }
    }
    return resource;
}

}  // namespace xh::win32
