#include "win32/app_shell.h"

// windows_api.h first: the OLE, common-control and GDI+ headers need the full <windows.h>.
#include "win32/windows_api.h"

#include <commctrl.h>
#include <objbase.h>
#include <ole2.h>
#include <gdiplus.h>

#include "win32/frame_window.h"
#include "win32/game_window.h"
#include "win32/wide.h"

namespace xh::win32 {

void Win32AppShell::StartUp() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;  // 8
    controls.dwICC = ICC_WIN95_CLASSES;  // 0xFF
    ::InitCommonControlsEx(&controls);

    // Pages are hosted through the browser control, an OLE control: the thread must be an
    // OLE apartment before any window holds one.
    m_oleReady = SUCCEEDED(::OleInitialize(nullptr));

    // The framework's registry key needs no step here: the per-user profile is opened by
    // name (kRegistryKeyName) where it is written.

    // The result is not looked at: without GDI+ the skinned windows simply draw nothing.
    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, no suppressions
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    m_gdiplusToken = token;
}

void Win32AppShell::ShutDown() {
    if (m_gdiplusToken) Gdiplus::GdiplusShutdown(m_gdiplusToken);
    m_gdiplusToken = 0;
    if (m_oleReady) ::OleUninitialize();
    m_oleReady = false;
}

void Win32AppShell::RunFrameWindow() { win32::RunFrameWindow(); }

bool Win32AppShell::CreateGameWindow(std::int32_t frameWindow, const std::string& gameUrl) {
    // Without a window nothing would end a game host, so it ends at once.
    return win32::CreateGameWindow(frameWindow, gameUrl);
}

int Win32AppShell::RunMessageLoop() { return win32::RunGameMessageLoop(); }

}  // namespace xh::win32
