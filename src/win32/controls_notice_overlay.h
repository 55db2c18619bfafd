#pragma once
// CMenbanDlg for Win32: the translucent veil of dialog template 274 over the frame window.
#include "win32/windows_api.h"

#include <array>

#include "controls/notice_overlay.h"
#include "win32/controls_gdiplus.h"

namespace xh::win32 {

class CMenbanDlg final : private INoticeOverlayView {
public:
    CMenbanDlg() = default;
    ~CMenbanDlg() override;
    CMenbanDlg(const CMenbanDlg&) = delete;
    CMenbanDlg& operator=(const CMenbanDlg&) = delete;

    // Creates the modeless overlay owned by `owner` and hides it.
    bool Create(HWND owner);
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The frame's use through window functions: place over its screen rectangle, timer 5000
    // every 200 ms, show; and kill the timer, hide. The animation continues across showings.
    void ShowOver(const RECT& frameScreenRect);
    void Hide() { m_logic.Hide(); }

    unsigned CurrentPicture() const { return m_logic.CurrentPicture(); }

private:
    PixelSize ClientSize() override;
    PixelSize PictureSize(unsigned id) override;
    void RepaintNow(const PixelRect& rect) override;
    void PlaceOver(const PixelRect& screenRect) override;
    void StartTimer(unsigned id, unsigned intervalMs) override;
    void StopTimer(unsigned id) override;
    void SetVisible(bool visible) override;

    Gdiplus::Image* Picture(unsigned id) const;
    // Composes the invalid part off-screen and copies it to the window in one block.
    void Paint(HDC target, const RECT& invalid);
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    NoticeOverlayLogic m_logic{*this};
    HWND m_hWnd = nullptr;
    Gdiplus::Image* m_pTint = nullptr;
    std::array<Gdiplus::Image*, 4> m_pFrames{};
};

}  // namespace xh::win32
