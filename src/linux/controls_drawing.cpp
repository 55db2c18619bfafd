#include "linux/controls_drawing.h"

#include <gdk/gdk.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <set>

namespace xh::linuxport {

CMyMemDC::CMyMemDC(cairo_t* target, const PixelRect& rect) : m_target(target), m_rect(rect) {
    if (rect == PixelRect{}) {
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        cairo_clip_extents(target, &x1, &y1, &x2, &y2);
        const int left = static_cast<int>(std::floor(x1)), top = static_cast<int>(std::floor(y1));
        m_rect = {left, top, static_cast<int>(std::ceil(x2)) - left, static_cast<int>(std::ceil(y2)) - top};
    }
    m_surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(m_rect.width, 1), std::max(m_rect.height, 1)));
    m_cairo.reset(cairo_create(m_surface.get()));
    cairo_translate(m_cairo.get(), -m_rect.x, -m_rect.y);
}

CMyMemDC::~CMyMemDC() {
    m_cairo.reset();
    cairo_surface_flush(m_surface.get());
    cairo_save(m_target);
    cairo_set_operator(m_target, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(m_target, m_surface.get(), m_rect.x, m_rect.y);
    cairo_rectangle(m_target, m_rect.x, m_rect.y, m_rect.width, m_rect.height);
    cairo_fill(m_target);
    cairo_restore(m_target);
}

void PaintOffscreen(cairo_t* window, int width, int height, const std::function<void(cairo_t*)>& draw) {
    CMyMemDC memory(window, {0, 0, width, height});
    draw(memory.get());
}

void DrawPicture(cairo_t* cr, GdkPixbuf* picture, int x, int y) {
    if (!picture) return;
    cairo_save(cr);
    gdk_cairo_set_source_pixbuf(cr, picture, x, y);
    cairo_rectangle(cr, x, y, gdk_pixbuf_get_width(picture), gdk_pixbuf_get_height(picture));
    cairo_fill(cr);
    cairo_restore(cr);
}

void FillTiled(cairo_t* cr, GdkPixbuf* picture, const PixelRect& rect) {
    if (!picture) return;
    cairo_save(cr);
    gdk_cairo_set_source_pixbuf(cr, picture, rect.x, rect.y);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_REPEAT);
    cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
    cairo_fill(cr);
    cairo_restore(cr);
}

void SetSourceArgb(cairo_t* cr, Argb c) {
    cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                          ((c >> 24) & 0xFF) / 255.0);
}

namespace {

const std::set<std::string>& InstalledFamilies() {
    static const std::set<std::string> families = [] {
        std::set<std::string> names;
        PangoFontFamily** list = nullptr;
        int count = 0;
        pango_font_map_list_families(pango_cairo_font_map_get_default(), &list, &count);
        for (int i = 0; i < count; ++i) {
            gchar* folded = g_utf8_casefold(pango_font_family_get_name(list[i]), -1);
            names.insert(folded);
            g_free(folded);
        }
        g_free(list);
        return names;
    }();
    return families;
}

bool IsInstalled(const std::string& family) {
    gchar* folded = g_utf8_casefold(family.c_str(), -1);
    const bool found = InstalledFamilies().count(folded) > 0;
    g_free(folded);
    return found;
}

}  // namespace

std::string ResolveFontFamily(const std::string& family) {
    if (IsInstalled(family)) return family;
    if (IsInstalled("WenQuanYi Micro Hei")) return "WenQuanYi Micro Hei";
    return "Sans";
}

TextResult DrawLayoutText(cairo_t* cr, const std::string& text, const TextStyle& style, const LayoutRect& rect) {
    struct LayoutUnref {
        void operator()(PangoLayout* l) const { g_object_unref(l); }
    };
    struct FontFree {
        void operator()(PangoFontDescription* f) const { pango_font_description_free(f); }
    };
    std::unique_ptr<PangoLayout, LayoutUnref> layout(pango_cairo_create_layout(cr));
    std::unique_ptr<PangoFontDescription, FontFree> font(pango_font_description_new());
    pango_font_description_set_family(font.get(), ResolveFontFamily(style.font.family).c_str());
    pango_font_description_set_absolute_size(font.get(), style.font.pixelSize * PANGO_SCALE);
    pango_font_description_set_weight(font.get(), style.font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout.get(), font.get());
    pango_layout_set_width(layout.get(), static_cast<int>(rect.width * PANGO_SCALE));
    // A positive height keeps only the lines that fit and ends the last one with "…".
    pango_layout_set_height(layout.get(), static_cast<int>(rect.height * PANGO_SCALE));
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
    pango_layout_set_alignment(layout.get(), PANGO_ALIGN_CENTER);
    pango_layout_set_text(layout.get(), text.c_str(), -1);

    cairo_save(cr);
    cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
    cairo_clip(cr);
    SetSourceArgb(cr, style.colour);
    cairo_move_to(cr, rect.x, rect.y);
    pango_cairo_show_layout(cr, layout.get());
    cairo_restore(cr);

    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout.get(), &width, &height);
    return {pango_layout_get_line_count(layout.get()), pango_layout_is_ellipsized(layout.get()) != 0, height};
}

}  // namespace xh::linuxport
