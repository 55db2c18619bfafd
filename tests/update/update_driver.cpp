// Stands in for the login window in the end-to-end tests: a launcher whose normal start runs
// the first-start installation (XINGHE_DRIVER_ACTION=first-start) or the version check
// (XINGHE_DRIVER_ACTION=update-check, against XINGHE_TEST_SERVICE), and whose uninstall
// question is answered by XINGHE_TEST_ANSWER (1 confirms, anything else cancels).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/startup_args.h"
#include "build_config.h"
#include "controls/control_types.h"
#include "platform/backend.h"
#include "platform/ports.h"
#include "update/first_start.h"
#include "update/maintenance.h"
#include "update/update_module.h"

#ifdef _WIN32
// The launcher's resource script gives the version resource and the profile.
#else
#include "linux/linux_ports.h"

// The same version resource as the launcher's, so the installation compares real versions.
__attribute__((section(".xinghe_version"), used)) static const char kVersionResource[] =
    "XHVERSION1\n"
    "Translation=0804,03a8\n"
    "\\StringFileInfo\\080403a8\\FileVersion=" XINGHE_VERSION_TEXT "\n";
#endif

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

class AnswerFromEnvironment final : public xh::IQuestionPrompt {
public:
    int Ask(const std::string& title, const std::string& message) override {
        std::fprintf(stderr, "driver: asked %s / %s\n", title.c_str(), message.c_str());
        return Env("XINGHE_TEST_ANSWER") == "1" ? xh::kIdOk : xh::kIdCancel;
    }
};

// The profile with the version service moved to the test's server.
class ServiceOverride final : public xh::IStringTable {
public:
    explicit ServiceOverride(xh::IStringTable& real) : m_real(real) {}
    std::string Load(unsigned id) override {
        if (id == 191 && !Env("XINGHE_TEST_SERVICE").empty()) return Env("XINGHE_TEST_SERVICE");
        return m_real.Load(id);
    }

private:
    xh::IStringTable& m_real;
};

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    xh::InstallBackendPorts();  // the raw line comes from GetCommandLineW
#else
    xh::linuxport::InstallPorts(argc, argv);
#endif
    static AnswerFromEnvironment prompt;
    static ServiceOverride strings(*xh::ports().strings);
    xh::ports().prompt = &prompt;
    xh::ports().strings = &strings;

    const xh::StartupArgs args = xh::ParseStartupArgs(xh::ports().process->RawCommandLine());
    std::fprintf(stderr, "driver: mode %s\n", xh::ProcessModeName(args.mode));
    switch (args.mode) {
        case xh::ProcessMode::ApplyUpdate:
            xh::RunApplyStage(args.pathOperand);
            return 1;
        case xh::ProcessMode::UninstallConfirm:
            xh::RunUninstallConfirm();
            return 0;
        case xh::ProcessMode::UninstallCleanup:
            xh::RunUninstallCleanup(args.pathOperand);
            return 0;
        default:
            break;
    }
    const std::string action = Env("XINGHE_DRIVER_ACTION");
    if (action == "update-check") {
        xh::RunUpdateCheck();
    } else if (action == "first-start") {
        xh::RunFirstStartInstall();
    }
    return 0;
}
