#pragma once
// The application object: common start-up of every process and the mode dispatch.
#include <functional>
#include <string>

#include "app/startup_args.h"

namespace xh {

// What the application object needs from its backend's window system.
class IAppShell {
public:
    virtual ~IAppShell() = default;
    // Common controls, the framework's registry key and the drawing library.
    virtual void StartUp() = 0;
    virtual void ShutDown() = 0;
    // Normal mode: runs the frame window modally; returns when it has closed.
    virtual void RunFrameWindow() = 0;
    // Game-host mode: creates and shows the game window inside the frame window.
    // True when the caller should run the message loop.
    virtual bool CreateGameWindow(std::int32_t frameWindow, const std::string& gameUrl) = 0;
    // Runs the message loop of a game host until its window ends it; the exit code.
    virtual int RunMessageLoop() = 0;
};

// The maintenance modes, replaceable in tests.
struct ModeRunners {
    std::function<void(const std::string&)> applyStage;   // returns only when the copy failed
    std::function<void()> uninstallConfirm;
    std::function<void(const std::string&)> uninstallCleanup;
};
ModeRunners DefaultModeRunners();

class CVidave_ZqApp {
public:
    explicit CVidave_ZqApp(IAppShell& shell, ModeRunners runners = DefaultModeRunners());

    // True only in game-host mode: the caller then runs the message loop.
    bool InitInstance();
    int ExitInstance();

    // InitInstance, the loop where it asks for one, ExitInstance: the process's exit code.
    int Run();

    const StartupArgs& Args() const { return m_args; }

private:
    IAppShell& m_shell;
    ModeRunners m_runners;
    StartupArgs m_args;
};

}  // namespace xh
