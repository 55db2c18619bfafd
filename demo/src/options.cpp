#include "options.h"

#include <charconv>

namespace xh::demo {

ParsedOptions ParseOptions(const std::vector<std::string>& args, int defaultPort) {
    ParsedOptions result;
    Options options;
    options.port = defaultPort;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            result.help = true;
            return result;
        }
        bool takesValue = arg == "--port" || arg == "--version-answer" || arg == "--update-file" ||
                          arg == "--log";
        if (!takesValue) {
            result.error = "unknown option: " + arg;
            return result;
        }
        if (i + 1 >= args.size()) {
            result.error = arg + " needs a value";
            return result;
        }
        const std::string& value = args[++i];
        if (arg == "--port") {
            int port = -1;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), port);
            if (ec != std::errc() || end != value.data() + value.size() || port < 0 || port > 65535) {
                result.error = "bad port: " + value;
                return result;
            }
            options.port = port;
        } else if (arg == "--version-answer") {
            options.versionAnswer = value;
        } else if (arg == "--update-file") {
            options.updateFile = value;
        } else {
            options.logFile = value;
        }
    }
    result.options = options;
    return result;
}

std::string UsageText(int defaultPort) {
    return "usage: xinghe-demo [--port N] [--version-answer TEXT] [--update-file PATH] [--log FILE]\n"
           "  --port N               port on 127.0.0.1 (default " +
           std::to_string(defaultPort) +
           "; 0 picks a free one)\n"
           "  --version-answer TEXT  body of the version service's answer (default \"0\")\n"
           "  --update-file PATH     file served at /download/<its file name>\n"
           "  --log FILE             append every request line to FILE\n";
}

}  // namespace xh::demo
