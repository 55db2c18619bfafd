#include "win32/controls_notice_overlay.h"

#include "platform/ports.h"
#include "win32/dialog_object.h"

namespace xh::win32 {

CMenbanDlg::~CMenbanDlg() {
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

bool CMenbanDlg::Create(HWND owner) {
    m_hWnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kNoticeTemplate), owner,
                                  &CMenbanDlg::StaticProc, reinterpret_cast<LPARAM>(this));
    if (!m_hWnd) return false;
    ::ShowWindow(m_hWnd, SW_HIDE);
    return true;
}

void CMenbanDlg::ShowOver(const RECT& r) {
    m_logic.Show({r.left, r.top, r.right - r.left, r.bottom - r.top});
}

PixelSize CMenbanDlg::ClientSize() {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    return {client.right, client.bottom};
}

Gdiplus::Image* CMenbanDlg::Picture(unsigned id) const {
    for (std::size_t i = 0; i < kNoticeFrames.size(); ++i) {
        if (kNoticeFrames[i] == id) return m_pFrames[i];
    }
    return nullptr;
}

PixelSize CMenbanDlg::PictureSize(unsigned id) {
    Gdiplus::Image* picture = Picture(id);
    if (!picture) return {};
    return {static_cast<int>(picture->GetWidth()), static_cast<int>(picture->GetHeight())};
}

void CMenbanDlg::RepaintNow(const PixelRect& r) {
    const RECT rect{r.x, r.y, r.x + r.width, r.y + r.height};
    ::InvalidateRect(m_hWnd, &rect, TRUE);
    ::UpdateWindow(m_hWnd);
}

void CMenbanDlg::PlaceOver(const PixelRect& r) {
    ::SetWindowPos(m_hWnd, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER);
}

void CMenbanDlg::StartTimer(unsigned id, unsigned intervalMs) { ::SetTimer(m_hWnd, id, intervalMs, nullptr); }

void CMenbanDlg::StopTimer(unsigned id) { ::KillTimer(m_hWnd, id); }

void CMenbanDlg::SetVisible(bool visible) { ::ShowWindow(m_hWnd, visible ? SW_SHOW : SW_HIDE); }

void CMenbanDlg::Paint(HDC target, const RECT& invalid) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int w = client.right, h = client.bottom;
    MemoryCanvas memory(target, w, h);
    {
        Gdiplus::Graphics g(memory.dc());
        // A tick invalidates only the animation's square; drawing the rest again would cost
        // a whole veil per tick.
        g.SetClip(Gdiplus::Rect(invalid.left, invalid.top, invalid.right - invalid.left, invalid.bottom - invalid.top));
        Gdiplus::SolidBrush white(Gdiplus::Color(255, 255, 255, 255));
        g.FillRectangle(&white, 0, 0, w, h);
        if (m_pTint) {
            Gdiplus::TextureBrush tint(m_pTint, Gdiplus::WrapModeTile);
            tint.TranslateTransform(static_cast<Gdiplus::REAL>(client.left), static_cast<Gdiplus::REAL>(client.top));
            g.FillRectangle(&tint, 0, 0, w, h);
        }
        const NoticeLayout layout = m_logic.Layout();
        DrawPicture(g, Picture(m_logic.CurrentPicture()), layout.picture.x, layout.picture.y);
        const std::string notice = ports().strings ? ports().strings->Load(kNoticeTextId) : std::string();
        DrawLayoutText(g, notice, layout.textStyle, layout.text);
    }
    ::BitBlt(target, invalid.left, invalid.top, invalid.right - invalid.left, invalid.bottom - invalid.top, memory.dc(),
             invalid.left, invalid.top, SRCCOPY);
}

INT_PTR CMenbanDlg::DialogProc(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            m_pTint = LoadPngImage(kNoticeTint);
            for (std::size_t i = 0; i < kNoticeFrames.size(); ++i) m_pFrames[i] = LoadPngImage(kNoticeFrames[i]);
            m_logic.Init();
            // The window text names the overlay for tests; it has no caption to show it.
            ::SetWindowTextW(m_hWnd, L"xinghe-notice");
            ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) | WS_EX_LAYERED);
            ::SetLayeredWindowAttributes(m_hWnd, 0, kNoticeWindowAlpha, LWA_ALPHA);
            return TRUE;
        }
        case WM_ERASEBKGND: ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE); return TRUE;
        case WM_TIMER: m_logic.OnTimer(static_cast<unsigned>(wParam)); return TRUE;
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            HDC dc = ::BeginPaint(m_hWnd, &ps);
            Paint(dc, ps.rcPaint);
            ::EndPaint(m_hWnd, &ps);
            return TRUE;
        }
        default: return FALSE;
    }
}

INT_PTR CALLBACK CMenbanDlg::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* overlay = DialogObject<CMenbanDlg>(hwnd, message, lParam);
    if (!overlay) return FALSE;
    if (message == WM_INITDIALOG) overlay->m_hWnd = hwnd;
    return overlay->DialogProc(message, wParam, lParam);
}

}  // namespace xh::win32
