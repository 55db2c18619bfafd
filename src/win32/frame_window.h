#pragma once
// The frame window of the Windows backend: dialog 101, skinned, with the game host's window
// of another process as its child.
#include "win32/windows_api.h"

#include <array>
#include <memory>

#include "frame/frame_dialog.h"
#include "win32/controls_touch_button.h"

namespace Gdiplus {
class Image;
}

namespace xh::win32 {

class Win32FrameWindow : public IFrameView {
public:
    Win32FrameWindow();
    ~Win32FrameWindow() override;
    Win32FrameWindow(const Win32FrameWindow&) = delete;
    Win32FrameWindow& operator=(const Win32FrameWindow&) = delete;

    // Creates the dialog and runs its modal loop until EndDialog.
    void DoModal(CVidave_ZqDlg& dialog);
    // Creates the dialog and runs OnInitDialog without a loop of its own (tests pump).
    bool Create(CVidave_ZqDlg& dialog);
    void EndDialog();
    bool Ended() const { return m_ended; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    WindowId Handle() override;
    void SetTitle(const std::string& title) override;
    void RemoveCaption() override;
    void AddMinimizeBox() override;
    void SetWindowRect(const Rect& rect) override;
    Rect ClientRect() override;
    void CenterOnScreen() override;
    void SendSysCommand(SysCommand command) override;
    bool IsZoomed() override;
    void PlaceButton(int id, const Rect& rect) override;
    void ShowButton(int id, bool visible) override;
    void SetButtonImages(int id, unsigned normal, unsigned hover, unsigned pressed) override;
    void SetButtonToolTip(int id, const std::string& text) override;
    bool LoadTitlePictures() override;
    void Invalidate(const Rect& rect, bool erase) override;
    void SetBigIcon() override;
    std::optional<Rect> TaskbarRect() override;
    Rect WorkArea() override;
    void SendToGame(WindowId game, unsigned message, long wParam) override;
    void PostToGame(WindowId game, unsigned message, long wParam) override;
    void SetTimer(unsigned id, unsigned ms) override;
    void KillTimer(unsigned id) override;
    void BeginDrag() override;

protected:
    // The frame's own message handling; false leaves the message to the dialog manager.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Before dispatch, for every message of the loop; true when it was used up.
    virtual bool PreTranslateMessage(MSG& msg);
    CVidave_ZqDlg* Dialog() { return m_dialog; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void DrawTitleBar();
    CTouchButton* Button(int id);

    HWND m_hWnd = nullptr;
    CVidave_ZqDlg* m_dialog = nullptr;
    // The eleven buttons of the template, two of them bound and never used.
    std::array<CTouchButton, 11> m_buttons;
    Gdiplus::Image* m_pTitleLeft = nullptr;
    Gdiplus::Image* m_pTitleMiddle = nullptr;
    Gdiplus::Image* m_pTitleRight = nullptr;
    bool m_ended = false;
};

// Normal mode: the frame with its login, then its game host.
void RunFrameWindow();

// "\"%s\" -frameWnd=%ld -gameurl=%s" through CreateProcessW; handles closed at once.
bool StartGameProcess(WindowId frame, const std::string& gameUrl);

}  // namespace xh::win32
