#include "win32/frame_window.h"

#include <gdiplus.h>

#include <algorithm>
#include <thread>

#include "platform/ports.h"
#include "resource.h"
#include "win32/controls_gdiplus.h"
#include "win32/dialog_object.h"
#include "win32/frame_features_window.h"
#include "win32/login_view.h"
#include "win32/wide.h"

namespace xh::win32 {
namespace {

constexpr std::array<int, 11> kBoundButtons{IDC_FRAME_CLOSE,      IDC_FRAME_MAXIMIZE,    IDC_FRAME_RESTORE,
                                            IDC_FRAME_UNUSED_1017, IDC_FRAME_MINIMIZE,   IDC_FRAME_SELECTSERVER,
                                            IDC_FRAME_BOSSKEY,    IDC_FRAME_FULLSCREEN,  IDC_FRAME_UNUSED_1011,
                                            IDC_FRAME_REFRESH,    IDC_FRAME_CLEARCACHE};

HWND ToHwnd(WindowId id) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(id)); }

}  // namespace

Win32FrameWindow::Win32FrameWindow() = default;

Win32FrameWindow::~Win32FrameWindow() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

bool Win32FrameWindow::Create(CVidave_ZqDlg& dialog) {
    m_dialog = &dialog;
    m_hWnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FRAME), nullptr, DialogProc,
                                  reinterpret_cast<LPARAM>(this));
    return m_hWnd != nullptr;
}

void Win32FrameWindow::DoModal(CVidave_ZqDlg& dialog) {
    if (!Create(dialog)) return;
    if (!m_ended) ::ShowWindow(m_hWnd, SW_SHOW);
    MSG msg{};
    while (!m_ended && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (PreTranslateMessage(msg)) continue;
        if (::IsDialogMessageW(m_hWnd, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::ShowWindow(m_hWnd, SW_HIDE);
}

void Win32FrameWindow::EndDialog() {
    m_ended = true;
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wakes the loop
}

bool Win32FrameWindow::PreTranslateMessage(MSG&) { return false; }

INT_PTR CALLBACK Win32FrameWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* me = DialogObject<Win32FrameWindow>(hwnd, message, lParam);
    if (message == WM_INITDIALOG) {
        me->m_hWnd = hwnd;
        for (std::size_t i = 0; i < kBoundButtons.size(); ++i) me->m_buttons[i].SubclassDlgItem(kBoundButtons[i], hwnd);
        if (me->m_dialog) me->m_dialog->OnInitDialog();
        return TRUE;
    }
    if (!me) return FALSE;
    LRESULT result = 0;
    if (CTouchButton::Reflect(message, wParam, lParam, &result)) {
        ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (!me->OnMessage(message, wParam, lParam, result)) return FALSE;
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    // These return their own value rather than the message result.
    if (message == WM_ERASEBKGND || message == WM_CTLCOLORDLG) return static_cast<INT_PTR>(result);
    return TRUE;
}

bool Win32FrameWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    CVidave_ZqDlg* dlg = m_dialog;
    if (!dlg) return false;
    switch (message) {
        case WM_COMMAND:
            // Neither Enter nor the dialog manager's close ends the frame: only its prompts do.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) return true;
            return dlg->OnCommand(LOWORD(wParam));
        case WM_PAINT: {
            PAINTSTRUCT ps;
            ::BeginPaint(m_hWnd, &ps);  // validates; the title bar is drawn by the erase
            ::EndPaint(m_hWnd, &ps);
            SetBigIcon();
            return true;
        }
        case WM_ERASEBKGND:
            DrawTitleBar();
            result = TRUE;
            return true;
        case WM_LBUTTONDBLCLK:
            dlg->OnLButtonDblClk();
            return false;
        case WM_LBUTTONDOWN:
            dlg->OnLButtonDown();
            return false;
        case WM_SYSCOMMAND: {
            const UINT command = static_cast<UINT>(wParam & 0xFFF0);
            if (command == SC_RESTORE) dlg->OnSysCommand(SysCommand::Restore);
            if (command == SC_CLOSE) dlg->OnSysCommand(SysCommand::Close);
            return false;
        }
        case WM_TIMER:
            dlg->OnTimer(static_cast<unsigned>(wParam));
            return false;
        case WM_SIZE:
            dlg->OnSize();
            return true;
        case WM_ACTIVATE:
            return true;  // no saving or restoring of the focus among the frame's own controls
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            const PixelSize min = dlg->MinTrackSize();
            info->ptMinTrackSize = {min.width, min.height};
            return false;
        }
        default:
            if (message == WM_GAMEWND_ATTACHED) {
                dlg->OnGameWindowAttached(static_cast<WindowId>(static_cast<LONG_PTR>(wParam)));
                result = 0;
                return true;
            }
            return false;
    }
}

WindowId Win32FrameWindow::Handle() { return static_cast<WindowId>(reinterpret_cast<LONG_PTR>(m_hWnd)); }

void Win32FrameWindow::SetTitle(const std::string& title) { ::SetWindowTextW(m_hWnd, Widen(title).c_str()); }

void Win32FrameWindow::RemoveCaption() {
    const LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    ::SetWindowLongW(m_hWnd, GWL_STYLE, style & ~WS_CAPTION);
}

void Win32FrameWindow::AddMinimizeBox() {
    const LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    ::SetWindowLongW(m_hWnd, GWL_STYLE, style | WS_SYSMENU | WS_MINIMIZEBOX);
}

void Win32FrameWindow::SetWindowRect(const Rect& r) {
    ::SetWindowPos(m_hWnd, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER);
}

Rect Win32FrameWindow::ClientRect() {
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    return {rc.left, rc.top, rc.right, rc.bottom};
}

void Win32FrameWindow::CenterOnScreen() {
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &info);
    const RECT& area = info.rcWork;
    const int w = window.right - window.left, h = window.bottom - window.top;
    ::SetWindowPos(m_hWnd, nullptr, area.left + (area.right - area.left - w) / 2,
                   area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

void Win32FrameWindow::SendSysCommand(SysCommand command) {
    WPARAM sc = SC_CLOSE;
    switch (command) {
        case SysCommand::Maximize: sc = SC_MAXIMIZE; break;
        case SysCommand::Restore: sc = SC_RESTORE; break;
        case SysCommand::Minimize: sc = SC_MINIMIZE; break;
        case SysCommand::Close: sc = SC_CLOSE; break;
    }
    ::SendMessageW(m_hWnd, WM_SYSCOMMAND, sc, 0);
}

bool Win32FrameWindow::IsZoomed() { return ::IsZoomed(m_hWnd) != FALSE; }

CTouchButton* Win32FrameWindow::Button(int id) {
    const auto it = std::find(kBoundButtons.begin(), kBoundButtons.end(), id);
    return it == kBoundButtons.end() ? nullptr : &m_buttons[static_cast<std::size_t>(it - kBoundButtons.begin())];
}

void Win32FrameWindow::PlaceButton(int id, const Rect& r) {
    ::SetWindowPos(::GetDlgItem(m_hWnd, id), nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER);
}

void Win32FrameWindow::ShowButton(int id, bool visible) {
    ::ShowWindow(::GetDlgItem(m_hWnd, id), visible ? SW_SHOW : SW_HIDE);
}

void Win32FrameWindow::SetButtonImages(int id, unsigned normal, unsigned hover, unsigned pressed) {
    if (CTouchButton* b = Button(id)) b->SetImages(normal, hover, pressed);
}

void Win32FrameWindow::SetButtonToolTip(int id, const std::string& text) {
    if (CTouchButton* b = Button(id)) b->SetToolTipText(text, true);
}

bool Win32FrameWindow::LoadTitlePictures() {
    m_pTitleLeft = LoadPngImage(kTitleLeftPng);
    m_pTitleMiddle = LoadPngImage(kTitleMiddlePng);
    m_pTitleRight = LoadPngImage(kTitleRightPng);
    return m_pTitleLeft && m_pTitleMiddle && m_pTitleRight;
}

void Win32FrameWindow::Invalidate(const Rect& r, bool erase) {
    const RECT rc{r.left, r.top, r.right, r.bottom};
    ::InvalidateRect(m_hWnd, &rc, erase ? TRUE : FALSE);
}

void Win32FrameWindow::SetBigIcon() {
    HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN_ICON));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

std::optional<Rect> Win32FrameWindow::TaskbarRect() {
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", L"");
    RECT rc{};
    if (!taskbar || !::GetWindowRect(taskbar, &rc)) return std::nullopt;
    return Rect{rc.left, rc.top, rc.right, rc.bottom};
}

Rect Win32FrameWindow::WorkArea() {
    RECT rc{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0);
    return {rc.left, rc.top, rc.right, rc.bottom};
}

void Win32FrameWindow::SendToGame(WindowId game, unsigned message, long wParam) {
    ::SendMessageW(ToHwnd(game), message, static_cast<WPARAM>(wParam), 0);
}

void Win32FrameWindow::PostToGame(WindowId game, unsigned message, long wParam) {
    ::PostMessageW(ToHwnd(game), message, static_cast<WPARAM>(wParam), 0);
}

void Win32FrameWindow::SetTimer(unsigned id, unsigned ms) { ::SetTimer(m_hWnd, id, ms, nullptr); }

void Win32FrameWindow::KillTimer(unsigned id) { ::KillTimer(m_hWnd, id); }

void Win32FrameWindow::BeginDrag() { ::PostMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, 0); }

void Win32FrameWindow::DrawTitleBar() {
    if (!m_dialog || !m_dialog->ShouldDrawTitleBar()) return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int width = client.right - client.left;
    HDC dc = ::GetDC(m_hWnd);
    {
        MemoryCanvas canvas(dc, width, kTitleBarHeight);
        Gdiplus::Graphics g(canvas.dc());
        const auto fill = [&](Gdiplus::Image* picture, int x, int w, int h) {
            Gdiplus::TextureBrush brush(picture, Gdiplus::WrapModeTile);
            brush.TranslateTransform(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(client.top));
            g.FillRectangle(&brush, x, static_cast<int>(client.top), w, h);
        };
        const int leftW = static_cast<int>(m_pTitleLeft->GetWidth());
        const int rightW = static_cast<int>(m_pTitleRight->GetWidth());
        fill(m_pTitleLeft, client.left, leftW, static_cast<int>(m_pTitleLeft->GetHeight()));
        fill(m_pTitleMiddle, client.left + leftW, width - leftW - rightW, static_cast<int>(m_pTitleMiddle->GetHeight()));
        fill(m_pTitleRight, client.right - rightW, rightW, static_cast<int>(m_pTitleRight->GetHeight()));
        const std::wstring text = Widen(m_dialog->TitleBarText());
        if (!text.empty()) {
            g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
            g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
            const auto family = MakeFontFamily(kTitleFontFamily);
            Gdiplus::Font font(family.get(), static_cast<Gdiplus::REAL>(kTitleFontPixels), Gdiplus::FontStyleRegular,
                               Gdiplus::UnitPixel);
            Gdiplus::SolidBrush brush{Gdiplus::Color(kTitleTextColour)};
            g.DrawString(text.c_str(), -1, &font,
                         Gdiplus::PointF(static_cast<Gdiplus::REAL>(leftW + kTitleTextGap),
                                         static_cast<Gdiplus::REAL>(kTitleTextY)),
                         static_cast<const Gdiplus::StringFormat*>(nullptr), &brush);
        }
        ::BitBlt(dc, 0, 0, width, kTitleBarHeight, canvas.dc(), 0, 0, SRCCOPY);
    }
    ::ReleaseDC(m_hWnd, dc);
}

bool StartGameProcess(WindowId frame, const std::string& gameUrl) {
    wchar_t path[1024] = {};
    ::GetModuleFileNameW(nullptr, path, 1024);
    const std::string line = FormatGameCommandLine(Narrow(path), frame, gameUrl);
    wchar_t commandLine[1024] = {};
    const std::wstring wide = Widen(line);
    std::copy_n(wide.c_str(), std::min<std::size_t>(wide.size(), 1023), commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;  // 68
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                          &startup, &process)) {
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

void RunFrameWindow() {
    Win32FeatureFrameWindow window;
    FrameHooks hooks;
    hooks.runLogin = [] { return win32port::RunLoginModal(); };
    hooks.startGameProcess = [](WindowId frame, const std::string& url) { StartGameProcess(frame, url); };
    hooks.startThread = [](std::function<void()> run) { std::thread(std::move(run)).detach(); };
    CVidave_ZqDlg dialog(window, hooks);
    window.Attach(dialog, dialog.ModeFlags());
    window.DoModal(dialog);
}

}  // namespace xh::win32
