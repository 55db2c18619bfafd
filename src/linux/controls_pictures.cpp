#include "linux/controls_pictures.h"

#include <map>

namespace xh::linuxport {

PixbufPtr DecodePicture(std::span<const unsigned char> bytes) {
    if (bytes.empty()) return nullptr;
    std::unique_ptr<GdkPixbufLoader, GObjectUnref> loader(gdk_pixbuf_loader_new());
    GError* error = nullptr;
    const bool written = gdk_pixbuf_loader_write(loader.get(), bytes.data(), bytes.size(), &error);
    if (error) g_clear_error(&error);
    // Closing is needed in any case; it also reports truncated data.
    const bool closed = gdk_pixbuf_loader_close(loader.get(), &error);
    if (error) g_clear_error(&error);
    if (!written || !closed) return nullptr;
    GdkPixbuf* picture = gdk_pixbuf_loader_get_pixbuf(loader.get());
    if (!picture) return nullptr;
    return PixbufPtr(GDK_PIXBUF(g_object_ref(picture)));
}

GdkPixbuf* LoadPngImage(unsigned id) {
    // Loaded pictures stay for the life of the process; a miss is remembered too.
    static std::map<unsigned, PixbufPtr> loaded;
    auto it = loaded.find(id);
    if (it == loaded.end()) it = loaded.emplace(id, DecodePicture(EmbeddedPicture(id))).first;
    return it->second.get();
}

bool CGdiPlusBitmapResource::Load(unsigned id) {
    Empty();
    m_pBitmap = DecodePicture(EmbeddedPicture(id));
    return m_pBitmap != nullptr;
}

PixbufPtr RgbaCopy(GdkPixbuf* picture) {
    if (!picture) return nullptr;
    // add_alpha always returns a new picture, also for one that has alpha already.
    return PixbufPtr(gdk_pixbuf_add_alpha(picture, FALSE, 0, 0, 0));
}

}  // namespace xh::linuxport
