// The download of an offered update: any status, Content-Length text and body, in any piece
// sizes, with reads that may fail part way. It is handed over exactly when the whole
// announced body arrived, and then the file holds that body.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "app/startup_args.h"
#include "app/utf.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/update_fakes.h"
#include "update/update_module.h"

using namespace xh;

namespace {

constexpr long kStatuses[] = {200, 206, 302, 399, 400, 404, 503, 0};

// Content-Length as wcstol reads it into a 32-bit long, from the C library where it can.
long long Announced(const std::string& text) {
    std::string narrow;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\0') return ParseDecimalLong(Utf8ToUtf16(text));
        narrow += c;
    }
    return std::clamp<long long>(std::strtoll(narrow.c_str(), nullptr, 10), INT32_MIN, INT32_MAX);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::UpdateWorld* world = new fuzz::UpdateWorld;
    world->Reset();
    fuzz::Answer& answer = world->http.answer;
    answer = {};
    if (size >= 3) {
        answer.status = kStatuses[data[0] % std::size(kStatuses)];
        answer.opens = data[0] < 0xF0;
        answer.pieceSize = 1 + data[1] % 64 * 37;
        if (data[2] >= 0x80) answer.failAt = data[2] & 0x7F;
        data += 3;
        size -= 3;
    }
    const auto f = fuzz::Fields(data, size, 2);
    answer.contentLength = f[0];
    answer.body = f[1];

    CUpdateModule module("\\zqxinghetmp.exe");
    bool handedOver = false;
    try {
        module.DownloadUpdate("http://127.0.0.1:9/xinghe.exe");
    } catch (int) {  // the fake process's exit
        handedOver = true;
    }

    const long long announced = Announced(answer.contentLength);
    const bool complete = answer.opens && answer.status < 400 && announced != 0 &&
                          announced == static_cast<long long>(answer.body.size()) && answer.failAt > answer.body.size();
    const std::string shown = "status " + std::to_string(answer.status) + " Content-Length " +
                              fuzz::Show(answer.contentLength) + ", " + std::to_string(answer.body.size()) +
                              " bytes -> " + (handedOver ? "handed over" : "kept");
    FUZZ_CHECK(handedOver == complete, shown);
    FUZZ_CHECK(world->starter.commandLines.size() == (handedOver ? 1u : 0u), shown);
    if (handedOver) {
        const auto file = world->fake.files.ReadFile(module.TempPath());
        FUZZ_CHECK(file && *file == answer.body, shown + ": the file differs from the body");
        FUZZ_CHECK(world->starter.commandLines[0] == "-d " + module.TargetPath(), shown);
    }
    return 0;
}
