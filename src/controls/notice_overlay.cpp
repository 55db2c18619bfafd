#include "controls/notice_overlay.h"

namespace xh {

NoticeLayout LayoutNotice(PixelSize client, PixelSize picture) {
    const int W = client.width, H = client.height;
    NoticeLayout l;
    l.picture = {(W - picture.width) / 2, (H - picture.height) / 2 - 40, picture.width, picture.height};
    l.text = {static_cast<float>((W - 200) / 2), static_cast<float>((H - 31) / 2), 200, 31};
    l.textStyle = {{"arial", 14, false}, 0xFFFFF5D3, TextTrimming::EllipsisWord};
    return l;
}

void NoticeOverlayLogic::Init() {
    m_current = kNoticeFrames[0];
    m_counter = 1;
}

void NoticeOverlayLogic::OnTimer(unsigned id) {
    if (id != kNoticeTimerId) return;
    if (m_counter < 1 || m_counter > 4) m_counter = 1;
    m_current = kNoticeFrames[static_cast<std::size_t>(m_counter - 1)];
    m_view.RepaintNow(Layout().picture);
    ++m_counter;
}

void NoticeOverlayLogic::Show(const PixelRect& frameScreenRect) {
    m_view.PlaceOver(frameScreenRect);
    m_view.StartTimer(kNoticeTimerId, kNoticeIntervalMs);
    m_view.SetVisible(true);
}

void NoticeOverlayLogic::Hide() {
    m_view.StopTimer(kNoticeTimerId);
    m_view.SetVisible(false);
}

NoticeLayout NoticeOverlayLogic::Layout() {
    const unsigned picture = m_current ? m_current : kNoticeFrames[0];
    return LayoutNotice(m_view.ClientSize(), m_view.PictureSize(picture));
}

}  // namespace xh
