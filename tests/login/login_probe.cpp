// Runs the login window alone, as the frame window would, and prints what it captured.
#include <gtk/gtk.h>

#include <cstdio>

#include "linux/linux_ports.h"
#include "linux/login_view.h"
#include "linux/version_resource.h"

int main(int argc, char** argv) {
    xh::linuxport::InstallPorts(argc, argv);
    if (!gtk_init_check(&argc, &argv)) return 3;
    const std::string url = xh::linuxport::RunLoginModal();
    std::printf("captured %s\n", url.c_str());
    return 0;
}
