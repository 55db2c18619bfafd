#include "app/app.h"

#include "platform/ports.h"
#include "update/maintenance.h"

namespace xh {

ModeRunners DefaultModeRunners() {
    return {RunApplyStage, RunUninstallConfirm, RunUninstallCleanup};
}

CVidave_ZqApp::CVidave_ZqApp(IAppShell& shell, ModeRunners runners) : m_shell(shell), m_runners(std::move(runners)) {}

bool CVidave_ZqApp::InitInstance() {
    m_shell.StartUp();
    const std::string commandLine = ports().process->RawCommandLine();
    m_args = ParseStartupArgs(commandLine);
    switch (m_args.mode) {
        case ProcessMode::ApplyUpdate:
            m_runners.applyStage(m_args.pathOperand);
            // The copy failed: carry on as an ordinary launcher.
            m_args = ParseWindowModeArgs(commandLine);
            break;
        case ProcessMode::UninstallConfirm:
            m_runners.uninstallConfirm();
            return false;
        case ProcessMode::UninstallCleanup:
            m_runners.uninstallCleanup(m_args.pathOperand);
            return false;
        case ProcessMode::GameHost:
        case ProcessMode::Normal:
            break;
    }
    if (m_args.mode == ProcessMode::GameHost) return m_shell.CreateGameWindow(m_args.frameWindow, m_args.gameUrl);
    m_shell.RunFrameWindow();
    return false;
}

int CVidave_ZqApp::ExitInstance() {
    m_shell.ShutDown();
    return 0;
}

int CVidave_ZqApp::Run() {
    int code = 0;
    if (InitInstance()) code = m_shell.RunMessageLoop();
    const int exitCode = ExitInstance();
    return code != 0 ? code : exitCode;
}

}  // namespace xh
