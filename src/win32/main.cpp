#include "app/app.h"
#include "win32/app_shell.h"
#include "win32/win32_ports.h"
#include "win32/windows_api.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    xh::win32::InstallPorts();
    xh::win32::Win32AppShell shell;
    xh::CVidave_ZqApp app(shell);
    return app.Run();
}
