#include "linux/app_shell.h"

#include <gtk/gtk.h>

#include <cstdio>

namespace xh::linuxport {

void LinuxAppShell::StartUp() {
    // Without a display the maintenance modes still run; only windows need GTK.
    m_guiReady = gtk_init_check(nullptr, nullptr);
}

void LinuxAppShell::ShutDown() {}

void LinuxAppShell::RunFrameWindow() {
    std::fprintf(stderr, "xinghe-launcher: the frame window is not available in this build yet\n");
}

bool LinuxAppShell::CreateGameWindow(std::int32_t frameWindow, const std::string& gameUrl) {
    std::fprintf(stderr, "xinghe-launcher: the game window is not available in this build yet (frame %d, %s)\n",
                 static_cast<int>(frameWindow), gameUrl.c_str());
    // Nothing would end a game host without a window, so it ends at once.
    return false;
}

int LinuxAppShell::RunMessageLoop() {
    if (m_guiReady) gtk_main();
    return 0;
}

}  // namespace xh::linuxport
