#include "win32/game_window.h"

#include <thread>

#include "platform/ports.h"
#include "resource.h"
#include "win32/dialog_object.h"
#include "win32/game_browser.h"

namespace xh::win32 {
namespace {

HWND ToHwnd(WindowId id) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(id)); }

Win32GameWindow* g_gameWindow = nullptr;

void WriteDebugOutput(const std::string& text) {
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
    ::OutputDebugStringW(wide.c_str());
}

}  // namespace

Win32GameWindow::~Win32GameWindow() {
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

bool Win32GameWindow::Create(CGameWndDlg& dialog, WindowId frame) {
    m_dialog = &dialog;
    m_hWnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_GAME_WINDOW), ToHwnd(frame),
                                  DialogProc, reinterpret_cast<LPARAM>(this));
    if (!m_hWnd) return false;
    ::ShowWindow(m_hWnd, SW_SHOW);
    return true;
}

INT_PTR CALLBACK Win32GameWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* me = DialogObject<Win32GameWindow>(hwnd, message, lParam);
    if (message == WM_INITDIALOG) {
        me->m_hWnd = hwnd;
        me->m_dialog->OnInitDialog();
        AttachGameBrowser(me->m_dialog->View());
        return TRUE;
    }
    if (!me || !me->m_dialog) return FALSE;
    LRESULT result = 0;
    switch (message) {
        case WM_CLOSE:
            AttachGameBrowser(nullptr);
            me->m_dialog->OnClose();
            break;
        case WM_SIZE:
            me->m_dialog->OnSize();
            return FALSE;
        case WM_COMMAND:
            // OnOK and OnCancel do nothing: the dialog manager never ends this window.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) break;
            return FALSE;
        default:
            if (message == WM_GAMEWND_RELOAD) {
                result = me->m_dialog->OnReload();
                break;
            }
            if (message == WM_GAMEWND_FIT) {
                result = me->m_dialog->OnFit(static_cast<long>(wParam));
                break;
            }
            return FALSE;
    }
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

bool Win32GameWindow::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && m_dialog) {
        GameKey key = GameKey::Other;
        if (msg.wParam == VK_ESCAPE) key = GameKey::Escape;
        if (msg.wParam == VK_RETURN) key = GameKey::Enter;
        if (msg.wParam == VK_F5) key = GameKey::F5;
        switch (m_dialog->PreTranslateKeyDown(key)) {
            case KeyRoute::ToPage: return false;  // past the dialog manager, to the focused page
            case KeyRoute::Consumed: return true;
            case KeyRoute::Default: break;
        }
    }
    if (m_dialog && m_dialog->View() && TranslateBrowserAccelerator(msg)) return true;
    return m_hWnd && ::IsDialogMessageW(m_hWnd, &msg);
}

WindowId Win32GameWindow::Handle() { return static_cast<WindowId>(reinterpret_cast<LONG_PTR>(m_hWnd)); }

std::unique_ptr<IHtmlBrowser> Win32GameWindow::MakeBrowser() { return MakeGameBrowser(m_hWnd); }

std::optional<Rect> Win32GameWindow::FrameClientRect(WindowId frame) {
    RECT rc{};
    if (!::GetClientRect(ToHwnd(frame), &rc)) return std::nullopt;
    return Rect{rc.left, rc.top, rc.right, rc.bottom};
}

void Win32GameWindow::MoveWindow(const Rect& r, bool repaint) {
    ::MoveWindow(m_hWnd, r.left, r.top, r.Width(), r.Height(), repaint ? TRUE : FALSE);
}

Rect Win32GameWindow::ClientRect() {
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    return {rc.left, rc.top, rc.right, rc.bottom};
}

void Win32GameWindow::SetParent(WindowId frame) { ::SetParent(m_hWnd, ToHwnd(frame)); }

void Win32GameWindow::SendToFrame(WindowId frame, unsigned message, long wParam) {
    ::SendMessageW(ToHwnd(frame), message, static_cast<WPARAM>(wParam), 0);
}

bool Win32GameWindow::IsVisible() { return ::IsWindowVisible(m_hWnd) != FALSE; }

void Win32GameWindow::Show() { ::ShowWindow(m_hWnd, SW_SHOW); }

void Win32GameWindow::PostQuit(int code) { ::PostQuitMessage(code); }

void Win32GameWindow::StartWatchdog() {
    const HWND frame = ToHwnd(m_dialog->FrameWindow());
    const HWND self = m_hWnd;
    std::thread([frame, self] {
        WatchdogActions actions;
        actions.frameExists = [frame] { return ::IsWindow(frame) != FALSE; };
        actions.postClose = [self] { ::PostMessageW(self, WM_CLOSE, 0, 0); };
        actions.endProcess = [] { ports().process->Exit(0); };
        FrameWatchdogThread(*ports().clock, actions);
    }).detach();
}

bool CreateGameWindow(WindowId frame, const std::string& gameUrl) {
    // Both live until the process ends, as the framework's main window does.
    g_gameWindow = new Win32GameWindow();
    auto* dialog = new CGameWndDlg(*g_gameWindow, frame, gameUrl, WriteDebugOutput);
    return g_gameWindow->Create(*dialog, frame);
}

int RunGameMessageLoop() {
    MSG msg{};
    for (;;) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 0;
        if (g_gameWindow && g_gameWindow->PreTranslateMessage(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace xh::win32
