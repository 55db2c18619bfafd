// The controls on screen for the GUI tests (Windows, run under Wine). The same commands as
// probe_linux.cpp:
//   msgbox [title message]  shows the message box; exit status and "result N" are its result
//   question title message  the same through ShowQuestionBox
//   overlay N               shows the notice overlay over a frame window, lets N timer ticks
//                           pass, then holds still and prints "ready <picture>"
//   live                    the overlay with its own timer: shown for four changes of its
//                           picture, hidden 500 ms, shown again for one more; prints
//                           "picture <id> <ms>", "hidden <ms>", "shown <ms>", then "done"
//   button                  a window with one image button that has a tooltip; prints "click"
//                           per click and "tooltip <ms>" when the tooltip shows
#include "win32/windows_api.h"

#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "controls/notice_overlay.h"
#include "controls/question_box.h"
#include "platform/backend.h"
#include "win32/controls_message_box.h"
#include "win32/controls_notice_overlay.h"
#include "win32/controls_touch_button.h"
#include "win32/wide.h"

namespace {

using namespace xh;
using namespace xh::win32;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    ~GdiplusSession() { Gdiplus::GdiplusShutdown(m_token); }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR m_token = 0;
};

int MessageLoop() {
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

struct ButtonProbe {
    CTouchButton* button = nullptr;
    DWORD hoverSince = 0;
    bool hover = false, shown = false;
};
ButtonProbe g_buttonProbe;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT reflected = 0;
    if (CTouchButton::Reflect(message, wParam, lParam, &reflected)) return reflected;
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == 1021 && HIWORD(wParam) == BN_CLICKED) Say("click");
            return 0;
        case WM_TIMER:
            if (wParam == 1 && g_buttonProbe.button) {
                ButtonProbe& p = g_buttonProbe;
                if (p.button->Hover() && !p.hover) p.hoverSince = ::GetTickCount();
                p.hover = p.button->Hover();
                const bool shown = p.button->ToolTipShowing();
                if (shown && !p.shown) Say("tooltip " + std::to_string(::GetTickCount() - p.hoverSince));
                p.shown = shown;
            }
            return 0;
        case WM_DESTROY: ::PostQuitMessage(0); return 0;
        default: return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

HWND FrameWindow(const wchar_t* title, int x, int y, int w, int h) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &FrameProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"XingheProbeFrame";
    ::RegisterClassW(&wc);
    HWND frame = ::CreateWindowExW(0, wc.lpszClassName, title, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, w, h,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    ::UpdateWindow(frame);
    return frame;
}

int RunMessageBox(int argc, wchar_t** argv) {
    CCustomMessageBox box;
    if (argc >= 4) box.SetText(Narrow(argv[2]), Narrow(argv[3]));
    const int result = box.DoModal();
    Say("result " + std::to_string(result));
    return result;
}

int RunOverlay(int ticks) {
    HWND frame = FrameWindow(L"xinghe-probe-frame", 100, 80, 640, 420);
    CMenbanDlg overlay;
    overlay.Create(frame);
    overlay.ShowOver(RECT{100, 80, 740, 500});
    // The ticks come from here, so the picture on screen is known when "ready" is printed.
    ::KillTimer(overlay.GetSafeHwnd(), kNoticeTimerId);
    for (int i = 0; i < ticks; ++i) ::SendMessageW(overlay.GetSafeHwnd(), WM_TIMER, kNoticeTimerId, 0);
    const DWORD until = ::GetTickCount() + 700;
    MSG msg{};
    while (::GetTickCount() < until) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
    Say("ready " + std::to_string(overlay.CurrentPicture()));
    return MessageLoop();
}

// GDI+ under Wine takes seconds for its first picture and text; the timing runs after that.
void WarmUpDrawing() {
    HDC screen = ::GetDC(nullptr);
    {
        MemoryCanvas canvas(screen, 200, 40);
        Gdiplus::Graphics g(canvas.dc());
        DrawPicture(g, LoadPngImage(kNoticeFrames[0]), 0, 0);
        DrawLayoutText(g, "缓存清理中", LayoutNotice({200, 40}, {23, 23}).textStyle, {0, 0, 200, 31});
    }
    ::ReleaseDC(nullptr, screen);
}

int RunLive() {
    WarmUpDrawing();
    HWND frame = FrameWindow(L"xinghe-probe-frame", 100, 80, 640, 420);
    CMenbanDlg overlay;
    overlay.Create(frame);
    const DWORD start = ::GetTickCount();
    auto ms = [&] { return std::to_string(::GetTickCount() - start); };
    unsigned last = overlay.CurrentPicture();
    overlay.ShowOver(RECT{100, 80, 740, 500});
    int changes = 0;
    DWORD hiddenAt = 0;
    bool hidden = false, shownAgain = false;
    MSG msg{};
    while (changes < 5 && ::GetTickCount() - start < 20000) {
        // One message at a time, so that no tick goes by unseen.
        if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        } else {
            ::Sleep(5);
        }
        const unsigned picture = overlay.CurrentPicture();
        if (picture != last) {
            Say("picture " + std::to_string(picture) + " " + ms());
            ++changes;
        }
        last = picture;
        if (changes == 4 && !hidden) {
            overlay.Hide();
            hidden = true;
            hiddenAt = ::GetTickCount();
            Say("hidden " + ms());
        }
        if (hidden && !shownAgain && ::GetTickCount() - hiddenAt >= 500) {
            overlay.ShowOver(RECT{100, 80, 740, 500});
            shownAgain = true;
            Say("shown " + ms());
        }
    }
    Say("done");
    return 0;
}

int RunButton() {
    HWND frame = FrameWindow(L"xinghe-probe-button", 200, 200, 200, 80);
    ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 60, 28, 78, 24, frame,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(1021)), ::GetModuleHandleW(nullptr), nullptr);
    CTouchButton button;
    button.SubclassDlgItem(1021, frame);
    button.SetImages(226, 219, 236);
    button.SetToolTipText("刷新");
    ::InvalidateRect(frame, nullptr, TRUE);
    g_buttonProbe.button = &button;
    ::SetTimer(frame, 1, 20, nullptr);
    Say("ready");
    return MessageLoop();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    xh::InstallBackendPorts();
    // What the application object starts before any window: common controls and GDI+.
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    GdiplusSession gdiplus;
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"msgbox") return RunMessageBox(argc, argv);
    if (command == L"question" && argc >= 4) {
        const int result = xh::ShowQuestionBox(Narrow(argv[2]), Narrow(argv[3]));
        Say("result " + std::to_string(result));
        return result;
    }
    if (command == L"overlay") return RunOverlay(argc > 2 ? _wtoi(argv[2]) : 0);
    if (command == L"button") return RunButton();
    if (command == L"live") return RunLive();
    std::fprintf(stderr, "usage: probe msgbox [title message] | overlay N | live | button\n");
    return 100;
}
