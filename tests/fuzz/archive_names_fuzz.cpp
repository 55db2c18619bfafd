// Archive entry names, attributes and extended timestamps, without the archive around them.
#include <filesystem>

#include "app/utf.h"
#include "fuzz/fuzz_support.h"
#include "update/embedded_archive.h"

using namespace xh;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto f = fuzz::Fields(data, size, 2);
    const std::string& stored = f[0];
    const auto name = RelativeEntryName(stored);
    if (name) {
        const std::string shown = fuzz::Show(stored) + " -> " + fuzz::Show(*name);
        FUZZ_CHECK(!name->empty() && SanitizeUtf8(*name) == *name, shown);
        FUZZ_CHECK(Utf16Length(*name) <= 259, shown);
        FUZZ_CHECK(name->front() != '/' && name->front() != '\\', shown);
        FUZZ_CHECK(name->size() < 2 || (*name)[1] != ':', shown);
        // Both separators count: the Linux adapters read "\" as "/".
        std::string posix = *name;
        for (char& c : posix) {
            if (c == '\\') c = '/';
        }
        const std::filesystem::path joined = (std::filesystem::path("/base/res") / posix).lexically_normal();
        const std::string j = joined.string();
        FUZZ_CHECK(j.rfind("/base/res/", 0) == 0, shown + " lands at " + j);
    }

    // The same bytes as attributes and as an extra field.
    std::uint16_t made = 0;
    std::uint32_t external = 0;
    for (std::size_t i = 0; i < size && i < 6; ++i) {
        if (i < 2) made = static_cast<std::uint16_t>(made << 8 | data[i]);
        else external = external << 8 | data[i];
    }
    const EntryAttributes a = DecodeEntryAttributes(made, external);
    if ((made >> 8) != 0 && (made >> 8) != 7 && (made >> 8) != 11 && (made >> 8) != 14) {
        FUZZ_CHECK(a.archive && !a.hidden && !a.system, std::to_string(made));
    }
    const EntryTimes times = ApplyExtendedTimestamp(EntryTimes{1, 2, 3}, f[1]);
    FUZZ_CHECK(times.write >= INT32_MIN && times.write <= INT32_MAX, fuzz::Show(f[1]));
    return 0;
}
