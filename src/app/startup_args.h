#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace xh {

enum class ProcessMode { Normal, GameHost, ApplyUpdate, UninstallConfirm, UninstallCleanup };

struct StartupArgs {
    ProcessMode mode = ProcessMode::Normal;
    std::string pathOperand;       // ApplyUpdate, UninstallCleanup: the line from index 3 on
    std::int32_t frameWindow = 0;  // the frame window's handle; 0 = none
    std::string gameUrl;

    bool operator==(const StartupArgs&) const = default;
};

// The whole mode decision, over the raw command line exactly as the process received it.
// Positions and lengths count UTF-16 units, as the Windows command line does.
StartupArgs ParseStartupArgs(std::string_view commandLine);

// The window modes alone (Normal or GameHost); a failed apply stage falls back to these.
StartupArgs ParseWindowModeArgs(std::string_view commandLine);

// wcstol(text, nullptr, 10) with a 32-bit long, as on Windows.
std::int32_t ParseDecimalLong(std::u16string_view text);

const char* ProcessModeName(ProcessMode mode);

}  // namespace xh
