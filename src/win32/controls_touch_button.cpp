#include "win32/controls_touch_button.h"

#include <commctrl.h>

#include "controls/color_matrix.h"
#include "win32/wide.h"

namespace xh::win32 {

namespace {
const wchar_t kButtonProperty[] = L"xinghe.TouchButton";
constexpr UINT_PTR kSubclassId = 0x7842;
}  // namespace

CTouchButton::~CTouchButton() {
    DestroyToolTip();
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        ::RemoveWindowSubclass(m_hWnd, &CTouchButton::SubclassProc, kSubclassId);
        ::RemovePropW(m_hWnd, kButtonProperty);
    }
}

bool CTouchButton::SubclassDlgItem(int id, HWND dialog) {
    m_hWnd = ::GetDlgItem(dialog, id);
    if (!m_hWnd) return false;
    // PreSubclassWindow: the button becomes owner-drawn.
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ::SetPropW(m_hWnd, kButtonProperty, this);
    return ::SetWindowSubclass(m_hWnd, &CTouchButton::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

bool CTouchButton::Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_CTLCOLORBTN) {
        auto* button = static_cast<CTouchButton*>(::GetPropW(reinterpret_cast<HWND>(lParam), kButtonProperty));
        if (!button) return false;
        button->CtlColor(reinterpret_cast<HDC>(wParam));
        return false;  // a null brush: the parent's own handling picks the brush
    }
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!item || item->CtlType != ODT_BUTTON) return false;
        auto* button = static_cast<CTouchButton*>(::GetPropW(item->hwndItem, kButtonProperty));
        if (!button) return false;
        button->DrawItem(*item);
        *result = TRUE;
        return true;
    }
    return false;
}

bool CTouchButton::LoadPicture(ButtonLook look, unsigned id) { return m_pictures[Index(look)].Load(id); }

void CTouchButton::CaptureBackground() {
    if (m_background) return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    HWND parent = ::GetParent(m_hWnd);
    HDC parentDC = ::GetDC(parent);
    RECT place{};
    ::GetWindowRect(m_hWnd, &place);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    m_background.Create(parentDC, client.right, client.bottom);
    ::BitBlt(m_background.dc(), 0, 0, client.right, client.bottom, parentDC, place.left, place.top, SRCCOPY);
    ::ReleaseDC(parent, parentDC);
}

void CTouchButton::ComposeLook(ButtonLook look, bool brighten) {
    MemoryCanvas& state = m_looks[Index(look)];
    if (state || !m_paintDC) return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int w = client.right, h = client.bottom;
    CMyMemDC memory(m_paintDC, client);
    ::BitBlt(memory.dc(), 0, 0, w, h, m_background.dc(), 0, 0, SRCCOPY);
    if (Gdiplus::Bitmap* picture = m_pictures[Index(look)].Get()) {
        Gdiplus::Graphics g(memory.dc());
        const INT pw = static_cast<INT>(picture->GetWidth()), ph = static_cast<INT>(picture->GetHeight());
        if (brighten) {
            Gdiplus::ColorMatrix matrix{};
            for (int row = 0; row < 5; ++row)
                for (int column = 0; column < 5; ++column) matrix.m[row][column] = kHoverMatrix[row][column];
            Gdiplus::ImageAttributes attributes;
            attributes.SetColorMatrix(&matrix, Gdiplus::ColorMatrixFlagsDefault, Gdiplus::ColorAdjustTypeDefault);
            g.DrawImage(picture, Gdiplus::Rect(0, 0, pw, ph), 0, 0, pw, ph, Gdiplus::UnitPixel, &attributes);
        } else {
            g.DrawImage(picture, 0, 0, pw, ph);
        }
    }
    state.Create(memory.dc(), w, h);
    ::BitBlt(state.dc(), 0, 0, w, h, memory.dc(), 0, 0, SRCCOPY);
}

void CTouchButton::CtlColor(HDC dc) {
    if (m_logic.Prepared() || !dc) return;
    m_paintDC = dc;
    m_logic.Prepare();
    m_paintDC = nullptr;
}

void CTouchButton::DrawItem(const DRAWITEMSTRUCT& item) {
    if (!m_logic.Prepared()) CtlColor(item.hDC);
    const auto look = m_logic.Draw((item.itemState & ODS_SELECTED) != 0);
    if (!look || !m_looks[Index(*look)]) return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    ::BitBlt(item.hDC, 0, 0, client.right, client.bottom, m_looks[Index(*look)].dc(), 0, 0, SRCCOPY);
}

bool CTouchButton::TrackMouse(unsigned hoverMs) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = m_hWnd;
    track.dwHoverTime = hoverMs;
    return ::TrackMouseEvent(&track) != FALSE;
}

void CTouchButton::Redraw() { ::InvalidateRect(m_hWnd, nullptr, TRUE); }

void CTouchButton::CreateToolTip() {
    m_toolTip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, m_hWnd, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (m_toolTip) ::SendMessageW(m_toolTip, TTM_ACTIVATE, TRUE, 0);
}

void CTouchButton::DestroyToolTip() {
    // The control is owned by the button and may have gone with it already.
    if (m_toolTip && ::IsWindow(m_toolTip)) ::DestroyWindow(m_toolTip);
    m_toolTip = nullptr;
}

void CTouchButton::SetToolTip(const std::string& text, const ToolTipDelays& delays, bool activate) {
    if (!m_toolTip) return;
    m_toolTipText = Widen(text);
    TOOLINFOW tool{};
    // The size common controls 5 and 6 both accept.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = m_hWnd;
    tool.uId = 1;
    tool.lpszText = m_toolTipText.data();
    ::GetClientRect(m_hWnd, &tool.rect);
    if (::SendMessageW(m_toolTip, TTM_GETTOOLCOUNT, 0, 0) == 0) ::SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(m_toolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(m_toolTip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, MAKELPARAM(delays.initialMs, 0));
    ::SendMessageW(m_toolTip, TTM_ACTIVATE, activate, 0);
}

void CTouchButton::UpdateToolTip() {
    if (m_toolTip && ::IsWindow(m_toolTip)) ::SendMessageW(m_toolTip, TTM_UPDATE, 0, 0);
}

LRESULT CTouchButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // PreTranslateMessage: a double click is a second ordinary press, so it makes its own
    // BN_CLICKED; then the tooltip sees the mouse.
    if (message == WM_LBUTTONDBLCLK) message = WM_LBUTTONDOWN;
    if (m_toolTip && ::IsWindow(m_toolTip) && message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        MSG msg{m_hWnd, message, wParam, lParam, static_cast<DWORD>(::GetMessageTime()), {}};
        const DWORD pos = ::GetMessagePos();
        msg.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
        ::SendMessageW(m_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    }
    switch (message) {
        case WM_ERASEBKGND: return TRUE;
        case WM_MOUSEMOVE: m_logic.OnMouseMove(); break;
        case WM_MOUSEHOVER: m_logic.OnMouseHover(); return 0;
        case WM_MOUSELEAVE: m_logic.OnMouseLeave(); return 0;
        case WM_SETCURSOR: ::SetCursor(::LoadCursorW(nullptr, IDC_HAND)); return TRUE;
        default: break;
    }
    return ::DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CTouchButton::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR self) {
    auto* button = reinterpret_cast<CTouchButton*>(self);
    if (message == WM_NCDESTROY) {
        button->DestroyToolTip();
        ::RemoveWindowSubclass(hwnd, &CTouchButton::SubclassProc, kSubclassId);
        ::RemovePropW(hwnd, kButtonProperty);
        button->m_hWnd = nullptr;
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    return button->WindowProc(message, wParam, lParam);
}

}  // namespace xh::win32
