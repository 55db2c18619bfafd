// The frame window and the game host as real windows and processes on Windows (under Wine
// in this project's test run). No browser engine is needed: the page may stay empty.
// The program is its own game host: started with "-frameWnd=", it runs the game-host mode.
#include <gtest/gtest.h>

#include "win32/windows_api.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/app.h"
#include "platform/backend.h"
#include "win32/app_shell.h"
#include "win32/frame_window.h"

namespace xh::win32 {
namespace {

using namespace std::chrono_literals;

// Runs the window messages of this thread until `done` or the limit.
bool PumpUntil(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done()) return true;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return done();
}

HWND ToHwnd(WindowId id) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(id)); }

Rect ClientOf(HWND w) {
    RECT rc{};
    ::GetClientRect(w, &rc);
    return {rc.left, rc.top, rc.right, rc.bottom};
}

// A child's rectangle in its parent's client coordinates.
Rect PlaceInParent(HWND child) {
    RECT rc{};
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return {rc.left, rc.top, rc.right, rc.bottom};
}

struct Process {
    HANDLE handle = nullptr;
    ~Process() {
        if (handle) ::CloseHandle(handle);
    }
    bool EndsWithin(DWORD ms) const { return handle && ::WaitForSingleObject(handle, ms) == WAIT_OBJECT_0; }
};

// The process that owns a window, opened for waiting.
HANDLE ProcessOf(HWND w) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    return ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
}

class FrameWin32Test : public testing::Test {
protected:
    void SetUp() override {
        // Without a browser engine installed, the control must not ask for one.
        ::SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"mshtml=");
    }
};

TEST_F(FrameWin32Test, FrameShowsItsTitleBarAndHostsTheGameWindowUntilItIsClosed) {
    Win32FrameWindow window;
    FrameHooks hooks;
    hooks.runLogin = [] { return std::string("about:blank?play_gamecode=x&svname=S1%2Fz"); };
    hooks.startGameProcess = [](WindowId frame, const std::string& url) { StartGameProcess(frame, url); };
    hooks.startThread = [](std::function<void()> run) { std::thread(std::move(run)).detach(); };
    CVidave_ZqDlg dialog(window, hooks);
    ASSERT_TRUE(window.Create(dialog));
    HWND frame = window.GetSafeHwnd();
    ::ShowWindow(frame, SW_SHOW);
    EXPECT_EQ(dialog.ServerName(), "S1");

    // Maximised into the work area, with the restore button where the maximise button was.
    EXPECT_TRUE(::IsZoomed(frame));
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT placed{};
    ::GetWindowRect(frame, &placed);
    EXPECT_EQ(placed.right - placed.left, work.right - work.left);
    EXPECT_EQ(placed.bottom - placed.top, work.bottom - work.top);
    const int right = ClientOf(frame).right;
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(frame, kBtnMaximize)));
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(frame, kBtnRestore)));
    for (const ButtonPlace& p : LayoutTitleButtons(right)) {
        if (p.id == kBtnMaximize) continue;
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(frame, p.id))) << p.id;
        EXPECT_EQ(PlaceInParent(::GetDlgItem(frame, p.id)), p.rect) << p.id;
    }
    EXPECT_TRUE(dialog.ShouldDrawTitleBar());

    // The game host started by the frame attaches as its child and fits below the title bar.
    ASSERT_TRUE(PumpUntil(30s, [&] { return dialog.GameWindow() != 0; })) << "no game window";
    HWND game = ToHwnd(dialog.GameWindow());
    EXPECT_EQ(::GetParent(game), frame);
    EXPECT_TRUE(PumpUntil(5s, [&] { return PlaceInParent(game) == GameWindowRect(ClientOf(frame), false); }));

    // "[ S1 ]" is drawn in its colour right of the left picture.
    ::RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    PumpUntil(300ms, [] { return false; });
    HDC dc = ::GetDC(frame);
    int textPixels = 0;
    for (int y = 2; y < 28; ++y) {
        for (int x = 203; x < 263; ++x) {
            const COLORREF c = ::GetPixel(dc, x, y);
            if (std::abs(GetRValue(c) - 0xFF) < 40 && std::abs(GetGValue(c) - 0xF3) < 40 && std::abs(GetBValue(c) - 0xCD) < 40) {
                ++textPixels;
            }
        }
    }
    ::ReleaseDC(frame, dc);
    EXPECT_GT(textPixels, 5);
    // Time for a screenshot of the frame from outside, when asked for.
    if (const char* hold = std::getenv("XINGHE_FRAME_HOLD_MS")) {
        PumpUntil(std::chrono::milliseconds(std::atoi(hold)), [] { return false; });
    }

    // Restored: the frame's size changes and the game window follows.
    ::SendMessageW(frame, WM_COMMAND, kBtnRestore, 0);
    EXPECT_FALSE(::IsZoomed(frame));
    EXPECT_EQ(ClientOf(frame), (Rect{0, 0, 1000, 700}));
    EXPECT_TRUE(PumpUntil(5s, [&] { return PlaceInParent(game) == GameWindowRect(ClientOf(frame), false); }))
        << PlaceInParent(game).right << "x" << PlaceInParent(game).bottom;
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(frame, kBtnMaximize)));

    // WM_CLOSE from the frame ends the game host at once.
    Process host{ProcessOf(game)};
    ASSERT_TRUE(host.handle);
    ::SendMessageW(game, WM_CLOSE, 0, 0);
    EXPECT_TRUE(host.EndsWithin(3000));
}

TEST_F(FrameWin32Test, GameHostStartedByHandEndsWhenItsFrameDies) {
    Win32FrameWindow window;
    FrameHooks hooks;
    hooks.runLogin = [] { return std::string("about:blank"); };
    CVidave_ZqDlg dialog(window, hooks);  // no game host of its own
    ASSERT_TRUE(window.Create(dialog));
    HWND frame = window.GetSafeHwnd();
    ::ShowWindow(frame, SW_SHOW);

    wchar_t path[1024] = {};
    ::GetModuleFileNameW(nullptr, path, 1024);
    std::wstring line = L"\"" + std::wstring(path) + L"\" -frameWnd=" +
                        std::to_wstring(static_cast<long>(reinterpret_cast<LONG_PTR>(frame))) + L" -gameurl=about:blank";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &pi));
    ::CloseHandle(pi.hThread);
    Process host{pi.hProcess};

    ASSERT_TRUE(PumpUntil(30s, [&] { return dialog.GameWindow() != 0; })) << "no game window";
    HWND game = ToHwnd(dialog.GameWindow());
    EXPECT_TRUE(PumpUntil(5s, [&] { return PlaceInParent(game) == GameWindowRect(ClientOf(frame), false); }));
    // A fit in fullscreen mode covers the whole client area.
    ::SendMessageW(game, WM_GAMEWND_FIT, 1, 0);
    EXPECT_EQ(PlaceInParent(game), ClientOf(frame));

    ::DestroyWindow(frame);
    const auto gone = std::chrono::steady_clock::now();
    EXPECT_TRUE(host.EndsWithin(4000));
    EXPECT_LE(std::chrono::steady_clock::now() - gone, 2500ms);
}

}  // namespace
}  // namespace xh::win32

int main(int argc, char** argv) {
    xh::InstallBackendPorts();
    // Started by a test as the game host.
    if (std::wstring(::GetCommandLineW()).find(L" -frameWnd=") != std::wstring::npos) {
        xh::win32::Win32AppShell shell;
        xh::CVidave_ZqApp app(shell, xh::ModeRunners{});
        return app.Run();
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
