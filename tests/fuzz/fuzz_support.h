#pragma once
// Shared pieces of the fuzz targets. Each target defines LLVMFuzzerTestOneInput; under the
// clang fuzz build libFuzzer drives it, in the normal build replay_main.cpp feeds it the
// seed corpus and the kept crash inputs.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace xh::fuzz {

// Fields of one input, split at the unit separator 0x1F; the last field takes the rest, so
// every input splits into exactly `count` fields (missing ones are empty).
std::vector<std::string> Fields(const std::uint8_t* data, std::size_t size, std::size_t count);

// A broken property: prints it with the offending values and aborts, so that both libFuzzer
// and the replay test see a crash.
[[noreturn]] void Fail(const char* file, int line, const char* condition, const std::string& detail);

// Printable form of bytes for failure messages.
std::string Show(const std::string& bytes);

}  // namespace xh::fuzz

#define FUZZ_CHECK(condition, detail)                                                   \
    do {                                                                                \
        if (!(condition)) ::xh::fuzz::Fail(__FILE__, __LINE__, #condition, (detail));   \
    } while (0)
