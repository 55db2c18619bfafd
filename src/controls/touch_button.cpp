#include "controls/touch_button.h"

namespace xh {

bool TouchButtonLogic::SetImages(unsigned normal, unsigned hover, unsigned pressed) {
    const bool hoverLoaded = m_view.LoadPicture(ButtonLook::Hover, hover);
    m_view.LoadPicture(ButtonLook::Normal, normal);
    m_view.LoadPicture(ButtonLook::Pressed, pressed);
    m_imagesSet = true;
    return hoverLoaded;
}

void TouchButtonLogic::SetToolTipText(const std::string& text, bool activate) {
    if (text.empty()) return;
    if (!m_view.HasToolTip()) m_view.CreateToolTip();
    m_toolTipText = text;
    m_view.SetToolTip(text, kToolTipDelays, activate);
}

void TouchButtonLogic::Prepare() {
    if (m_prepared || !m_imagesSet) return;
    m_view.CaptureBackground();
    m_view.ComposeLook(ButtonLook::Normal, false);
    m_view.ComposeLook(ButtonLook::Pressed, false);
    m_view.ComposeLook(ButtonLook::Hover, true);
    if (!m_current) m_current = ButtonLook::Normal;
    m_prepared = true;
}

std::optional<ButtonLook> TouchButtonLogic::Draw(bool held) {
    if (!m_prepared) return std::nullopt;
    m_current = held ? ButtonLook::Pressed : m_hover ? ButtonLook::Hover : ButtonLook::Normal;
    return m_current;
}

void TouchButtonLogic::OnMouseMove() {
    if (!m_tracking) m_tracking = m_view.TrackMouse(kHoverTimeMs);
}

void TouchButtonLogic::OnMouseHover() {
    m_hover = true;
    m_view.Redraw();
    // A fresh control on every entry, so the tooltip waits its full delay again.
    if (m_view.HasToolTip()) m_view.DestroyToolTip();
    SetToolTipText(m_toolTipText, true);
    if (m_view.HasToolTip()) m_view.UpdateToolTip();
}

void TouchButtonLogic::OnMouseLeave() {
    m_tracking = false;
    m_hover = false;
    m_view.Redraw();
}

void TouchButtonLogic::OnButtonDown() {
    m_pressed = true;
    m_inside = true;
    m_view.Redraw();
}

void TouchButtonLogic::OnPointerInside(bool inside) {
    if (m_inside == inside) return;
    m_inside = inside;
    if (m_pressed) m_view.Redraw();
}

bool TouchButtonLogic::OnButtonUp() {
    const bool click = m_pressed && m_inside;
    m_pressed = false;
    m_view.Redraw();
    return click;
}

}  // namespace xh
