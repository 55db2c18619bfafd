// The version service's answer: any status, any body, delivered in any piece sizes.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "app/startup_args.h"
#include "app/utf.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/update_fakes.h"
#include "login/text_encoding.h"
#include "update/update_module.h"

using namespace xh;

namespace {

constexpr long kStatuses[] = {200, 204, 301, 399, 400, 404, 500, 0};

// The decision read straight from its rule, with the C library's strtol for the number.
bool ExpectedOffer(const std::string& text) {
    if (Utf16Length(text) <= 5) return false;
    std::string narrow;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return ParseDecimalLong(Utf8ToUtf16(text)) >= 0;
        narrow += c;
    }
    return std::strtoll(narrow.c_str(), nullptr, 10) >= 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::UpdateWorld* world = new fuzz::UpdateWorld;
    world->Reset();
    fuzz::Answer& answer = world->http.answer;
    answer = {};
    if (size >= 2) {
        answer.status = kStatuses[data[0] % std::size(kStatuses)];
        answer.opens = data[0] < 0xF0;
        answer.pieceSize = 1 + data[1] % 64 * 32;
        if (data[1] >= 0xF8) answer.failAt = data[1] & 7;
        data += 2;
        size -= 2;
    }
    answer.body.assign(reinterpret_cast<const char*>(data), size);

    CUpdateModule module("\\zqxinghetmp.exe");
    const bool offer = module.CheckVersion("http://127.0.0.1:9", "games/xhvx/ver.php?v=", "1.0.1.0");

    // Without a failed read the answer is the body's first 1023 bytes; with one it is empty.
    const std::string whole = answer.opens && answer.status < 400 ? AnsiToWide(answer.body.substr(0, 1023)) : "";
    const std::string shown = fuzz::Show(answer.body) + " status " + std::to_string(answer.status) + " -> " +
                              (offer ? "offer " + fuzz::Show(module.DownloadUrl()) : "no offer");
    if (answer.failAt == std::string::npos) FUZZ_CHECK(offer == ExpectedOffer(whole), shown);
    if (offer) FUZZ_CHECK(module.DownloadUrl() == whole, shown);
    FUZZ_CHECK(IsUpdateOffer(answer.body) == ExpectedOffer(answer.body), shown);
    (void)UnusableAddressMessage(answer.body);
    return 0;
}
