#ifndef _WIN32
#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include "controls/message_box.h"
#include "controls/notice_overlay.h"
#include "linux/controls_drawing.h"
#include "linux/controls_pictures.h"

namespace xh::linuxport {
namespace {

struct PictureSize {
    unsigned id;
    int width, height;
};

TEST(LinuxPicturesTest, EveryPictureIsEmbeddedAtItsSize) {
    const PictureSize pictures[] = {
        {172, 1, 30},   {203, 203, 30}, {206, 92, 30},  {207, 28, 26},  {208, 28, 26},   {209, 28, 26},
        {210, 28, 26},  {211, 59, 24},  {212, 59, 24},  {213, 28, 26},  {214, 86, 24},   {215, 97, 24},
        {217, 28, 26},  {219, 78, 24},  {220, 28, 26},  {221, 28, 26},  {223, 97, 24},   {224, 86, 24},
        {226, 78, 24},  {227, 28, 26},  {228, 28, 26},  {229, 28, 26},  {230, 28, 26},   {231, 59, 24},
        {233, 97, 24},  {234, 86, 24},  {236, 78, 24},  {252, 78, 24},  {253, 78, 24},   {261, 78, 24},
        {275, 1, 1},    {276, 23, 23},  {277, 23, 23},  {278, 23, 23},  {279, 23, 23},   {304, 258, 112},
        {311, 82, 34},  {312, 82, 34},  {313, 82, 34},  {314, 82, 34},  {316, 9, 8},     {318, 697, 533},
        {319, 1396, 847},
    };
    for (const PictureSize& p : pictures) {
        GdkPixbuf* picture = LoadPngImage(p.id);
        ASSERT_NE(picture, nullptr) << p.id;
        EXPECT_EQ(gdk_pixbuf_get_width(picture), p.width) << p.id;
        EXPECT_EQ(gdk_pixbuf_get_height(picture), p.height) << p.id;
        EXPECT_EQ(LoadPngImage(p.id), picture) << "decoded once and kept: " << p.id;
    }
    for (unsigned id = 320; id <= 325; ++id) EXPECT_NE(LoadPngImage(id), nullptr) << id;
    EXPECT_TRUE(gdk_pixbuf_get_has_alpha(LoadPngImage(275)));
}

TEST(LinuxPicturesTest, MissingPicturesGiveNothing) {
    EXPECT_TRUE(EmbeddedPicture(9999).empty());
    EXPECT_EQ(LoadPngImage(9999), nullptr);
    const unsigned char notAPicture[] = {'n', 'o', 't', ' ', 'P', 'N', 'G'};
    EXPECT_EQ(DecodePicture(notAPicture), nullptr);

    CGdiPlusBitmapResource holder;
    EXPECT_TRUE(holder.Load(304));
    EXPECT_EQ(gdk_pixbuf_get_width(holder.Get()), 258);
    EXPECT_TRUE(holder.Load(316)) << "a second load replaces the first picture";
    EXPECT_EQ(gdk_pixbuf_get_width(holder.Get()), 9);
    EXPECT_FALSE(holder.Load(9999));
    EXPECT_FALSE(holder) << "a failed load leaves the holder empty";
    EXPECT_TRUE(holder.Load(316));
    holder.Empty();
    EXPECT_FALSE(holder);
}

// An image surface to draw on and read back.
struct Canvas {
    SurfacePtr surface;
    CairoPtr cr;
    Canvas(int w, int h, double r, double g, double b)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)), cr(cairo_create(surface.get())) {
        cairo_set_source_rgb(cr.get(), r, g, b);
        cairo_paint(cr.get());
    }
    // 0xAARRGGBB (premultiplied, so opaque pixels read as their colour).
    std::uint32_t At(int x, int y) {
        cairo_surface_flush(surface.get());
        const unsigned char* row = cairo_image_surface_get_data(surface.get()) + y * cairo_image_surface_get_stride(surface.get());
        return reinterpret_cast<const std::uint32_t*>(row)[x];
    }
};

TEST(LinuxOffscreenTest, MemDcCopiesBackToExactlyItsRectangle) {
    struct Case {
        PixelRect rect;   // given to CMyMemDC
        PixelRect clip;   // of the target; all zero: none
        PixelRect covered;
    };
    const Case cases[] = {
        {{30, 20, 40, 30}, {}, {30, 20, 40, 30}},
        {{0, 0, 0, 0}, {10, 12, 50, 28}, {10, 12, 50, 28}},  // all zero: the clip box
    };
    for (const Case& c : cases) {
        Canvas target(100, 80, 1, 0, 0);
        if (c.clip.width > 0) {
            cairo_rectangle(target.cr.get(), c.clip.x, c.clip.y, c.clip.width, c.clip.height);
            cairo_clip(target.cr.get());
        }
        {
            CMyMemDC memory(target.cr.get(), c.rect);
            EXPECT_EQ(memory.Rect(), c.covered);
            // The target's coordinates: this square sits at the rectangle's corner.
            cairo_set_source_rgb(memory.get(), 0, 0, 1);
            cairo_paint(memory.get());
            cairo_set_source_rgb(memory.get(), 0, 1, 0);
            cairo_rectangle(memory.get(), c.covered.x, c.covered.y, 2, 2);
            cairo_fill(memory.get());
            EXPECT_EQ(target.At(c.covered.x + 5, c.covered.y + 5), 0xFFFF0000u) << "nothing reaches the target early";
        }
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 100; ++x) {
                const bool inside = c.covered.Contains(x, y);
                const bool corner = inside && x < c.covered.x + 2 && y < c.covered.y + 2;
                const std::uint32_t expected = corner ? 0xFF00FF00u : inside ? 0xFF0000FFu : 0xFFFF0000u;
                ASSERT_EQ(target.At(x, y), expected) << x << "," << y;
            }
        }
    }
}

TEST(LinuxTextTest, MissingFamiliesFallBackToACjkSans) {
    if (ResolveFontFamily("WenQuanYi Micro Hei") != "WenQuanYi Micro Hei") GTEST_SKIP() << "fonts-wqy-microhei";
    EXPECT_EQ(ResolveFontFamily("微软雅黑"), "WenQuanYi Micro Hei");
    EXPECT_EQ(ResolveFontFamily("wenquanyi micro hei"), "wenquanyi micro hei") << "names compare without case";
}

// The box of pixels text was drawn into on a transparent surface; empty when none.
PixelRect Inked(Canvas& canvas, int w, int h) {
    int left = w, top = h, right = -1, bottom = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (canvas.At(x, y) >> 24) {
                left = std::min(left, x), top = std::min(top, y);
                right = std::max(right, x), bottom = std::max(bottom, y);
            }
    return right < 0 ? PixelRect{} : PixelRect{left, top, right - left + 1, bottom - top + 1};
}

TEST(LinuxTextTest, TextStaysInItsRectangleAndLongTextEndsWithAnEllipsis) {
    const MessageBoxLayout& box = GetMessageBoxLayout();
    const NoticeLayout notice = LayoutNotice({1000, 700}, {23, 23});
    struct Case {
        const char* text;
        TextStyle style;
        LayoutRect rect;
        bool ellipsized;
        int lines;
    };
    const Case cases[] = {
        {"温馨提示", box.titleStyle, box.titleRect, false, 1},
        {"一个比标题矩形宽得多的很长很长的标题", box.titleStyle, box.titleRect, true, 1},
        {"确定要退出吗？", box.messageStyle, box.messageRect, false, 1},
        {"一段需要很多行才能放下的提示文字，一段需要很多行才能放下的提示文字，一段需要很多行才能放下的提示文字",
         box.messageStyle, box.messageRect, true, 2},
        {"缓存清理中，请稍后……", notice.textStyle, {0, 0, 200, 31}, false, 1},
    };
    for (const Case& c : cases) {
        Canvas canvas(300, 120, 0, 0, 0);
        cairo_set_operator(canvas.cr.get(), CAIRO_OPERATOR_CLEAR);
        cairo_paint(canvas.cr.get());
        cairo_set_operator(canvas.cr.get(), CAIRO_OPERATOR_OVER);
        const TextResult r = DrawLayoutText(canvas.cr.get(), c.text, c.style, c.rect);
        EXPECT_EQ(r.ellipsized, c.ellipsized) << c.text;
        EXPECT_EQ(r.lines, c.lines) << c.text;
        EXPECT_LE(r.heightPx, static_cast<int>(c.rect.height)) << c.text;
        const PixelRect ink = Inked(canvas, 300, 120);
        ASSERT_GT(ink.width, 0) << c.text;
        EXPECT_GE(ink.x, static_cast<int>(c.rect.x)) << c.text;
        EXPECT_GE(ink.y, static_cast<int>(c.rect.y)) << c.text;
        EXPECT_LE(ink.x + ink.width, static_cast<int>(c.rect.x + c.rect.width)) << c.text;
        EXPECT_LE(ink.y + ink.height, static_cast<int>(c.rect.y + c.rect.height)) << c.text;
        // Centred: as much room on the left as on the right, give or take a pixel or two.
        const int leftRoom = ink.x - static_cast<int>(c.rect.x);
        const int rightRoom = static_cast<int>(c.rect.x + c.rect.width) - (ink.x + ink.width);
        if (!c.ellipsized) {
            EXPECT_NEAR(leftRoom, rightRoom, 3) << c.text;
        }
    }
}

}  // namespace
}  // namespace xh::linuxport
#endif
