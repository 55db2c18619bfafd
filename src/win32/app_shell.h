#pragma once
#include <cstdint>
#include <string>

#include "app/app.h"

namespace xh::win32 {

class Win32AppShell final : public IAppShell {
public:
    void StartUp() override;
    void ShutDown() override;
    void RunFrameWindow() override;
    bool CreateGameWindow(std::int32_t frameWindow, const std::string& gameUrl) override;
    int RunMessageLoop() override;

private:
    std::uintptr_t m_gdiplusToken = 0;
    bool m_oleReady = false;
};

}  // namespace xh::win32
