#pragma once
#include <optional>
#include <string>
#include <vector>

namespace xh::demo {

struct Options {
    int port = 0;
    std::string versionAnswer = "0";  // "0": no update offered
    std::string updateFile;           // served at /download/<file name> when set
    std::string logFile;              // request lines are appended here when set
};

struct ParsedOptions {
    std::optional<Options> options;  // empty on a usage error or --help
    bool help = false;
    std::string error;
};

ParsedOptions ParseOptions(const std::vector<std::string>& args, int defaultPort);

std::string UsageText(int defaultPort);

}  // namespace xh::demo
