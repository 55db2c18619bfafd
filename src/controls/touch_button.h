#pragma once
// CTouchButton's behaviour, apart from pixels: which look is shown, when the looks are
// composed, hover tracking, the tooltip's life and, for toolkits without a native push
// button, presses and clicks.
#include <optional>
#include <string>

namespace xh {

enum class ButtonLook { Normal, Hover, Pressed };

// The tooltip's timing: TTDT_AUTOMATIC with 2000 ms.
struct ToolTipDelays {
    int initialMs = 2000;
    int reshowMs = 400;
    int autoPopMs = 20000;
    bool operator==(const ToolTipDelays&) const = default;
};
inline constexpr ToolTipDelays kToolTipDelays{};

// The hover notification comes this long after the first move onto the button.
inline constexpr unsigned kHoverTimeMs = 1;

// What the button's window does for the logic.
class ITouchButtonView {
public:
    virtual ~ITouchButtonView() = default;
    // Loads PNG `id` as the look's picture; false when it cannot be loaded.
    virtual bool LoadPicture(ButtonLook look, unsigned id) = 0;
    // Keeps the parent's pixels beneath the button.
    virtual void CaptureBackground() = 0;
    // Composes one look: the captured background with the look's picture over it,
    // brightened through kHoverMatrix when asked.
    virtual void ComposeLook(ButtonLook look, bool brighten) = 0;
    // Asks for one hover notification after `hoverMs` and one leave notification.
    virtual bool TrackMouse(unsigned hoverMs) = 0;
    // Repaints the whole button.
    virtual void Redraw() = 0;
    virtual bool HasToolTip() = 0;
    // Creates an active tooltip control with no tool yet.
    virtual void CreateToolTip() = 0;
    virtual void DestroyToolTip() = 0;
    // Makes the button the control's tool with this text and timing.
    virtual void SetToolTip(const std::string& text, const ToolTipDelays& delays, bool activate) = 0;
    // Shows the tool's current text at once when it is up.
    virtual void UpdateToolTip() = 0;
};

class TouchButtonLogic {
public:
    explicit TouchButtonLogic(ITouchButtonView& view) : m_view(view) {}

    // Loads hover, normal, pressed in that order; the hover load's result.
    bool SetImages(unsigned normal, unsigned hover, unsigned pressed);
    void SetToolTipText(const std::string& text, bool activate);
    const std::string& ToolTipText() const { return m_toolTipText; }

    // The paint path. Prepare composes the looks once (nothing without SetImages);
    // Draw then names the look to copy, or nothing while unprepared.
    void Prepare();
    std::optional<ButtonLook> Draw(bool held);
    bool Prepared() const { return m_prepared; }
    bool Hover() const { return m_hover; }

    void OnMouseMove();
    void OnMouseHover();
    void OnMouseLeave();

    // Presses, for toolkits that give raw pointer events. A click is a press and a release
    // both on the button; every press counts, so a double click is two clicks.
    void OnButtonDown();
    void OnPointerInside(bool inside);
    // True when the release makes a click.
    bool OnButtonUp();
    bool Held() const { return m_pressed && m_inside; }

private:
    ITouchButtonView& m_view;
    bool m_imagesSet = false;
    bool m_prepared = false;
    bool m_hover = false;
    bool m_tracking = false;
    bool m_pressed = false;
    bool m_inside = false;
    std::string m_toolTipText;
    std::optional<ButtonLook> m_current;
};

}  // namespace xh
