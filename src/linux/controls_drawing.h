#pragma once
// Off-screen drawing and the drawing conventions of the skinned windows, with cairo and Pango.
#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <functional>
#include <string>

#include "controls/control_types.h"
#include "linux/controls_pictures.h"

namespace xh::linuxport {

// Off-screen drawing over a rectangle of a target context. Drawing goes to the CMyMemDC in
// the target's coordinates; destruction copies the rectangle to the same place of the target
// in one step. An all-zero rectangle means the target's clip extents. The surface is not
// cleared: whoever draws covers the whole rectangle.
class CMyMemDC {
public:
    CMyMemDC(cairo_t* target, const PixelRect& rect);
    ~CMyMemDC();
    CMyMemDC(const CMyMemDC&) = delete;
    CMyMemDC& operator=(const CMyMemDC&) = delete;

    cairo_t* get() const { return m_cairo.get(); }
    const PixelRect& Rect() const { return m_rect; }

private:
    cairo_t* m_target;
    PixelRect m_rect;
    SurfacePtr m_surface;
    CairoPtr m_cairo;
};

// The painting of a whole skinned window: everything is drawn into a width x height picture
// that reaches the window in one copy at (0, 0).
void PaintOffscreen(cairo_t* window, int width, int height, const std::function<void(cairo_t*)>& draw);

// A picture at its own pixel size with its alpha.
void DrawPicture(cairo_t* cr, GdkPixbuf* picture, int x, int y);

// Fills the rectangle with the picture tiled from the rectangle's top-left corner.
void FillTiled(cairo_t* cr, GdkPixbuf* picture, const PixelRect& rect);

void SetSourceArgb(cairo_t* cr, Argb colour);

// The installed family of that name, or a CJK sans ("WenQuanYi Micro Hei") when it is
// missing, or the generic sans-serif family.
std::string ResolveFontFamily(const std::string& family);

struct TextResult {
    int lines = 0;
    bool ellipsized = false;
    int heightPx = 0;  // of the laid-out text
};

// Text centred at the top of its layout rectangle, wrapped at words, cut with an ellipsis
// where it does not fit, and clipped to the rectangle.
TextResult DrawLayoutText(cairo_t* cr, const std::string& text, const TextStyle& style, const LayoutRect& rect);

}  // namespace xh::linuxport
