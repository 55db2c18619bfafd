#pragma once
// CCustomMessageBox for Win32: the skinned modal question box of dialog template 164.
#include "win32/windows_api.h"

#include <array>

#include "controls/message_box.h"
#include "win32/controls_touch_button.h"

namespace xh::win32 {

class CCustomMessageBox {
public:
    CCustomMessageBox() = default;
    CCustomMessageBox(const CCustomMessageBox&) = delete;
    CCustomMessageBox& operator=(const CCustomMessageBox&) = delete;

    void SetText(const std::string& title, const std::string& message) { m_logic.SetText(title, message); }

    // Runs the box over `owner` (the active window when null), centred on it: IDOK or IDCANCEL.
    int DoModal(HWND owner = nullptr);

private:
    BOOL OnInitDialog();
    void Paint(HDC target);
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    MessageBoxLogic m_logic;
    HWND m_hWnd = nullptr;
    CTouchButton m_btnOk, m_btnCancel, m_btnClose;
    Gdiplus::Image* m_pBackground = nullptr;  // picture 304, kept for the life of the process
};

}  // namespace xh::win32
