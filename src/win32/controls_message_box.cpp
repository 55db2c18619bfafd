#include "win32/controls_message_box.h"

#include "controls/question_box.h"
#include "win32/dialog_object.h"
#include "win32/wide.h"

namespace xh::win32 {

namespace {

// The framework's centring of a dialog: over its owner when it has a visible one, otherwise
// in the work area.
void CenterWindow(HWND hwnd, HWND owner) {
    RECT box{}, area{};
    ::GetWindowRect(hwnd, &box);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    const int w = box.right - box.left, h = box.bottom - box.top;
    ::SetWindowPos(hwnd, nullptr, area.left + (area.right - area.left - w) / 2,
                   area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

int CCustomMessageBox::DoModal(HWND owner) {
    if (!owner) owner = ::GetActiveWindow();
    const INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMessageBoxTemplate), owner,
                                             &CCustomMessageBox::StaticProc, reinterpret_cast<LPARAM>(this));
    // Without its template the box cannot ask: that is no consent.
    return result == kIdOk ? kIdOk : kIdCancel;
}

BOOL CCustomMessageBox::OnInitDialog() {
    m_btnClose.SubclassDlgItem(kMessageBoxCloseId, m_hWnd);
    m_btnOk.SubclassDlgItem(kIdOk, m_hWnd);
    m_btnCancel.SubclassDlgItem(kIdCancel, m_hWnd);

    const MessageBoxLayout& l = GetMessageBoxLayout();
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, l.size.width, l.size.height, SWP_NOMOVE | SWP_NOZORDER);
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, (style | WS_SYSMENU | WS_MINIMIZEBOX) & ~static_cast<LONG_PTR>(WS_CAPTION));
    // The window text names the box in the task switcher and for tests; no caption shows it.
    ::SetWindowTextW(m_hWnd, Widen(m_logic.Title()).c_str());

    const std::pair<CTouchButton*, const MessageBoxButton*> buttons[] = {
        {&m_btnClose, &l.close}, {&m_btnOk, &l.ok}, {&m_btnCancel, &l.cancel}};
    for (const auto& [button, place] : buttons) {
        ::SetWindowPos(button->GetSafeHwnd(), nullptr, place->place.x, place->place.y, place->place.width,
                       place->place.height, SWP_NOZORDER);
        button->SetImages(place->normal, place->hover, place->pressed);
    }
    m_pBackground = LoadPngImage(kMessageBoxBackground);
    return TRUE;
}

void CCustomMessageBox::Paint(HDC target) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    MemoryCanvas memory(target, client.right, client.bottom);
    {
        Gdiplus::Graphics g(memory.dc());
        const MessageBoxLayout& l = GetMessageBoxLayout();
        if (m_pBackground) {
            DrawPicture(g, m_pBackground, 0, 0);
        } else {
            // Without its panel the box stays usable: a plain dark panel.
            Gdiplus::SolidBrush panel(Gdiplus::Color(0xFF101838));
            g.FillRectangle(&panel, 0, 0, client.right, client.bottom);
        }
        DrawLayoutText(g, m_logic.Title(), l.titleStyle, l.titleRect);
        DrawLayoutText(g, m_logic.Message(), l.messageStyle, l.messageRect);
    }
    ::BitBlt(target, 0, 0, client.right, client.bottom, memory.dc(), 0, 0, SRCCOPY);
}

INT_PTR CCustomMessageBox::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT reflected = 0;
    if (CTouchButton::Reflect(message, wParam, lParam, &reflected)) {
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, reflected);
        return TRUE;
    }
    switch (message) {
        case WM_INITDIALOG: {
            RECT before{};
            ::GetWindowRect(m_hWnd, &before);
            const BOOL result = OnInitDialog();
            RECT after{};
            ::GetWindowRect(m_hWnd, &after);
            // The framework centres a dialog whose initialisation did not move it.
            if (before.left == after.left && before.top == after.top) CenterWindow(m_hWnd, ::GetWindow(m_hWnd, GW_OWNER));
            return result;
        }
        case WM_ERASEBKGND:
            Paint(reinterpret_cast<HDC>(wParam));
            ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_NCHITTEST: {
            LRESULT hit = ::DefWindowProcW(m_hWnd, message, wParam, lParam);
            if (hit == HTCLIENT) hit = HTCAPTION;
            ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, hit);
            return TRUE;
        }
        case WM_COMMAND: {
            if (HIWORD(wParam) != BN_CLICKED) return FALSE;
            if (const auto result = MessageBoxLogic::OnCommand(LOWORD(wParam))) {
                ::EndDialog(m_hWnd, *result);
                return TRUE;
            }
            return FALSE;
        }
        default: return FALSE;
    }
}

INT_PTR CALLBACK CCustomMessageBox::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* box = DialogObject<CCustomMessageBox>(hwnd, message, lParam);
    if (!box) return FALSE;
    if (message == WM_INITDIALOG) box->m_hWnd = hwnd;
    return box->DialogProc(message, wParam, lParam);
}

}  // namespace xh::win32

namespace xh {

int ShowQuestionBox(const std::string& title, const std::string& message) {
    win32::CCustomMessageBox box;
    box.SetText(title, message);
    return box.DoModal(nullptr);
}

}  // namespace xh
