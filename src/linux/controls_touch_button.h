#pragma once
// CTouchButton for GTK: a drawing area on a GtkFixed of its owning window. It composes its
// three looks once over the owner's picture beneath it and afterwards copies one of them.
#include <gtk/gtk.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "controls/control_types.h"
#include "controls/touch_button.h"
#include "linux/controls_pictures.h"
#include "linux/controls_tooltip.h"

namespace xh::linuxport {

class CTouchButton final : private ITouchButtonView {
public:
    // Paints the owner's own picture (without its buttons) in the owner's coordinates.
    using ParentPainter = std::function<void(cairo_t*)>;

    CTouchButton();
    ~CTouchButton() override;
    CTouchButton(const CTouchButton&) = delete;
    CTouchButton& operator=(const CTouchButton&) = delete;

    // Makes the button's widget on `fixed` at its place; clicks go to `onClick` with `id`.
    // Without a painter the owner's pixels are read from its window.
    void Create(GtkWidget* fixed, int id, const PixelRect& place, ParentPainter painter,
                std::function<void(int)> onClick);
    void Move(const PixelRect& place);

    bool SetImages(unsigned normal, unsigned hover, unsigned pressed) { return m_logic.SetImages(normal, hover, pressed); }
    void SetToolTipText(const std::string& text, bool activate = true) { m_logic.SetToolTipText(text, activate); }

    GtkWidget* Widget() const { return m_widget; }
    int Id() const { return m_id; }
    bool ToolTipShowing() const { return m_toolTip && m_toolTip->Showing(); }
    bool Hover() const { return m_logic.Hover(); }

private:
    bool LoadPicture(ButtonLook look, unsigned id) override;
    void CaptureBackground() override;
    void ComposeLook(ButtonLook look, bool brighten) override;
    bool TrackMouse(unsigned hoverMs) override;
    void Redraw() override;
    bool HasToolTip() override { return m_toolTip != nullptr; }
    void CreateToolTip() override;
    void DestroyToolTip() override { m_toolTip.reset(); }
    void SetToolTip(const std::string& text, const ToolTipDelays& delays, bool activate) override;
    void UpdateToolTip() override;

    static gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer self);
    static gboolean OnCrossing(GtkWidget*, GdkEventCrossing* event, gpointer self);
    static gboolean OnMotion(GtkWidget*, GdkEventMotion* event, gpointer self);
    static gboolean OnButton(GtkWidget*, GdkEventButton* event, gpointer self);
    static void OnRealize(GtkWidget* widget, gpointer self);
    static void OnDestroy(GtkWidget*, gpointer self);

    static std::size_t Index(ButtonLook look) { return static_cast<std::size_t>(look); }

    TouchButtonLogic m_logic{*this};
    GtkWidget* m_widget = nullptr;
    int m_id = 0;
    PixelRect m_place;
    ParentPainter m_painter;
    std::function<void(int)> m_onClick;
    std::array<CGdiPlusBitmapResource, 3> m_pictures;
    SurfacePtr m_background;
    std::array<SurfacePtr, 3> m_looks;
    std::unique_ptr<ToolTipControl> m_toolTip;
    ScopedTimeout m_hoverTimer;
    bool m_pointerInside = false;
};

}  // namespace xh::linuxport
