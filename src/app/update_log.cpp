#include "app/update_log.h"

#include <cstdio>

#include "app/utf.h"
#include "settings/settings.h"

namespace xh {

std::string UpdateLogPath() {
    const char sep = ports().folders->PathSeparator();
    return GetDataFolder() + "res" + sep + "update.log";
}

std::string FormatUpdateLogLine(const std::optional<LocalTime>& when, const std::string& message) {
    const LocalTime t = when.value_or(LocalTime{0, 0, 0, -1, -1, -1});
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%2d-%2d-%2d %2d:%2d:%2d : \t", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return std::string(stamp) + "UpdateModule\t" + message;
}

std::string ToUtf16LeBytes(const std::string& text) {
    const std::u16string units = Utf8ToUtf16(text);
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

int WriteUpdateLog(const std::string& message) {
    const std::string line = FormatUpdateLogLine(ports().clock->NowLocal(), message) + "\r\n";
    return ports().files->AppendExclusive(UpdateLogPath(), ToUtf16LeBytes(line)) ? 0 : -1;
}

void TrimUpdateLog() {
    const std::string path = UpdateLogPath();
    if (const auto size = ports().files->FileSize(path); size && *size > kUpdateLogLimit) {
        ports().files->RemoveFile(path);
    }
}

}  // namespace xh
