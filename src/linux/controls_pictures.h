#pragma once
// Pictures compiled into the program, decoded with gdk-pixbuf, and the owners of the
// GObject and cairo handles the skinned controls use.
#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib-object.h>

#include <memory>
#include <span>

namespace xh::linuxport {

// The bytes of picture `id` (resources/images/<id>-*.png or .bmp); empty when there is none.
std::span<const unsigned char> EmbeddedPicture(unsigned id);

struct GObjectUnref {
    void operator()(gpointer p) const {
        if (p) g_object_unref(p);
    }
};
using PixbufPtr = std::unique_ptr<GdkPixbuf, GObjectUnref>;

struct CairoSurfaceDestroy {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceDestroy>;

struct CairoDestroy {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using CairoPtr = std::unique_ptr<cairo_t, CairoDestroy>;

// Decodes picture bytes; null when they are not a picture.
PixbufPtr DecodePicture(std::span<const unsigned char> bytes);

// Picture `id`, decoded once and kept for the life of the process (the caller does not free
// it); null when the program has no such picture or it does not decode.
GdkPixbuf* LoadPngImage(unsigned id);

// One decoded picture, owned.
class CGdiPlusBitmap {
public:
    CGdiPlusBitmap() = default;
    virtual ~CGdiPlusBitmap() = default;
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

    GdkPixbuf* Get() const { return m_pBitmap.get(); }
    explicit operator bool() const { return m_pBitmap != nullptr; }

protected:
    PixbufPtr m_pBitmap;
};

// A picture of the program by id; can be emptied and loaded again.
class CGdiPlusBitmapResource final : public CGdiPlusBitmap {
public:
    // Replaces whatever was held; true when the picture is ready.
    bool Load(unsigned id);
    void Empty() { m_pBitmap.reset(); }
};

// A copy of the picture with straight RGBA pixels (an alpha channel added when it had none).
PixbufPtr RgbaCopy(GdkPixbuf* picture);

}  // namespace xh::linuxport
