#include "linux/app_shell.h"

#include <gtk/gtk.h>

#include <cstdio>

#include "linux/frame_window.h"
#include "linux/game_window.h"

namespace xh::linuxport {

void LinuxAppShell::StartUp() {
    // Without a display the maintenance modes still run; only windows need GTK.
    m_guiReady = gtk_init_check(nullptr, nullptr);
}

void LinuxAppShell::ShutDown() {}

void LinuxAppShell::RunFrameWindow() {
    if (!m_guiReady) {
        std::fprintf(stderr, "xinghe-launcher: no display for the frame window\n");
        return;
    }
    linuxport::RunFrameWindow();
}

bool LinuxAppShell::CreateGameWindow(std::int32_t frameWindow, const std::string& gameUrl) {
    // Nothing would end a game host without a window, so it ends at once.
    if (!m_guiReady) return false;
    return linuxport::CreateGameWindow(frameWindow, gameUrl);
}

int LinuxAppShell::RunMessageLoop() { return m_guiReady ? linuxport::RunGameMessageLoop() : 0; }

}  // namespace xh::linuxport
