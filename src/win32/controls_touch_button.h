#pragma once
// CTouchButton for Win32: an owner-drawn push button of a dialog. It composes its three looks
// once over the parent's pixels beneath it and afterwards copies one of them.
#include "win32/windows_api.h"

#include <array>
#include <string>

#include "controls/touch_button.h"
#include "win32/controls_gdiplus.h"

namespace xh::win32 {

class CTouchButton final : private ITouchButtonView {
public:
    CTouchButton() = default;
    ~CTouchButton() override;
    CTouchButton(const CTouchButton&) = delete;
    CTouchButton& operator=(const CTouchButton&) = delete;

    // Binds the object to the button control `id` of `dialog` (the framework's DDX_Control):
    // the button becomes owner-drawn and its messages come here first.
    bool SubclassDlgItem(int id, HWND dialog);
    HWND GetSafeHwnd() const { return m_hWnd; }

    bool SetImages(unsigned normal, unsigned hover, unsigned pressed) { return m_logic.SetImages(normal, hover, pressed); }
    void SetToolTipText(const std::string& text, bool activate = true) { m_logic.SetToolTipText(text, activate); }

    // The parent reflects WM_CTLCOLORBTN and WM_DRAWITEM of its touch buttons through this,
    // as the framework's message reflection does; true when the message was a button's.
    static bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    bool Hover() const { return m_logic.Hover(); }
    bool ToolTipShowing() const { return m_toolTip && ::IsWindowVisible(m_toolTip); }

private:
    bool LoadPicture(ButtonLook look, unsigned id) override;
    void CaptureBackground() override;
    void ComposeLook(ButtonLook look, bool brighten) override;
    bool TrackMouse(unsigned hoverMs) override;
    void Redraw() override;
    bool HasToolTip() override { return m_toolTip != nullptr; }
    void CreateToolTip() override;
    void DestroyToolTip() override;
    void SetToolTip(const std::string& text, const ToolTipDelays& delays, bool activate) override;
    void UpdateToolTip() override;

    void CtlColor(HDC dc);
    void DrawItem(const DRAWITEMSTRUCT& item);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    static std::size_t Index(ButtonLook look) { return static_cast<std::size_t>(look); }

    TouchButtonLogic m_logic{*this};
    HWND m_hWnd = nullptr;
    std::array<CGdiPlusBitmapResource, 3> m_pictures;
    std::wstring m_toolTipText;
    HWND m_toolTip = nullptr;
    MemoryCanvas m_background;
    std::array<MemoryCanvas, 3> m_looks;
    HDC m_paintDC = nullptr;  // the context of the message that prepares the looks
};

}  // namespace xh::win32
