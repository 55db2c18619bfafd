#pragma once
#include "app/app.h"

namespace xh::linuxport {

class LinuxAppShell final : public IAppShell {
public:
    void StartUp() override;
    void ShutDown() override;
    void RunFrameWindow() override;
    bool CreateGameWindow(std::int32_t frameWindow, const std::string& gameUrl) override;
    int RunMessageLoop() override;

private:
    bool m_guiReady = false;
};

}  // namespace xh::linuxport
