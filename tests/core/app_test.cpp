#include <gtest/gtest.h>

#include "app/app.h"
#include "support/fake_ports.h"

namespace xh {
namespace {

class RecordingShell final : public IAppShell {
public:
    std::vector<std::string> calls;
    bool gameWindowCreated = true;
    void StartUp() override { calls.push_back("StartUp"); }
    void ShutDown() override { calls.push_back("ShutDown"); }
    void RunFrameWindow() override { calls.push_back("RunFrameWindow"); }
    bool CreateGameWindow(std::int32_t frame, const std::string& url) override {
        calls.push_back("CreateGameWindow " + std::to_string(frame) + " " + url);
        return gameWindowCreated;
    }
    int RunMessageLoop() override {
        calls.push_back("RunMessageLoop");
        return 0;
    }
};

struct ModeRun {
    const char* line;
    std::vector<std::string> calls;
};

TEST(AppTest, DispatchesEveryModeInOrder) {
    const ModeRun runs[] = {
        {"\"/opt/x/launcher\"", {"StartUp", "RunFrameWindow", "ShutDown"}},
        {"\"/opt/x/launcher\" -frameWnd=77 -gameurl=http://h/",
         {"StartUp", "CreateGameWindow 77 http://h/", "RunMessageLoop", "ShutDown"}},
        {"-d /opt/x/launcher", {"StartUp", "apply /opt/x/launcher", "RunFrameWindow", "ShutDown"}},
        {"\"/opt/x/launcher\" -u", {"StartUp", "confirm", "ShutDown"}},
        {"-u /opt/x/launcher", {"StartUp", "cleanup /opt/x/launcher", "ShutDown"}},
    };
    for (const ModeRun& run : runs) {
        testing::FakePorts fakes;
        fakes.process.commandLine = run.line;
        RecordingShell shell;
        ModeRunners runners{[&](const std::string& p) { shell.calls.push_back("apply " + p); },
                            [&] { shell.calls.push_back("confirm"); },
                            [&](const std::string& p) { shell.calls.push_back("cleanup " + p); }};
        CVidave_ZqApp app(shell, runners);
        EXPECT_EQ(app.Run(), 0);
        EXPECT_EQ(shell.calls, run.calls) << run.line;
    }
}

TEST(AppTest, GameHostWithoutWindowSkipsTheLoop) {
    testing::FakePorts fakes;
    fakes.process.commandLine = "x -frameWnd=5 -gameurl=u";
    RecordingShell shell;
    shell.gameWindowCreated = false;
    CVidave_ZqApp app(shell, ModeRunners{});
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"StartUp", "CreateGameWindow 5 u"}));
}

}  // namespace
}  // namespace xh
