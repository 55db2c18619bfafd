#include "app/app.h"
#include "linux/app_shell.h"
#include "linux/linux_ports.h"
#include "linux/version_resource.h"

int main(int argc, char** argv) {
    xh::linuxport::InstallPorts(argc, argv);
    xh::linuxport::LinuxAppShell shell;
    xh::CVidave_ZqApp app(shell);
    return app.Run();
}
