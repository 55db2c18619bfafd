#pragma once
// Global hotkeys on Windows: RegisterHotKey on the frame window, delivered as WM_HOTKEY.
#include "win32/windows_api.h"

#include "frame/view_modes.h"

namespace xh::win32 {

class WindowHotKeys final : public IHotKeys {
public:
    explicit WindowHotKeys(HWND window) : m_window(window) {}
    bool Unregister(int id) override { return ::UnregisterHotKey(m_window, id) != FALSE; }
    // The codec's modifier mask is the platform's MOD_ flags, its key code a virtual key.
    bool Register(int id, std::uint32_t modifiers, std::uint32_t keyCode) override {
        return ::RegisterHotKey(m_window, id, modifiers, keyCode) != FALSE;
    }
    void SetWindow(HWND window) { m_window = window; }

private:
    HWND m_window;
};

}  // namespace xh::win32
