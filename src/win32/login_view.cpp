#include "win32/login_view.h"

#include "app/version_text.h"
#include "platform/ports.h"
#include "update/first_start.h"
#include "update/update_module.h"
#include "win32/controls_gdiplus.h"
#include "win32/dialog_object.h"
#include "win32/wide.h"

namespace xh::win32 {
namespace {

constexpr int kLoginTemplate = 103;
constexpr int kPopupTemplate = 1015;
constexpr COLORREF kPopupColorKey = RGB(0, 255, 0);
constexpr WPARAM kAltKey = 18;  // VK_MENU

void SetDialogResult(HWND dialog, LRESULT result) { ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result); }

}  // namespace

// ----- pop-up -----

void Win32LoginPopupView::Initialize() {
    ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kPopupTemplate), m_owner,
                         &Win32LoginPopupView::StaticProc, reinterpret_cast<LPARAM>(this));
}

BOOL Win32LoginPopupView::OnInitDialog() {
    HWND hwnd = m_hWnd.get();
    ::SetWindowPos(hwnd, nullptr, 0, 0, PopupLayout::kWidth, PopupLayout::kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(hwnd, kPopupColorKey, 255, LWA_COLORKEY | LWA_ALPHA);

    const struct {
        CTouchButton& button;
        int id;
        const Rect& place;
        const int* images;
    } buttons[] = {
        {m_btnMinimize, kIdPopupMinimize, PopupLayout::kMinimizeButton, PopupLayout::kMinimizeImages},
        {m_btnClose, kIdPopupClose, PopupLayout::kCloseButton, PopupLayout::kCloseImages},
    };
    for (const auto& b : buttons) {
        if (!b.button.SubclassDlgItem(b.id, hwnd)) continue;
        b.button.SetImages(b.images[0], b.images[1], b.images[2]);
        ::SetWindowPos(b.button.GetSafeHwnd(), nullptr, b.place.left, b.place.top, b.place.Width(), b.place.Height(),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // The pattern brush keeps its own copy of the bitmap.
    if (HBITMAP pattern = static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                             MAKEINTRESOURCEW(PopupLayout::kBackgroundBitmap),
                                                             IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR))) {
        m_brBack.reset(::CreatePatternBrush(pattern));
        ::DeleteObject(pattern);
    }
    return TRUE;
}

std::unique_ptr<IBrowserControl> Win32LoginPopupView::CreateBrowserControl() {
    auto site = std::make_unique<CLoginFormSite>(m_hWnd.get());
    m_site = site.get();
    return site;
}

void Win32LoginPopupView::MoveTo(const Rect& r) {
    if (m_hWnd) ::MoveWindow(m_hWnd.get(), r.left, r.top, r.Width(), r.Height(), TRUE);
}

bool Win32LoginPopupView::IsVisible() const { return m_hWnd && ::IsWindowVisible(m_hWnd.get()); }

void Win32LoginPopupView::Show() {
    if (m_hWnd) ::ShowWindow(m_hWnd.get(), SW_SHOW);
}

bool Win32LoginPopupView::Owns(HWND window) const {
    return m_hWnd && window && (window == m_hWnd.get() || ::IsChild(m_hWnd.get(), window));
}

void Win32LoginPopupView::Dispatch(MSG& msg) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

bool Win32LoginPopupView::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && m_presenter) {
        const bool control = ::GetAsyncKeyState(VK_CONTROL) != 0;
        switch (m_presenter->OnKeyDown(static_cast<unsigned>(msg.wParam), control)) {
            case PopupKeyAction::Swallow:
                return true;
            case PopupKeyAction::ToFocusedWindow:
                Dispatch(msg);
                return true;
            case PopupKeyAction::ToPage: {
                const HRESULT hr = m_site ? m_site->TranslatePageKey(msg.wParam, msg.lParam) : E_FAIL;
                if (hr == S_OK) return true;
                if (hr == S_FALSE) {
                    Dispatch(msg);
                    return true;
                }
                break;  // no page to take it: the dialog's own handling
            }
            case PopupKeyAction::Default:
                break;
        }
    }
    return m_hWnd && ::IsDialogMessageW(m_hWnd.get(), &msg);
}

INT_PTR Win32LoginPopupView::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = m_hWnd.get();
    LRESULT reflected = 0;
    if (CTouchButton::Reflect(message, wParam, lParam, &reflected)) {
        SetDialogResult(hwnd, reflected);
        return TRUE;
    }
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_CTLCOLORDLG:
            if (reinterpret_cast<HWND>(lParam) == hwnd && m_brBack) return reinterpret_cast<INT_PTR>(m_brBack.get());
            return FALSE;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDOK || id == IDCANCEL) return TRUE;  // Enter, Escape and the dialog manager end nothing
            if (id == kIdGameUrlNavigated || ((id == kIdPopupMinimize || id == kIdPopupClose) &&
                                              HIWORD(wParam) == BN_CLICKED)) {
                if (m_presenter) m_presenter->OnCommand(id);
                return TRUE;
            }
            return FALSE;
        }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                if (m_presenter) m_presenter->OnSysClose();
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK Win32LoginPopupView::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* view = DialogObject<Win32LoginPopupView>(hwnd, message, lParam);
    if (!view) return FALSE;
    if (message == WM_INITDIALOG) view->m_hWnd.reset(hwnd);
    if (message != WM_NCDESTROY) return view->DialogProc(message, wParam, lParam);
    view->m_hWnd.release();  // already on its way out
    return FALSE;
}

// ----- login window -----

Win32LoginWindow::~Win32LoginWindow() {
    m_popup.reset();
    m_hWnd.reset();
}

std::string Win32LoginWindow::DoModal(CVidaveLogin& login) {
    m_login = &login;
    m_ended = false;
    ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kLoginTemplate), nullptr,
                         &Win32LoginWindow::StaticProc, reinterpret_cast<LPARAM>(this));
    // Without its template there is no window to log in with and nothing to wait for.
    if (m_hWnd) {
        MSG msg{};
        while (!m_ended) {
            const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0) {
                // A quit request belongs to the loop outside: hand it on.
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (got < 0) break;
            if (!PreTranslateMessage(msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
    // Unbound first: hiding the login must not make the pop-up follow and show itself again.
    m_login = nullptr;
    if (m_popup) m_popup->Bind(nullptr);
    if (m_hWnd) ::ShowWindow(m_hWnd.get(), SW_HIDE);
    if (m_popup && m_popup->GetSafeHwnd()) ::ShowWindow(m_popup->GetSafeHwnd(), SW_HIDE);
    return login.GetGameUrl();
}

bool Win32LoginWindow::PreTranslateMessage(MSG& msg) {
    if (m_popup && m_popup->Owns(msg.hwnd) && m_popup->PreTranslateMessage(msg)) return true;
    // Alt goes to its window untouched, whatever the message.
    if (msg.wParam == kAltKey) return false;
    return m_hWnd && ::IsDialogMessageW(m_hWnd.get(), &msg);
}

void Win32LoginWindow::SetTitle(const std::string& title) { ::SetWindowTextW(m_hWnd.get(), Widen(title).c_str()); }

bool Win32LoginWindow::LoadBackground(int& width, int& height) {
    m_pBackImage = LoadPngImage(LoginLayout::kBackgroundPng);
    if (!m_pBackImage) return false;
    width = static_cast<int>(m_pBackImage->GetWidth());
    height = static_cast<int>(m_pBackImage->GetHeight());
    return width > 0 && height > 0;
}

void Win32LoginWindow::ApplyLayeredBackground() {
    HWND hwnd = m_hWnd.get();
    ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    const int w = m_pBackImage ? static_cast<int>(m_pBackImage->GetWidth()) : 0;
    const int h = m_pBackImage ? static_cast<int>(m_pBackImage->GetHeight()) : 0;
    if (w <= 0 || h <= 0) {
        // Nothing to show: the window has no size and takes no clicks.
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    HDC windowDC = ::GetDC(hwnd);
    HDC memoryDC = ::CreateCompatibleDC(windowDC);
    // A 32-bit top-down section, so that the picture's alpha reaches the layered window
    // premultiplied, as UpdateLayeredWindow takes it.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ScopedGdiObject surface(::CreateDIBSection(windowDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (surface && memoryDC) {
        {
            Gdiplus::Bitmap target(w, h, w * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits));
            Gdiplus::Graphics g(&target);
            g.Clear(Gdiplus::Color(0, 0, 0, 0));
            const Gdiplus::Point corners[3] = {{0, 0}, {w, 0}, {0, h}};
            g.DrawImage(m_pBackImage, corners, 3);
        }
        HGDIOBJ previous = ::SelectObject(memoryDC, surface.get());
        RECT placed{};
        ::GetWindowRect(hwnd, &placed);
        POINT destination{placed.left, placed.top};
        SIZE size{w, h};
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::UpdateLayeredWindow(hwnd, windowDC, &destination, &size, memoryDC, &source, 0, &blend, ULW_ALPHA);
        ::SelectObject(memoryDC, previous);
    }
    if (memoryDC) ::DeleteDC(memoryDC);
    ::ReleaseDC(hwnd, windowDC);
}

void Win32LoginWindow::CenterOnScreen() {
    RECT box{}, area{};
    ::GetWindowRect(m_hWnd.get(), &box);
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int w = box.right - box.left, h = box.bottom - box.top;
    ::SetWindowPos(m_hWnd.get(), nullptr, area.left + (area.right - area.left - w) / 2,
                   area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Rect Win32LoginWindow::ScreenRect() const {
    RECT r{};
    ::GetWindowRect(m_hWnd.get(), &r);
    return {r.left, r.top, r.right, r.bottom};
}

void Win32LoginWindow::Minimize() { ::ShowWindow(m_hWnd.get(), SW_MINIMIZE); }

ILoginPopupView& Win32LoginWindow::CreatePopupView() {
    m_popup = std::make_unique<Win32LoginPopupView>(m_hWnd.get());
    return *m_popup;
}

void Win32LoginWindow::EndModal(int) {
    m_ended = true;
    if (m_hWnd) ::PostMessageW(m_hWnd.get(), WM_NULL, 0, 0);  // wakes the loop
}

void Win32LoginWindow::OnPaint() {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(m_hWnd.get(), &paint);
    if (dc && m_login) {
        RECT client{};
        ::GetClientRect(m_hWnd.get(), &client);
        const Rect box = LoginLayout::VersionTextRect(client.right, client.bottom);
        Gdiplus::Graphics g(dc);
        const Gdiplus::FontFamily arial(L"arial");
        const Gdiplus::FontFamily* family = arial.IsAvailable() ? &arial : Gdiplus::FontFamily::GenericSansSerif();
        Gdiplus::Font font(family, 10, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
        Gdiplus::SolidBrush brush(Gdiplus::Color(LoginLayout::kVersionColor));
        Gdiplus::StringFormat format;
        format.SetAlignment(Gdiplus::StringAlignmentNear);
        format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
        const std::wstring text = Widen(m_login->VersionText());
        const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(box.left), static_cast<Gdiplus::REAL>(box.top),
                                    static_cast<Gdiplus::REAL>(box.Width()), static_cast<Gdiplus::REAL>(box.Height()));
        g.DrawString(text.c_str(), static_cast<INT>(text.size()), &font, layout, &format, &brush);
    }
    ::EndPaint(m_hWnd.get(), &paint);
}

INT_PTR Win32LoginWindow::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = m_hWnd.get();
    switch (message) {
        case WM_INITDIALOG:
            if (m_login) {
                m_login->OnInitDialog();
                ::SetWindowLongPtrW(hwnd, GWL_STYLE, ::GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_MINIMIZEBOX);
                if (m_popup) m_popup->Bind(m_login->Popup());
            }
            return TRUE;
        case WM_NCHITTEST: {
            LRESULT hit = ::DefWindowProcW(hwnd, message, wParam, lParam);
            if (hit == HTCLIENT) hit = HTCAPTION;  // any visible pixel drags the window
            SetDialogResult(hwnd, hit);
            return TRUE;
        }
        case WM_PAINT:
            OnPaint();
            return TRUE;
        case WM_WINDOWPOSCHANGED:
            ::DefWindowProcW(hwnd, message, wParam, lParam);
            if (m_login) m_login->OnWindowPosChanged();
            return TRUE;
        case WM_SYSCOMMAND:
            // The close asks first; a declined exit then ends in Cancel, which does nothing.
            if ((wParam & 0xFFF0) == SC_CLOSE && m_login) m_login->OnSysClose();
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) return TRUE;
            return FALSE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK Win32LoginWindow::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* view = DialogObject<Win32LoginWindow>(hwnd, message, lParam);
    if (!view) return FALSE;
    if (message == WM_INITDIALOG) view->m_hWnd.reset(hwnd);
    if (message != WM_NCDESTROY) return view->DialogProc(message, wParam, lParam);
    view->m_hWnd.release();  // already on its way out
    return FALSE;
}

std::string RunLoginWindow(LoginHooks hooks) {
    Win32LoginWindow window;
    CVidaveLogin login(window, std::move(hooks));
    return window.DoModal(login);
}

}  // namespace xh::win32

namespace xh::win32port {

std::string RunLoginModal() {
    return win32::RunLoginWindow(LoginHooks{RunUpdateCheck, RunFirstStartInstall, [] {
                                                return GetFileVersionText(ports().process->ModulePath());
                                            }});
}

}  // namespace xh::win32port
