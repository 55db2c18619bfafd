#include "win32/frame_features_window.h"

#include <thread>

namespace xh::win32 {

Win32FeatureFrameWindow::Win32FeatureFrameWindow() = default;

Win32FeatureFrameWindow::~Win32FeatureFrameWindow() {
    // The icon goes while its window still exists.
    m_features.reset();
}

void Win32FeatureFrameWindow::Attach(CVidave_ZqDlg& dialog, FrameModeFlags flags) {
    CacheCleaningPorts cache;
    cache.openUrlCache = [](WindowId) -> std::unique_ptr<IUrlCache> { return std::make_unique<WinInetUrlCache>(); };
    cache.folder = &m_cacheFolder;
    cache.debug = WriteDebugLine;
    m_features = std::make_unique<FrameFeatures>(dialog, *this, *this, flags, FeaturePorts{m_tray, m_hotKeys, cache});
}

void Win32FeatureFrameWindow::AddTrayIcon(const std::string& tip) {
    if (m_features) m_features->AddTrayIcon(tip);
}

void Win32FeatureFrameWindow::CreateNoticeOverlay() { m_overlay.Create(GetSafeHwnd()); }

void Win32FeatureFrameWindow::RegisterHotKeys() {
    m_hAccel = ::LoadAcceleratorsW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kAcceleratorTable));
    m_hotKeys.SetWindow(GetSafeHwnd());
    if (m_features) m_features->RegisterHotKeys();
}

bool Win32FeatureFrameWindow::IsVisible() { return ::IsWindowVisible(GetSafeHwnd()) != FALSE; }

void Win32FeatureFrameWindow::Show() { ::ShowWindow(GetSafeHwnd(), SW_SHOW); }

void Win32FeatureFrameWindow::Hide() { ::ShowWindow(GetSafeHwnd(), SW_HIDE); }

void Win32FeatureFrameWindow::SetForeground() { ::SetForegroundWindow(GetSafeHwnd()); }

bool Win32FeatureFrameWindow::IsTopParentActive() {
    // The framework's IsTopParentActive: the frame is the foreground window's top parent.
    HWND foreground = ::GetForegroundWindow();
    return foreground && ::GetAncestor(foreground, GA_ROOT) == GetSafeHwnd();
}

Rect Win32FeatureFrameWindow::ScreenRect() {
    RECT r{};
    ::GetWindowRect(GetSafeHwnd(), &r);
    return {r.left, r.top, r.right, r.bottom};
}

Rect Win32FeatureFrameWindow::PrimaryScreen() {
    return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

void Win32FeatureFrameWindow::CoverScreen(const Rect& screen) {
    ::SetWindowPos(GetSafeHwnd(), nullptr, screen.left, screen.top, screen.Width(), screen.Height(), SWP_NOZORDER);
}

void Win32FeatureFrameWindow::UpdateWindow() { ::UpdateWindow(GetSafeHwnd()); }

Point Win32FeatureFrameWindow::CursorPos() {
    POINT p{};
    ::GetCursorPos(&p);
    return {p.x, p.y};
}

void Win32FeatureFrameWindow::TrackTrayMenu(const Point& at) { win32::TrackTrayMenu(GetSafeHwnd(), at); }

void Win32FeatureFrameWindow::ShowNoticeOverlay(const Rect& screen) {
    m_overlay.ShowOver(RECT{screen.left, screen.top, screen.right, screen.bottom});
}

void Win32FeatureFrameWindow::HideNoticeOverlay() { m_overlay.Hide(); }

void Win32FeatureFrameWindow::StartWorker(std::function<void()> work) { std::thread(std::move(work)).detach(); }

void Win32FeatureFrameWindow::SendCommand(int id) {
    ::SendMessageW(GetSafeHwnd(), WM_COMMAND, static_cast<WPARAM>(id), 0);
}

bool Win32FeatureFrameWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!m_features) return Win32FrameWindow::OnMessage(message, wParam, lParam, result);
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDCANCEL) {
                m_features->OnCommand(kIdCancelCommand);
                return true;
            }
            if (Win32FrameWindow::OnMessage(message, wParam, lParam, result)) return true;
            return m_features->OnCommand(id);
        }
        case WM_SYSCOMMAND:
            Win32FrameWindow::OnMessage(message, wParam, lParam, result);
            // The default processing that follows turns a close into WM_CLOSE and IDCANCEL.
            if ((wParam & 0xFFF0) == SC_CLOSE) m_features->OnSysClose();
            return false;
        case WM_HOTKEY:
            m_features->OnHotKey(static_cast<int>(wParam));
            return false;
        default:
            if (message == WM_TRAYNOTIFY) {
                const UINT mouse = LOWORD(lParam);
                m_features->OnTrayNotify(mouse == WM_LBUTTONDOWN ? TrayMouse::LButtonDown
                                         : mouse == WM_RBUTTONUP ? TrayMouse::RButtonUp
                                                                 : TrayMouse::Other);
                result = 0;
                return true;
            }
            return Win32FrameWindow::OnMessage(message, wParam, lParam, result);
    }
}

bool Win32FeatureFrameWindow::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        // An ordinary keystroke: the dialog manager never turns it into IDOK or IDCANCEL.
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
        return true;
    }
    if (m_hAccel && ::TranslateAcceleratorW(GetSafeHwnd(), m_hAccel, &msg)) return true;
    return Win32FrameWindow::PreTranslateMessage(msg);
}

}  // namespace xh::win32
