#pragma once
// CMenbanDlg's animation and layout, apart from any window.
#include <array>

#include "controls/control_types.h"

namespace xh {

inline constexpr unsigned kNoticeTemplate = 274;
inline constexpr unsigned kNoticeTimerId = 5000;
inline constexpr unsigned kNoticeIntervalMs = 200;
inline constexpr unsigned kNoticeTint = 275;
inline constexpr std::array<unsigned, 4> kNoticeFrames{276, 277, 278, 279};
inline constexpr unsigned kNoticeTextId = 116;  // profile string: the cleaning notice
inline constexpr unsigned char kNoticeWindowAlpha = 229;  // of 255

struct NoticeLayout {
    PixelRect picture;  // the animation picture, 40 pixels above the centre
    LayoutRect text;    // the notice, centred
    TextStyle textStyle;
};

// Integer divisions truncate toward zero, so a client narrower than the text rectangle
// puts it left of the overlay.
NoticeLayout LayoutNotice(PixelSize client, PixelSize picture);

class INoticeOverlayView {
public:
    virtual ~INoticeOverlayView() = default;
    virtual PixelSize ClientSize() = 0;
    virtual PixelSize PictureSize(unsigned id) = 0;
    // Invalidates the rectangle and repaints it at once.
    virtual void RepaintNow(const PixelRect& rect) = 0;
    virtual void PlaceOver(const PixelRect& screenRect) = 0;
    virtual void StartTimer(unsigned id, unsigned intervalMs) = 0;
    virtual void StopTimer(unsigned id) = 0;
    virtual void SetVisible(bool visible) = 0;
};

class NoticeOverlayLogic {
public:
    explicit NoticeOverlayLogic(INoticeOverlayView& view) : m_view(view) {}

    // OnInitDialog: the first picture is up, the next tick shows it again.
    void Init();
    // The picture painting draws; 0 before Init.
    unsigned CurrentPicture() const { return m_current; }
    int FrameCounter() const { return m_counter; }

    void OnTimer(unsigned id);
    // The frame's use: cover its screen rectangle and animate; stop and hide. The counter
    // is kept, so a new showing continues where the last one stopped.
    void Show(const PixelRect& frameScreenRect);
    void Hide();

    NoticeLayout Layout();

private:
    INoticeOverlayView& m_view;
    unsigned m_current = 0;
    int m_counter = 0;
};

}  // namespace xh
