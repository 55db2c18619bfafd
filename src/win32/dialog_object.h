#pragma once
// Dialog procedures are static; the C++ object a dialog serves travels as the parameter of
// CreateDialogParam/DialogBoxParam and is kept in DWLP_USER from WM_INITDIALOG on.
#include "win32/windows_api.h"

namespace xh::win32 {

// The object of `hwnd`'s dialog, or nullptr for the messages that come before WM_INITDIALOG
// and after WM_NCDESTROY (which still reaches the object).
template <typename T>
T* DialogObject(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        return reinterpret_cast<T*>(lParam);
    }
    T* object = reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    return object;
}

}  // namespace xh::win32
