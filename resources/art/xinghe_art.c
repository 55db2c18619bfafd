/*
 * Draws every picture of 星河登录器: the login artwork, the login pop-up
 * background, the title bar and its buttons, the message box, the notice
 * overlay and the icons.  Output is byte-for-byte the same on every run:
 * no clock, no unseeded randomness, fixed font options.
 *
 * Usage: xinghe_art <images-dir> <icons-dir>
 */
#include <cairo.h>
#include <math.h>
#include <pango/pangocairo.h>
#include <png.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifndef M_PI
#define M_PI 3.14159265358979323846
#endif

/* ======================================================================
 * Palette: change the look here.  0xRRGGBB.
 * ==================================================================== */
#define COL_SPACE_DEEP    0x040716  /* deepest night, panel bottom      */
#define COL_SPACE         0x0a1230  /* night blue, main fills           */
#define COL_SPACE_MID     0x15234f  /* raised surfaces                  */
#define COL_SPACE_LIGHT   0x25396f  /* hover surfaces                   */
#define COL_SPACE_BRIGHT  0x3a5a9e  /* hover highlights                 */
#define COL_NEBULA_VIOLET 0x5b3a9e
#define COL_NEBULA_MAGENTA 0x8a3a8c
#define COL_NEBULA_BLUE   0x2d6fc4
#define COL_NEBULA_TEAL   0x2aa6c0
#define COL_GOLD_DEEP     0x5e4214  /* outlines under gold             */
#define COL_GOLD_DARK     0x8a6424
#define COL_GOLD          0xcbae5b  /* the launcher's accent gold       */
#define COL_GOLD_LIGHT    0xf1d88e
#define COL_GOLD_PALE     0xfff3cd  /* labels on dark                   */
#define COL_INK_BROWN     0x3a2608  /* labels on gold                   */
#define COL_STAR          0xf2f6ff
#define COL_CLOSE_RED     0xc0392b
#define COL_CLOSE_RED_DARK 0x7a1d16
#define COL_KEY_GREEN     0x00ff00  /* colour key of the login pop-up   */

#define FONT_FAMILY "WenQuanYi Micro Hei"

/* ======================================================================
 * Labels drawn into the pictures.
 * ==================================================================== */
static const char *const LBL_GAME = "星河";
static const char *const LBL_LAUNCHER = "星河登录器";
static const char *const LBL_LATIN = "X I N G H E";
static const char *const LBL_SLOGAN = "群星为引 · 逐梦银河";
static const char *const LBL_PLATFORM = "Vexa 游戏平台";
static const char *const LBL_POPUP_TITLE = "账号登录";
static const char *const LBL_POPUP_LOADING = "正在打开登录页面…";
static const char *const LBL_OK = "确定";
static const char *const LBL_CANCEL = "取消";
static const char *const LBL_SELECT_SERVER = "选服";
static const char *const LBL_REFRESH = "刷新";
static const char *const LBL_CLEAR_CACHE = "清除缓存";
static const char *const LBL_BOSS_KEY = "老板键";
static const char *const LBL_BOSS_KEY_HOTKEY = "F10";
static const char *const LBL_FULLSCREEN = "全屏";
static const char *const LBL_FULLSCREEN_HOTKEY = "F11";
static const char *const LBL_HEALTH_ADVICE =
    "抵制不良游戏，拒绝盗版游戏。注意自我保护，谨防受骗上当。"
    "适度游戏益脑，沉迷游戏伤身。合理安排时间，享受健康生活。";

/* ======================================================================
 * Small helpers
 * ==================================================================== */
static const char *g_img_dir;
static const char *g_ico_dir;

static void die(const char *what) {
    fprintf(stderr, "xinghe_art: %s\n", what);
    exit(1);
}

static void set_rgb(cairo_t *cr, uint32_t c, double a) {
    cairo_set_source_rgba(cr, ((c >> 16) & 255) / 255.0, ((c >> 8) & 255) / 255.0,
                          (c & 255) / 255.0, a);
}

static void stop(cairo_pattern_t *p, double off, uint32_t c, double a) {
    cairo_pattern_add_color_stop_rgba(p, off, ((c >> 16) & 255) / 255.0,
                                      ((c >> 8) & 255) / 255.0, (c & 255) / 255.0, a);
}

/* Fixed-seed generator: the same stars on every run. */
static uint32_t g_rand_state = 0x5a17c0de;
static void rand_seed(uint32_t s) { g_rand_state = s ? s : 1; }
static double frand(void) {
    uint32_t x = g_rand_state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    g_rand_state = x;
    return (x & 0xffffff) / (double)0x1000000;
}

static cairo_surface_t *new_surface(int w, int h) {
    cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) die("cannot create surface");
    return s;
}

/* Three box passes approximate a gaussian; works on premultiplied pixels. */
static void blur_surface(cairo_surface_t *s, int radius) {
    if (radius < 1) return;
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    unsigned char *d = cairo_image_surface_get_data(s);
    int n = w > h ? w : h;
    double *line = malloc(sizeof(double) * 4 * (size_t)n);
    double *acc = malloc(sizeof(double) * 4 * (size_t)n);
    for (int pass = 0; pass < 3; pass++) {
        for (int dir = 0; dir < 2; dir++) {
            int len = dir == 0 ? w : h, count = dir == 0 ? h : w;
            for (int k = 0; k < count; k++) {
                for (int i = 0; i < len; i++) {
                    unsigned char *px = dir == 0 ? d + k * stride + i * 4 : d + i * stride + k * 4;
                    for (int c = 0; c < 4; c++) line[i * 4 + c] = px[c];
                }
                for (int c = 0; c < 4; c++) {
                    double sum = 0;
                    for (int i = -radius; i <= radius; i++) {
                        int j = i < 0 ? 0 : (i >= len ? len - 1 : i);
                        sum += i < 0 || i >= len ? 0 : line[j * 4 + c];
                    }
                    for (int i = 0; i < len; i++) {
                        acc[i * 4 + c] = sum / (2 * radius + 1);
                        int out = i - radius, in = i + radius + 1;
                        if (out >= 0) sum -= line[out * 4 + c];
                        if (in < len) sum += line[in * 4 + c];
                    }
                }
                for (int i = 0; i < len; i++) {
                    unsigned char *px = dir == 0 ? d + k * stride + i * 4 : d + i * stride + k * 4;
                    for (int c = 0; c < 4; c++) {
                        double v = acc[i * 4 + c] + 0.5;
                        px[c] = (unsigned char)(v > 255 ? 255 : v);
                    }
                }
            }
        }
    }
    free(line);
    free(acc);
    cairo_surface_mark_dirty(s);
}

/* The far tail of a blurred shadow would still take clicks on a layered
 * window without being seen; make it fully transparent. */
static void clear_faint_alpha(cairo_surface_t *s, unsigned below) {
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    unsigned char *d = cairo_image_surface_get_data(s);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint32_t *p = (uint32_t *)(d + y * stride + x * 4);
            if ((*p >> 24) < below) *p = 0;
        }
    cairo_surface_mark_dirty(s);
}

/* Un-premultiplied RGBA pixel of a cairo ARGB32 surface. */
static void get_rgba(cairo_surface_t *s, int x, int y, unsigned char out[4]) {
    unsigned char *d = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    uint32_t p = *(uint32_t *)(d + y * stride + x * 4);
    unsigned a = p >> 24, r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
    if (a && a < 255) {
        r = (r * 255 + a / 2) / a;
        g = (g * 255 + a / 2) / a;
        b = (b * 255 + a / 2) / a;
        if (r > 255) r = 255;
        if (g > 255) g = 255;
        if (b > 255) b = 255;
    }
    out[0] = (unsigned char)r;
    out[1] = (unsigned char)g;
    out[2] = (unsigned char)b;
    out[3] = (unsigned char)a;
}

static char *join_path(const char *dir, const char *name) {
    size_t n = strlen(dir) + strlen(name) + 2;
    char *p = malloc(n);
    snprintf(p, n, "%s/%s", dir, name);
    return p;
}

/* Always colour type 6 (RGBA, 8 bits), even for opaque pictures. */
static void save_png(cairo_surface_t *s, int id, const char *name) {
    char file[256];
    snprintf(file, sizeof file, "%d-%s.png", id, name);
    char *path = join_path(g_img_dir, file);
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    FILE *f = fopen(path, "wb");
    if (!f) die(path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
    png_infop info = png_create_info_struct(png);
    if (!png || !info || setjmp(png_jmpbuf(png))) die("libpng failed");
    png_init_io(png, f);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, (png_uint_32)w, (png_uint_32)h, 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    unsigned char *row = malloc((size_t)w * 4);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) get_rgba(s, x, y, row + x * 4);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    free(row);
    fclose(f);
    printf("  %s (%dx%d)\n", path, w, h);
    free(path);
}

static void put_u16(FILE *f, unsigned v) {
    fputc(v & 255, f);
    fputc((v >> 8) & 255, f);
}
static void put_u32(FILE *f, uint32_t v) {
    put_u16(f, v & 0xffff);
    put_u16(f, v >> 16);
}

static void put_bitmapinfoheader(FILE *f, int w, int h, int bpp, uint32_t image_size) {
    put_u32(f, 40);
    put_u32(f, (uint32_t)w);
    put_u32(f, (uint32_t)h);
    put_u16(f, 1);
    put_u16(f, (unsigned)bpp);
    put_u32(f, 0); /* BI_RGB */
    put_u32(f, image_size);
    put_u32(f, 2835); /* 72 dpi */
    put_u32(f, 2835);
    put_u32(f, 0);
    put_u32(f, 0);
}

/* Icon in the classic form: 32-bit BGRA rows bottom-up, then the AND mask. */
static uint32_t ico_image_size(int sz) {
    int mask_stride = ((sz + 31) / 32) * 4;
    return 40 + (uint32_t)(sz * sz * 4) + (uint32_t)(mask_stride * sz);
}

static void put_ico_image(FILE *f, cairo_surface_t *s) {
    int sz = cairo_image_surface_get_width(s);
    int mask_stride = ((sz + 31) / 32) * 4;
    put_bitmapinfoheader(f, sz, sz * 2, 32, (uint32_t)(sz * sz * 4 + mask_stride * sz));
    for (int y = sz - 1; y >= 0; y--)
        for (int x = 0; x < sz; x++) {
            unsigned char p[4];
            get_rgba(s, x, y, p);
            fputc(p[2], f);
            fputc(p[1], f);
            fputc(p[0], f);
            fputc(p[3], f);
        }
    for (int y = sz - 1; y >= 0; y--) {
        unsigned char row[16] = {0};
        for (int x = 0; x < sz; x++) {
            unsigned char p[4];
            get_rgba(s, x, y, p);
            if (p[3] == 0) row[x / 8] |= (unsigned char)(0x80 >> (x % 8));
        }
        fwrite(row, 1, (size_t)mask_stride, f);
    }
}

static void save_ico(const char *name, cairo_surface_t **imgs, int count) {
    char *path = join_path(g_ico_dir, name);
    FILE *f = fopen(path, "wb");
    if (!f) die(path);
    put_u16(f, 0);
    put_u16(f, 1);
    put_u16(f, (unsigned)count);
    uint32_t offset = 6 + 16 * (uint32_t)count;
    for (int i = 0; i < count; i++) {
        int sz = cairo_image_surface_get_width(imgs[i]);
        fputc(sz >= 256 ? 0 : sz, f);
        fputc(sz >= 256 ? 0 : sz, f);
        fputc(0, f); /* no palette */
        fputc(0, f);
        put_u16(f, 1);  /* planes */
        put_u16(f, 32); /* bits per pixel */
        put_u32(f, ico_image_size(sz));
        put_u32(f, offset);
        offset += ico_image_size(sz);
    }
    for (int i = 0; i < count; i++) put_ico_image(f, imgs[i]);
    long size = ftell(f);
    fclose(f);
    if ((uint32_t)size != offset) die("icon size mismatch");
    printf("  %s (%ld bytes)\n", path, size);
    free(path);
}

/* 24-bit bottom-up BMP; `key` marks the pixels that must be exactly the colour key. */
static void save_bmp24(cairo_surface_t *s, const unsigned char *key, const char *file) {
    char *path = join_path(g_img_dir, file);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    int stride = (w * 3 + 3) & ~3;
    uint32_t data_size = (uint32_t)(stride * h);
    FILE *f = fopen(path, "wb");
    if (!f) die(path);
    fputc('B', f);
    fputc('M', f);
    put_u32(f, 14 + 40 + data_size);
    put_u32(f, 0);
    put_u32(f, 14 + 40);
    put_bitmapinfoheader(f, w, h, 24, data_size);
    for (int y = h - 1; y >= 0; y--) {
        int x;
        for (x = 0; x < w; x++) {
            unsigned char p[4];
            get_rgba(s, x, y, p);
            if (key[y * w + x]) {
                p[0] = (COL_KEY_GREEN >> 16) & 255;
                p[1] = (COL_KEY_GREEN >> 8) & 255;
                p[2] = COL_KEY_GREEN & 255;
            } else if (p[0] == ((COL_KEY_GREEN >> 16) & 255) && p[1] == ((COL_KEY_GREEN >> 8) & 255) &&
                       p[2] == (COL_KEY_GREEN & 255)) {
                p[1]--; /* art must never hit the key by chance */
            }
            fputc(p[2], f);
            fputc(p[1], f);
            fputc(p[0], f);
        }
        for (x = w * 3; x < stride; x++) fputc(0, f);
    }
    long size = ftell(f);
    fclose(f);
    printf("  %s (%dx%d, %ld bytes)\n", path, w, h, size);
    free(path);
}

/* ---------------------------------------------------------------- text */

typedef enum { AL_LEFT, AL_CENTER, AL_RIGHT } align_t;

static PangoLayout *make_layout(cairo_t *cr, const char *text, double px, int bold,
                                double spacing) {
    PangoLayout *l = pango_cairo_create_layout(cr);
    PangoContext *ctx = pango_layout_get_context(l);
    cairo_font_options_t *fo = cairo_font_options_create();
    cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(ctx, fo);
    cairo_font_options_destroy(fo);
    pango_layout_context_changed(l);
    PangoFontDescription *fd = pango_font_description_new();
    pango_font_description_set_family(fd, FONT_FAMILY);
    pango_font_description_set_weight(fd, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(fd, px * PANGO_SCALE);
    pango_layout_set_font_description(l, fd);
    pango_font_description_free(fd);
    if (spacing != 0) {
        PangoAttrList *al = pango_attr_list_new();
        pango_attr_list_insert(al, pango_attr_letter_spacing_new((int)(spacing * PANGO_SCALE)));
        pango_layout_set_attributes(l, al);
        pango_attr_list_unref(al);
    }
    pango_layout_set_text(l, text, -1);
    return l;
}

/* Width of the inked text. */
static double text_width(cairo_t *cr, const char *text, double px, int bold, double spacing) {
    PangoLayout *l = make_layout(cr, text, px, bold, spacing);
    PangoRectangle ink;
    pango_layout_get_extents(l, &ink, NULL);
    g_object_unref(l);
    return ink.width / (double)PANGO_SCALE;
}

/* Moves to the place where the layout must start so that its ink is anchored
 * at x (by `al`) and vertically centred on cy. */
static void place_layout(cairo_t *cr, PangoLayout *l, double x, double cy, align_t al) {
    PangoRectangle ink;
    pango_layout_get_extents(l, &ink, NULL);
    double iw = ink.width / (double)PANGO_SCALE, ix = ink.x / (double)PANGO_SCALE;
    double ih = ink.height / (double)PANGO_SCALE, iy = ink.y / (double)PANGO_SCALE;
    double left = al == AL_LEFT ? x : al == AL_CENTER ? x - iw / 2 : x - iw;
    cairo_move_to(cr, left - ix, cy - ih / 2 - iy);
}

static void draw_text(cairo_t *cr, const char *text, double px, int bold, double spacing,
                      double x, double cy, align_t al, uint32_t col, double a) {
    PangoLayout *l = make_layout(cr, text, px, bold, spacing);
    place_layout(cr, l, x, cy, al);
    set_rgb(cr, col, a);
    pango_cairo_show_layout(cr, l);
    g_object_unref(l);
}

/* Text as a path, so that it can take gradients and outlines. */
static void text_path(cairo_t *cr, const char *text, double px, int bold, double spacing,
                      double x, double cy, align_t al) {
    PangoLayout *l = make_layout(cr, text, px, bold, spacing);
    place_layout(cr, l, x, cy, al);
    pango_cairo_layout_path(cr, l);
    g_object_unref(l);
}

/* ---------------------------------------------------------------- shapes */

static void rounded_rect(cairo_t *cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

/* Rectangle with 45-degree cut corners: tl, tr, br, bl. */
static void chamfer_rect4(cairo_t *cr, double x0, double y0, double x1, double y1, double tl,
                          double tr, double br, double bl) {
    cairo_new_sub_path(cr);
    cairo_move_to(cr, x0 + tl, y0);
    cairo_line_to(cr, x1 - tr, y0);
    cairo_line_to(cr, x1, y0 + tr);
    cairo_line_to(cr, x1, y1 - br);
    cairo_line_to(cr, x1 - br, y1);
    cairo_line_to(cr, x0 + bl, y1);
    cairo_line_to(cr, x0, y1 - bl);
    cairo_line_to(cr, x0, y0 + tl);
    cairo_close_path(cr);
}

static void chamfer_rect(cairo_t *cr, double x0, double y0, double x1, double y1, double c) {
    chamfer_rect4(cr, x0, y0, x1, y1, c, c, c, c);
}

/* Four-pointed sparkle. */
static void sparkle_path(cairo_t *cr, double cx, double cy, double r, double waist) {
    cairo_new_sub_path(cr);
    for (int i = 0; i < 8; i++) {
        double ang = i * M_PI / 4 - M_PI / 2;
        double rr = (i % 2 == 0) ? r : r * waist;
        double px = cx + cos(ang) * rr, py = cy + sin(ang) * rr;
        if (i == 0)
            cairo_move_to(cr, px, py);
        else
            cairo_line_to(cr, px, py);
    }
    cairo_close_path(cr);
}

static void diamond_path(cairo_t *cr, double cx, double cy, double rx, double ry) {
    cairo_new_sub_path(cr);
    cairo_move_to(cr, cx, cy - ry);
    cairo_line_to(cr, cx + rx, cy);
    cairo_line_to(cr, cx, cy + ry);
    cairo_line_to(cr, cx - rx, cy);
    cairo_close_path(cr);
}

static void glow_dot(cairo_t *cr, double x, double y, double r, uint32_t col, double a) {
    cairo_pattern_t *p = cairo_pattern_create_radial(x, y, 0, x, y, r);
    stop(p, 0, col, a);
    stop(p, 0.35, col, a * 0.35);
    stop(p, 1, col, 0);
    cairo_set_source(cr, p);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

static void sparkle(cairo_t *cr, double x, double y, double r, double a) {
    glow_dot(cr, x, y, r * 1.2, COL_GOLD_PALE, a * 0.5);
    sparkle_path(cr, x, y, r, 0.16);
    set_rgb(cr, COL_STAR, a);
    cairo_fill(cr);
}

/* A field of stars inside the current clip. */
static void star_field(cairo_t *cr, double x0, double y0, double w, double h, int count,
                       uint32_t seed, double max_r) {
    rand_seed(seed);
    for (int i = 0; i < count; i++) {
        double x = x0 + frand() * w, y = y0 + frand() * h;
        double t = frand();
        double r = 0.35 + t * t * t * max_r;
        double a = 0.25 + frand() * 0.75;
        uint32_t col = frand() < 0.2 ? COL_GOLD_LIGHT : (frand() < 0.3 ? 0xb8d4ff : COL_STAR);
        if (r > max_r * 0.55) glow_dot(cr, x, y, r * 4, col, a * 0.35);
        set_rgb(cr, col, a);
        cairo_arc(cr, x, y, r, 0, 2 * M_PI);
        cairo_fill(cr);
    }
}

static void nebula_blob(cairo_t *cr, double x, double y, double rx, double ry, uint32_t col,
                        double a) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, rx, ry);
    cairo_pattern_t *p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
    stop(p, 0, col, a);
    stop(p, 0.5, col, a * 0.45);
    stop(p, 1, col, 0);
    cairo_set_source(cr, p);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_restore(cr);
}

/* Deep-space backdrop with nebulae and stars over a rectangle. */
static void space_backdrop(cairo_t *cr, double x, double y, double w, double h, uint32_t seed,
                           double star_density) {
    cairo_pattern_t *p = cairo_pattern_create_linear(0, y, 0, y + h);
    stop(p, 0, COL_SPACE, 1);
    stop(p, 0.6, 0x080e26, 1);
    stop(p, 1, COL_SPACE_DEEP, 1);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    rand_seed(seed);
    int blobs = 5 + (int)(w * h / 60000);
    if (blobs > 26) blobs = 26;
    static const uint32_t cols[] = {COL_NEBULA_VIOLET, COL_NEBULA_BLUE, COL_NEBULA_TEAL,
                                    COL_NEBULA_MAGENTA, COL_NEBULA_BLUE};
    for (int i = 0; i < blobs; i++) {
        double bx = x + frand() * w, by = y + frand() * h;
        double r = (0.12 + frand() * 0.22) * (w > h ? w : h);
        nebula_blob(cr, bx, by, r, r * (0.4 + frand() * 0.5), cols[i % 5], 0.10 + frand() * 0.12);
    }
    int stars = (int)(w * h / 900 * star_density);
    star_field(cr, x, y, w, h, stars, seed * 7 + 3, 1.6);
}

/* ---------------------------------------------------------------- emblem */

/* The game's emblem: a gold-ringed disc holding a spiral galaxy and a star.
 * detail 0 for 16 px, 1 for 32 px, 2 for large. */
static void draw_emblem(cairo_t *cr, double cx, double cy, double r, int detail) {
    double ring = r * (detail == 0 ? 0.2 : detail == 1 ? 0.15 : 0.12);
    cairo_pattern_t *p;

    /* ring */
    p = cairo_pattern_create_linear(cx - r, cy - r, cx + r, cy + r);
    stop(p, 0, COL_GOLD_PALE, 1);
    stop(p, 0.35, COL_GOLD_LIGHT, 1);
    stop(p, 0.7, COL_GOLD, 1);
    stop(p, 1, COL_GOLD_DARK, 1);
    cairo_set_source(cr, p);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    if (detail >= 1) {
        set_rgb(cr, COL_GOLD_DEEP, 0.9);
        cairo_set_line_width(cr, r * 0.03 + 0.4);
        cairo_arc(cr, cx, cy, r - cairo_get_line_width(cr) / 2, 0, 2 * M_PI);
        cairo_stroke(cr);
    }

    /* disc */
    double rd = r - ring;
    p = cairo_pattern_create_radial(cx + rd * 0.2, cy - rd * 0.25, 0, cx, cy, rd);
    stop(p, 0, detail == 0 ? 0x4a3a9a : 0x5d48b0, 1);
    stop(p, 0.55, 0x22306e, 1);
    stop(p, 1, COL_SPACE_DEEP, 1);
    cairo_set_source(cr, p);
    cairo_arc(cr, cx, cy, rd, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);

    cairo_save(cr);
    cairo_arc(cr, cx, cy, rd, 0, 2 * M_PI);
    cairo_clip(cr);
    if (detail >= 1) {
        /* two spiral arms, drawn as chains of fading dots */
        for (int arm = 0; arm < 2; arm++) {
            for (int i = 0; i < 90; i++) {
                double t = i / 89.0;
                double ang = arm * M_PI + t * 3.4 - 0.6;
                double rr = rd * (0.12 + t * 0.86);
                double px = cx + cos(ang) * rr, py = cy + sin(ang) * rr * 0.78;
                double dr = rd * (0.11 - t * 0.08);
                set_rgb(cr, t < 0.4 ? 0xcfe3ff : 0x8fb8ff, 0.22 * (1 - t) + 0.05);
                cairo_arc(cr, px, py, dr, 0, 2 * M_PI);
                cairo_fill(cr);
            }
        }
    }
    if (detail >= 2) {
        rand_seed(77);
        for (int i = 0; i < 40; i++) {
            double a = frand() * 2 * M_PI, d = sqrt(frand()) * rd * 0.95;
            set_rgb(cr, COL_STAR, 0.3 + frand() * 0.6);
            cairo_arc(cr, cx + cos(a) * d, cy + sin(a) * d, rd * (0.008 + frand() * 0.018), 0,
                      2 * M_PI);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);

    /* core glow and star */
    glow_dot(cr, cx, cy, rd * 0.75, COL_GOLD_PALE, detail == 0 ? 0.5 : 0.7);
    double sr = rd * (detail == 0 ? 1.0 : 0.82);
    sparkle_path(cr, cx, cy, sr, detail == 0 ? 0.34 : 0.2);
    p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, sr);
    stop(p, 0, 0xffffff, 1);
    stop(p, 0.5, COL_GOLD_PALE, 1);
    stop(p, 1, COL_GOLD_LIGHT, 1);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    if (detail >= 1) {
        /* the diagonal, smaller points */
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_rotate(cr, M_PI / 4);
        sparkle_path(cr, 0, 0, sr * 0.5, 0.3);
        set_rgb(cr, COL_GOLD_PALE, 0.85);
        cairo_fill(cr);
        cairo_restore(cr);
    }
}

static cairo_surface_t *emblem_icon(int size, int tray, int uninstall) {
    cairo_surface_t *s = new_surface(size, size);
    cairo_t *cr = cairo_create(s);
    int detail = size <= 16 ? 0 : size <= 32 ? 1 : 2;
    double r = size / 2.0 - (size <= 16 ? 0.3 : size * 0.03);
    if (tray && size > 16) r = size / 2.0 - 0.5;
    draw_emblem(cr, size / 2.0, size / 2.0, r, detail);
    if (uninstall) {
        /* red "remove" badge at the lower right */
        double br = size * 0.28, bx = size - br - 0.1, by = size - br - 0.1;
        set_rgb(cr, 0xffffff, 1);
        cairo_arc(cr, bx, by, br + 0.9, 0, 2 * M_PI);
        cairo_fill(cr);
        set_rgb(cr, COL_CLOSE_RED, 1);
        cairo_arc(cr, bx, by, br, 0, 2 * M_PI);
        cairo_fill(cr);
        set_rgb(cr, 0xffffff, 1);
        cairo_rectangle(cr, bx - br * 0.62, by - 0.75, br * 1.24, 1.5);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    return s;
}

/* ---------------------------------------------------------------- glyphs */

typedef enum { G_MIN, G_MAX, G_RESTORE, G_CLOSE } glyph_t;

/* Window-button glyph centred on (cx, cy), crisp on the pixel grid. */
static void window_glyph(cairo_t *cr, glyph_t g, double cx, double cy) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    switch (g) {
    case G_MIN:
        cairo_rectangle(cr, cx - 5, cy + 2, 10, 2);
        cairo_fill(cr);
        break;
    case G_MAX:
        cairo_set_line_width(cr, 1);
        cairo_rectangle(cr, cx - 5 + 0.5, cy - 4 + 0.5, 9, 8);
        cairo_stroke(cr);
        cairo_rectangle(cr, cx - 5, cy - 4, 10, 2);
        cairo_fill(cr);
        break;
    case G_RESTORE:
        cairo_set_line_width(cr, 1);
        cairo_move_to(cr, cx - 2 + 0.5, cy - 3);
        cairo_line_to(cr, cx - 2 + 0.5, cy - 5 + 0.5);
        cairo_line_to(cr, cx + 5 - 0.5, cy - 5 + 0.5);
        cairo_line_to(cr, cx + 5 - 0.5, cy + 1 + 0.5);
        cairo_line_to(cr, cx + 3, cy + 1 + 0.5);
        cairo_stroke(cr);
        cairo_rectangle(cr, cx - 5 + 0.5, cy - 2 + 0.5, 7, 6);
        cairo_stroke(cr);
        cairo_rectangle(cr, cx - 5, cy - 2, 8, 2);
        cairo_fill(cr);
        break;
    case G_CLOSE:
        cairo_set_line_width(cr, 1.8);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(cr, cx - 4.5, cy - 4.5);
        cairo_line_to(cr, cx + 4.5, cy + 4.5);
        cairo_move_to(cr, cx + 4.5, cy - 4.5);
        cairo_line_to(cr, cx - 4.5, cy + 4.5);
        cairo_stroke(cr);
        break;
    }
}

typedef enum { I_SERVER, I_REFRESH, I_BROOM, I_BOSS, I_FULLSCREEN } icon_t;

/* 12x12 tool icons with the top-left corner at (x, y). */
static void tool_icon(cairo_t *cr, icon_t ic, double x, double y) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_set_line_width(cr, 1.3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    switch (ic) {
    case I_SERVER: /* a stack of three server units */
        for (int i = 0; i < 3; i++) {
            rounded_rect(cr, 0.65, 0.65 + i * 4, 10.7, 3.2, 1);
            cairo_stroke(cr);
            cairo_arc(cr, 8.6, 2.25 + i * 4, 0.8, 0, 2 * M_PI);
            cairo_fill(cr);
        }
        break;
    case I_REFRESH: /* circular arrow */
        cairo_arc(cr, 6, 6.2, 4.5, -M_PI * 0.32, M_PI * 1.45);
        cairo_stroke(cr);
        cairo_move_to(cr, 11.6, 0.8);
        cairo_line_to(cr, 11.2, 5.0);
        cairo_line_to(cr, 7.2, 3.6);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
    case I_BROOM: /* a broom sweeping */
        cairo_move_to(cr, 11.2, 0.8);
        cairo_line_to(cr, 6.3, 5.7);
        cairo_stroke(cr);
        cairo_move_to(cr, 4.6, 4.4);
        cairo_line_to(cr, 7.6, 7.4);
        cairo_line_to(cr, 4.6, 11.4);
        cairo_line_to(cr, 0.6, 7.6);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_set_line_width(cr, 0.8);
        cairo_move_to(cr, 5.7, 8.4);
        cairo_line_to(cr, 3.4, 10.6);
        cairo_stroke(cr);
        break;
    case I_BOSS: /* eye with a slash: hide everything */
        cairo_move_to(cr, 0.6, 6);
        cairo_curve_to(cr, 3, 1.6, 9, 1.6, 11.4, 6);
        cairo_curve_to(cr, 9, 10.4, 3, 10.4, 0.6, 6);
        cairo_close_path(cr);
        cairo_stroke(cr);
        cairo_arc(cr, 6, 6, 1.9, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_set_line_width(cr, 1.4);
        cairo_move_to(cr, 1.2, 11.2);
        cairo_line_to(cr, 10.8, 0.8);
        cairo_stroke(cr);
        break;
    case I_FULLSCREEN: /* four corners pointing outwards */
        cairo_move_to(cr, 0.7, 4.2);
        cairo_line_to(cr, 0.7, 0.7);
        cairo_line_to(cr, 4.2, 0.7);
        cairo_move_to(cr, 7.8, 0.7);
        cairo_line_to(cr, 11.3, 0.7);
        cairo_line_to(cr, 11.3, 4.2);
        cairo_move_to(cr, 11.3, 7.8);
        cairo_line_to(cr, 11.3, 11.3);
        cairo_line_to(cr, 7.8, 11.3);
        cairo_move_to(cr, 4.2, 11.3);
        cairo_line_to(cr, 0.7, 11.3);
        cairo_line_to(cr, 0.7, 7.8);
        cairo_stroke(cr);
        cairo_rectangle(cr, 3.5, 3.5, 5, 5);
        cairo_fill(cr);
        break;
    }
    cairo_restore(cr);
}

/* ======================================================================
 * Title bar: left end, middle tile, right end (all 30 px high).
 * ==================================================================== */
#define TITLE_H 30

/* The middle profile that all three pieces share, so they join seamlessly. */
static void title_base(cairo_t *cr, double w) {
    cairo_pattern_t *p = cairo_pattern_create_linear(0, 0, 0, TITLE_H);
    stop(p, 0, 0x1d2d60, 1);
    stop(p, 0.5, 0x111c42, 1);
    stop(p, 1, 0x080d24, 1);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, 0, 0, w, TITLE_H);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    set_rgb(cr, 0x6f86c8, 0.35); /* top sheen */
    cairo_rectangle(cr, 0, 0, w, 1);
    cairo_fill(cr);
    set_rgb(cr, COL_GOLD_DARK, 1); /* gold base line */
    cairo_rectangle(cr, 0, TITLE_H - 2, w, 1);
    cairo_fill(cr);
    set_rgb(cr, 0x03050f, 1);
    cairo_rectangle(cr, 0, TITLE_H - 1, w, 1);
    cairo_fill(cr);
}

static void make_title_bar(void) {
    /* 172: middle tile */
    cairo_surface_t *s = new_surface(1, TITLE_H);
    cairo_t *cr = cairo_create(s);
    title_base(cr, 1);
    cairo_destroy(cr);
    save_png(s, 172, "title-middle");
    cairo_surface_destroy(s);

    /* 203: left end with the emblem and the launcher's name */
    s = new_surface(203, TITLE_H);
    cr = cairo_create(s);
    title_base(cr, 203);
    cairo_save(cr);
    cairo_rectangle(cr, 0, 1, 203, TITLE_H - 3);
    cairo_clip(cr);
    nebula_blob(cr, 40, 14, 90, 22, COL_NEBULA_VIOLET, 0.35);
    nebula_blob(cr, 120, 10, 70, 16, COL_NEBULA_BLUE, 0.18);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_rectangle(cr, 0, 1, 190, TITLE_H - 3);
    cairo_clip(cr);
    star_field(cr, 30, 2, 160, 24, 22, 203, 0.9);
    cairo_restore(cr);
    glow_dot(cr, 16, 14, 16, COL_GOLD, 0.35);
    draw_emblem(cr, 16, 14.5, 11, 1);
    text_path(cr, LBL_LAUNCHER, 15, 1, 1, 33, 14.5, AL_LEFT);
    set_rgb(cr, 0x02040c, 0.9);
    cairo_set_line_width(cr, 2.4);
    cairo_stroke_preserve(cr);
    cairo_pattern_t *g = cairo_pattern_create_linear(0, 6, 0, 23);
    stop(g, 0, COL_GOLD_PALE, 1);
    stop(g, 0.55, COL_GOLD_LIGHT, 1);
    stop(g, 1, COL_GOLD, 1);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    /* flourish that runs into the middle tile, ending before the server name */
    double fx = 33 + text_width(cr, LBL_LAUNCHER, 15, 1, 1) + 8;
    cairo_pattern_t *line = cairo_pattern_create_linear(fx, 0, 200, 0);
    stop(line, 0, COL_GOLD, 0.9);
    stop(line, 1, COL_GOLD, 0);
    cairo_set_source(cr, line);
    cairo_rectangle(cr, fx + 6, 14, 200 - fx - 6, 1);
    cairo_fill(cr);
    cairo_pattern_destroy(line);
    diamond_path(cr, fx + 3, 14.5, 3, 3);
    set_rgb(cr, COL_GOLD_LIGHT, 1);
    cairo_fill(cr);
    /* separator before the server name at x 208 */
    set_rgb(cr, COL_GOLD, 0.6);
    cairo_rectangle(cr, 201, 7, 1, 16);
    cairo_fill(cr);
    cairo_destroy(cr);
    save_png(s, 203, "title-left");
    cairo_surface_destroy(s);

    /* 206: right end, a recessed plate under the three window buttons */
    s = new_surface(92, TITLE_H);
    cr = cairo_create(s);
    title_base(cr, 92);
    /* the plate starts between the fullscreen button (ends at 3) and the
     * minimise button (starts at 6) */
    cairo_rectangle(cr, 5, 1, 87, TITLE_H - 3);
    cairo_pattern_t *pl = cairo_pattern_create_linear(0, 0, 0, TITLE_H);
    stop(pl, 0, 0x0c1431, 1);
    stop(pl, 1, 0x060a1c, 1);
    cairo_set_source(cr, pl);
    cairo_fill(cr);
    cairo_pattern_destroy(pl);
    cairo_pattern_t *sep = cairo_pattern_create_linear(0, 0, 0, TITLE_H);
    stop(sep, 0, COL_GOLD, 0.1);
    stop(sep, 0.5, COL_GOLD_LIGHT, 0.9);
    stop(sep, 1, COL_GOLD, 0.1);
    cairo_set_source(cr, sep);
    cairo_rectangle(cr, 4, 2, 1, TITLE_H - 5);
    cairo_fill(cr);
    cairo_pattern_destroy(sep);
    diamond_path(cr, 4.5, 14.5, 2, 3);
    set_rgb(cr, COL_GOLD_LIGHT, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    save_png(s, 206, "title-right");
    cairo_surface_destroy(s);
}

/* ======================================================================
 * Title-bar buttons
 * ==================================================================== */
typedef enum { ST_NORMAL, ST_HOVER, ST_PRESSED } state_t;

static void make_window_button(int id, const char *name, glyph_t g, state_t st) {
    const int w = 28, h = 26;
    cairo_surface_t *s = new_surface(w, h);
    cairo_t *cr = cairo_create(s);
    int red = g == G_CLOSE;
    double off = st == ST_PRESSED ? 1 : 0;
    if (st == ST_NORMAL) {
        /* a faint socket so the button reads as a button */
        rounded_rect(cr, 2.5, 2.5, w - 5, h - 5, 3);
        set_rgb(cr, 0xffffff, 0.04);
        cairo_fill(cr);
    } else {
        cairo_pattern_t *p = cairo_pattern_create_linear(0, 2, 0, h - 2);
        if (st == ST_HOVER) {
            stop(p, 0, red ? 0xe0594a : COL_SPACE_BRIGHT, 1);
            stop(p, 1, red ? COL_CLOSE_RED : COL_SPACE_LIGHT, 1);
        } else {
            stop(p, 0, red ? COL_CLOSE_RED_DARK : 0x050a1e, 1);
            stop(p, 1, red ? 0x9a2a1f : COL_SPACE_MID, 1);
        }
        rounded_rect(cr, 1.5, 1.5, w - 3, h - 3, 3.5);
        cairo_set_source(cr, p);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(p);
        set_rgb(cr, st == ST_HOVER ? COL_GOLD_LIGHT : COL_GOLD_DARK, st == ST_HOVER ? 0.95 : 0.8);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        if (st == ST_HOVER) {
            set_rgb(cr, 0xffffff, 0.22);
            cairo_rectangle(cr, 4, 2, w - 8, 1);
            cairo_fill(cr);
        } else {
            set_rgb(cr, 0x000000, 0.45);
            cairo_rectangle(cr, 3, 2, w - 6, 2);
            cairo_fill(cr);
        }
    }
    /* glyph with a dark shadow below it */
    cairo_save(cr);
    cairo_translate(cr, off, off + 1);
    set_rgb(cr, 0x000000, 0.6);
    window_glyph(cr, g, w / 2.0, h / 2.0 - 1);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_translate(cr, off, off);
    set_rgb(cr, st == ST_HOVER ? 0xffffff : st == ST_PRESSED ? COL_GOLD : COL_GOLD_LIGHT, 1);
    window_glyph(cr, g, w / 2.0, h / 2.0 - 1);
    cairo_restore(cr);
    cairo_destroy(cr);
    save_png(s, id, name);
    cairo_surface_destroy(s);
}

/* Pill button of the tool row: icon, label and an optional hotkey.
 * `face` is the width of the visible plate (a picture may be wider than its
 * button, so the plate stays inside the button). */
static void make_tool_button(int id, const char *name, int w, int face, icon_t ic,
                             const char *label, const char *hotkey, state_t st) {
    const int h = 24;
    cairo_surface_t *s = new_surface(w, h);
    cairo_t *cr = cairo_create(s);
    double x0 = 2.5, y0 = 1.5, pw = face - 5, ph = h - 3, r = 4;

    if (st == ST_HOVER) { /* soft outer glow */
        rounded_rect(cr, x0 - 1, y0 - 1, pw + 2, ph + 2, r + 1);
        set_rgb(cr, COL_GOLD_LIGHT, 0.28);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
    cairo_pattern_t *p = cairo_pattern_create_linear(0, y0, 0, y0 + ph);
    if (st == ST_NORMAL) {
        stop(p, 0, COL_SPACE_LIGHT, 1);
        stop(p, 0.5, COL_SPACE_MID, 1);
        stop(p, 1, 0x0d1738, 1);
    } else if (st == ST_HOVER) {
        stop(p, 0, 0x4f72bd, 1);
        stop(p, 0.5, COL_SPACE_BRIGHT, 1);
        stop(p, 1, COL_SPACE_LIGHT, 1);
    } else {
        stop(p, 0, 0x040818, 1);
        stop(p, 1, 0x111c42, 1);
    }
    rounded_rect(cr, x0, y0, pw, ph, r);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    set_rgb(cr, st == ST_HOVER ? COL_GOLD_PALE : st == ST_PRESSED ? COL_GOLD_DARK : COL_GOLD,
            st == ST_NORMAL ? 0.85 : 1);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (st != ST_PRESSED) { /* top highlight */
        set_rgb(cr, 0xffffff, st == ST_HOVER ? 0.3 : 0.16);
        cairo_rectangle(cr, x0 + 3, y0 + 1, pw - 6, 1);
        cairo_fill(cr);
    } else { /* inner shadow */
        set_rgb(cr, 0x000000, 0.5);
        cairo_rectangle(cr, x0 + 2, y0 + 1, pw - 4, 2);
        cairo_fill(cr);
    }

    /* content: icon 12 + 4 + label (+ 4 + hotkey), centred on the plate */
    double lw = text_width(cr, label, 12, 0, 0);
    double hw = hotkey ? text_width(cr, hotkey, 10, 0, 0) + 4 : 0;
    double total = 12 + 4 + lw + hw;
    double cx0 = x0 + (pw - total) / 2, off = st == ST_PRESSED ? 1 : 0;
    double cy = h / 2.0 + off;
    uint32_t icon_col = st == ST_HOVER ? 0xffffff : st == ST_PRESSED ? COL_GOLD : COL_GOLD_LIGHT;
    uint32_t text_col = st == ST_HOVER ? 0xffffff : st == ST_PRESSED ? 0xd9c79a : COL_GOLD_PALE;
    cairo_save(cr);
    cairo_translate(cr, 0, 1);
    set_rgb(cr, 0x000000, 0.55);
    tool_icon(cr, ic, floor(cx0 + off), floor(cy - 6));
    draw_text(cr, label, 12, 0, 0, cx0 + 16 + off, cy, AL_LEFT, 0x000000, 0.6);
    cairo_restore(cr);
    set_rgb(cr, icon_col, 1);
    tool_icon(cr, ic, floor(cx0 + off), floor(cy - 6));
    draw_text(cr, label, 12, 0, 0, cx0 + 16 + off, cy, AL_LEFT, text_col, 1);
    if (hotkey)
        draw_text(cr, hotkey, 10, 0, 0, cx0 + 16 + lw + 4 + off, cy + 0.5, AL_LEFT,
                  st == ST_HOVER ? COL_GOLD_LIGHT : COL_GOLD, st == ST_PRESSED ? 0.7 : 0.9);
    cairo_destroy(cr);
    save_png(s, id, name);
    cairo_surface_destroy(s);
}

static void make_title_buttons(void) {
    static const struct {
        int ids[3];
        const char *name;
        glyph_t g;
    } win[] = {
        {{207, 208, 227}, "title-close", G_CLOSE},
        {{220, 213, 228}, "title-maximize", G_MAX},
        {{221, 217, 229}, "title-restore", G_RESTORE},
        {{209, 210, 230}, "title-minimize", G_MIN},
    };
    static const char *const suffix[3] = {"normal", "hover", "pressed"};
    char name[96];
    for (size_t i = 0; i < sizeof win / sizeof win[0]; i++)
        for (int st = 0; st < 3; st++) {
            snprintf(name, sizeof name, "%s-%s", win[i].name, suffix[st]);
            make_window_button(win[i].ids[st], name, win[i].g, (state_t)st);
        }

    const struct {
        int ids[3];
        const char *name;
        int w, face;
        icon_t ic;
        const char *label, *hotkey;
    } tools[] = {
        {{211, 212, 231}, "select-server", 59, 59, I_SERVER, LBL_SELECT_SERVER, NULL},
        {{226, 219, 236}, "refresh", 78, 78, I_REFRESH, LBL_REFRESH, NULL},
        {{252, 253, 261}, "clear-cache", 78, 78, I_BROOM, LBL_CLEAR_CACHE, NULL},
        {{223, 215, 233}, "boss-key", 97, 97, I_BOSS, LBL_BOSS_KEY, LBL_BOSS_KEY_HOTKEY},
        /* the picture is one pixel wider than its 85-pixel button */
        {{224, 214, 234}, "fullscreen", 86, 85, I_FULLSCREEN, LBL_FULLSCREEN,
         LBL_FULLSCREEN_HOTKEY},
    };
    for (size_t i = 0; i < sizeof tools / sizeof tools[0]; i++)
        for (int st = 0; st < 3; st++) {
            snprintf(name, sizeof name, "%s-%s", tools[i].name, suffix[st]);
            make_tool_button(tools[i].ids[st], name, tools[i].w, tools[i].face, tools[i].ic,
                             tools[i].label, tools[i].hotkey, (state_t)st);
        }
}

/* ======================================================================
 * Message box: background 304, buttons 311-314, close mark 316
 * ==================================================================== */
static void make_message_box(void) {
    const int W = 258, H = 112;
    cairo_surface_t *s = new_surface(W, H);
    cairo_t *cr = cairo_create(s);

    /* fully opaque: the box is an ordinary rectangular window */
    cairo_pattern_t *p = cairo_pattern_create_linear(0, 0, 0, H);
    stop(p, 0, 0x16234f, 1);
    stop(p, 0.3, 0x0d1534, 1);
    stop(p, 1, 0x060a1c, 1);
    cairo_set_source(cr, p);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
    nebula_blob(cr, 40, 90, 90, 40, COL_NEBULA_VIOLET, 0.22);
    nebula_blob(cr, 220, 70, 80, 45, COL_NEBULA_BLUE, 0.16);
    cairo_save(cr);
    cairo_rectangle(cr, 4, 32, W - 8, H - 36);
    cairo_clip(cr);
    star_field(cr, 4, 32, W - 8, H - 36, 40, 304, 0.9);
    cairo_restore(cr);

    /* header band for the title (y 0-30) */
    p = cairo_pattern_create_linear(0, 0, 0, 30);
    stop(p, 0, 0x2a3f7c, 1);
    stop(p, 1, 0x142050, 1);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, 0, 0, W, 30);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    nebula_blob(cr, 135, 6, 90, 22, COL_GOLD, 0.14);
    p = cairo_pattern_create_linear(0, 0, W, 0);
    stop(p, 0, COL_GOLD, 0.1);
    stop(p, 0.5, COL_GOLD_LIGHT, 1);
    stop(p, 1, COL_GOLD, 0.1);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, 0, 30, W, 1);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    set_rgb(cr, 0x000000, 0.5);
    cairo_rectangle(cr, 0, 31, W, 1);
    cairo_fill(cr);
    diamond_path(cr, 135, 30.5, 5, 3);
    set_rgb(cr, COL_GOLD_LIGHT, 1);
    cairo_fill(cr);

    /* ornaments flanking the title rectangle (x 85-185) */
    for (int side = -1; side <= 1; side += 2) {
        double cx = side < 0 ? 70 : 200;
        p = cairo_pattern_create_linear(cx - 40 * side, 0, cx, 0);
        stop(p, 0, COL_GOLD, 0);
        stop(p, 1, COL_GOLD, 0.9);
        cairo_set_source(cr, p);
        cairo_rectangle(cr, side < 0 ? cx - 40 : cx + 4, 15, 36, 1);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        diamond_path(cr, cx, 15.5, 3.5, 3.5);
        set_rgb(cr, COL_GOLD_LIGHT, 1);
        cairo_fill(cr);
    }
    /* small emblem at the left of the header */
    draw_emblem(cr, 17, 15.5, 9, 1);

    /* socket of the close mark (drawn by the button at 233,10, 9x8) */
    cairo_arc(cr, 237.5, 14, 8, 0, 2 * M_PI);
    set_rgb(cr, 0x050a1e, 0.7);
    cairo_fill_preserve(cr);
    set_rgb(cr, COL_GOLD_DARK, 0.9);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    /* frame: dark edge, gold line, inner hairline, corner brackets */
    set_rgb(cr, COL_GOLD_DEEP, 1);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, W - 1, H - 1);
    cairo_stroke(cr);
    set_rgb(cr, COL_GOLD, 0.95);
    cairo_rectangle(cr, 1.5, 1.5, W - 3, H - 3);
    cairo_stroke(cr);
    set_rgb(cr, COL_GOLD, 0.3);
    cairo_rectangle(cr, 4.5, 4.5, W - 9, H - 9);
    cairo_stroke(cr);
    set_rgb(cr, COL_GOLD_LIGHT, 1);
    cairo_set_line_width(cr, 2);
    for (int cx = 0; cx < 2; cx++)
        for (int cy = 0; cy < 2; cy++) {
            double x = cx ? W - 4 : 4, y = cy ? H - 4 : 4;
            double dx = cx ? -1 : 1, dy = cy ? -1 : 1;
            if (!cy && cx) continue; /* the close mark sits there */
            cairo_move_to(cr, x, y + dy * 10);
            cairo_line_to(cr, x, y);
            cairo_line_to(cr, x + dx * 10, y);
            cairo_stroke(cr);
        }
    cairo_destroy(cr);
    save_png(s, 304, "message-box");
    cairo_surface_destroy(s);

    /* buttons: OK gold (primary), Cancel night blue; 311/313 highlighted */
    static const struct {
        int id;
        const char *name;
        int ok, hl;
    } btns[] = {
        {314, "msgbox-ok-normal", 1, 0},
        {313, "msgbox-ok-highlight", 1, 1},
        {312, "msgbox-cancel-normal", 0, 0},
        {311, "msgbox-cancel-highlight", 0, 1},
    };
    for (size_t i = 0; i < 4; i++) {
        const int bw = 82, bh = 34;
        s = new_surface(bw, bh);
        cr = cairo_create(s);
        int ok = btns[i].ok, hl = btns[i].hl;
        double x0 = 3, y0 = 3, pw = bw - 6, ph = bh - 6;
        if (hl) {
            for (int k = 3; k >= 1; k--) {
                chamfer_rect(cr, x0 - k + 0.5, y0 - k + 0.5, x0 + pw + k - 0.5, y0 + ph + k - 0.5,
                             5 + k * 0.6);
                set_rgb(cr, COL_GOLD_LIGHT, 0.12);
                cairo_fill(cr);
            }
        }
        p = cairo_pattern_create_linear(0, y0, 0, y0 + ph);
        if (ok) {
            stop(p, 0, hl ? 0xfff0b8 : 0xf0d58a, 1);
            stop(p, 0.48, hl ? 0xf1cf72 : 0xd7b25a, 1);
            stop(p, 0.52, hl ? 0xdcb152 : 0xb98f3a, 1);
            stop(p, 1, hl ? 0xb88a34 : 0x8f6a26, 1);
        } else {
            stop(p, 0, hl ? 0x4a6cb4 : 0x2a3f7c, 1);
            stop(p, 0.5, hl ? 0x2f4c8e : 0x182a5c, 1);
            stop(p, 1, hl ? 0x1d3270 : 0x0d1738, 1);
        }
        chamfer_rect(cr, x0 + 0.5, y0 + 0.5, x0 + pw - 0.5, y0 + ph - 0.5, 5);
        cairo_set_source(cr, p);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(p);
        set_rgb(cr, ok ? COL_GOLD_DEEP : (hl ? COL_GOLD_PALE : COL_GOLD), 1);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        chamfer_rect(cr, x0 + 2.5, y0 + 2.5, x0 + pw - 2.5, y0 + ph - 2.5, 4);
        set_rgb(cr, ok ? 0xfff6d8 : COL_GOLD, ok ? 0.5 : 0.3);
        cairo_stroke(cr);
        /* the label; a light emboss on gold, a shadow on blue */
        double cx = bw / 2.0, cy = bh / 2.0;
        const char *lbl = ok ? LBL_OK : LBL_CANCEL;
        if (ok) {
            draw_text(cr, lbl, 15, 1, 4, cx + 2, cy + 1, AL_CENTER, 0xfff6d8, 0.6);
            draw_text(cr, lbl, 15, 1, 4, cx + 2, cy, AL_CENTER, COL_INK_BROWN, 1);
        } else {
            draw_text(cr, lbl, 15, 1, 4, cx + 2, cy + 1, AL_CENTER, 0x000000, 0.7);
            draw_text(cr, lbl, 15, 1, 4, cx + 2, cy, AL_CENTER, hl ? 0xffffff : COL_GOLD_PALE, 1);
        }
        cairo_destroy(cr);
        save_png(s, btns[i].id, btns[i].name);
        cairo_surface_destroy(s);
    }

    /* 316: the close mark, 9x8 */
    s = new_surface(9, 8);
    cr = cairo_create(s);
    set_rgb(cr, COL_GOLD_LIGHT, 1);
    cairo_set_line_width(cr, 1.5);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, 1.2, 1.0);
    cairo_line_to(cr, 7.8, 7.0);
    cairo_move_to(cr, 7.8, 1.0);
    cairo_line_to(cr, 1.2, 7.0);
    cairo_stroke(cr);
    cairo_destroy(cr);
    save_png(s, 316, "msgbox-close-mark");
    cairo_surface_destroy(s);
}

/* ======================================================================
 * Notice overlay: tint 275 and the loading frames 276-279
 * ==================================================================== */
static void make_overlay(void) {
    cairo_surface_t *s = new_surface(1, 1);
    cairo_t *cr = cairo_create(s);
    cairo_set_source_rgba(cr, 0, 0, 0, 230 / 255.0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    save_png(s, 275, "overlay-tint");
    cairo_surface_destroy(s);

    /* 2x2 squares; the lit one walks clockwise: top-left, top-right,
     * bottom-right, bottom-left */
    static const int order[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int f = 0; f < 4; f++) {
        s = new_surface(23, 23);
        cr = cairo_create(s);
        for (int q = 0; q < 4; q++) {
            int gx = order[q][0], gy = order[q][1];
            double x = 1 + gx * 12, y = 1 + gy * 12;
            int lit = q == f, trail = q == (f + 3) % 4;
            if (lit) glow_dot(cr, x + 4.5, y + 4.5, 9, COL_GOLD_LIGHT, 0.5);
            cairo_pattern_t *p = cairo_pattern_create_linear(x, y, x + 9, y + 9);
            if (lit) {
                stop(p, 0, 0xffffff, 1);
                stop(p, 0.5, COL_GOLD_PALE, 1);
                stop(p, 1, COL_GOLD_LIGHT, 1);
            } else {
                stop(p, 0, trail ? 0x9a8248 : 0x5a4d30, 1);
                stop(p, 1, trail ? 0x6e5a2c : 0x3a3220, 1);
            }
            rounded_rect(cr, x, y, 9, 9, 2);
            cairo_set_source(cr, p);
            cairo_fill_preserve(cr);
            cairo_pattern_destroy(p);
            set_rgb(cr, lit ? 0xffffff : COL_GOLD_DARK, lit ? 0.9 : 0.8);
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
        }
        cairo_destroy(cr);
        char name[32];
        snprintf(name, sizeof name, "loading-%d", f + 1);
        save_png(s, 276 + f, name);
        cairo_surface_destroy(s);
    }
}

/* ======================================================================
 * Login pop-up buttons 320-325
 * ==================================================================== */
/* A round gold-rimmed medallion holding a glyph.  The medallions of the two
 * buttons share their centre height on the pop-up (y 20), though the
 * buttons themselves sit at different heights. */
static void make_popup_button(int id, const char *name, int size, double cx, double cy,
                              double r, glyph_t g, state_t st) {
    cairo_surface_t *s = new_surface(size, size);
    cairo_t *cr = cairo_create(s);
    int red = g == G_CLOSE;
    double off = st == ST_PRESSED ? 0.8 : 0;
    if (st == ST_HOVER) glow_dot(cr, cx, cy, r + 5, red ? 0xff7a5a : COL_GOLD_LIGHT, 0.55);
    cairo_pattern_t *p = cairo_pattern_create_linear(cx - r, cy - r, cx + r, cy + r);
    stop(p, 0, st == ST_HOVER ? 0xffffff : COL_GOLD_PALE, 1);
    stop(p, 0.5, st == ST_PRESSED ? COL_GOLD_DARK : COL_GOLD, 1);
    stop(p, 1, COL_GOLD_DEEP, 1);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    double ri = r - 2;
    p = cairo_pattern_create_radial(cx, cy - ri * 0.5, 0, cx, cy, ri);
    if (st == ST_NORMAL) {
        stop(p, 0, red ? 0x8a3a3a : COL_SPACE_BRIGHT, 1);
        stop(p, 1, red ? 0x3a0e14 : COL_SPACE, 1);
    } else if (st == ST_HOVER) {
        stop(p, 0, red ? 0xf07055 : 0x6f93dc, 1);
        stop(p, 1, red ? 0xa02a22 : COL_SPACE_LIGHT, 1);
    } else {
        stop(p, 0, red ? 0x4a1014 : 0x0d1738, 1);
        stop(p, 1, red ? 0x1e0508 : 0x03050f, 1);
    }
    cairo_arc(cr, cx, cy, ri, 0, 2 * M_PI);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    if (st == ST_PRESSED) {
        set_rgb(cr, 0x000000, 0.5);
        cairo_set_line_width(cr, 1.5);
        cairo_arc(cr, cx, cy + 0.8, ri - 0.6, M_PI * 1.1, M_PI * 1.9);
        cairo_stroke(cr);
    }
    cairo_save(cr);
    cairo_translate(cr, off, off);
    set_rgb(cr, st == ST_HOVER ? 0xffffff : st == ST_PRESSED ? COL_GOLD : COL_GOLD_PALE, 1);
    if (g == G_MIN) {
        cairo_rectangle(cr, floor(cx) - 4, floor(cy), 9, 2);
        cairo_fill(cr);
    } else {
        cairo_set_line_width(cr, 1.7);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(cr, cx - 3.6, cy - 3.6);
        cairo_line_to(cr, cx + 3.6, cy + 3.6);
        cairo_move_to(cr, cx + 3.6, cy - 3.6);
        cairo_line_to(cr, cx - 3.6, cy + 3.6);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    cairo_destroy(cr);
    save_png(s, id, name);
    cairo_surface_destroy(s);
}

static void make_popup_buttons(void) {
    static const char *const suffix[3] = {"normal", "hover", "pressed"};
    char name[64];
    for (int st = 0; st < 3; st++) {
        /* minimise: button at pop-up (630,0), medallion centre (644.5, 20) */
        snprintf(name, sizeof name, "popup-minimize-%s", suffix[st]);
        make_popup_button(320 + st, name, 29, 14.5, 20, 8.5, G_MIN, (state_t)st);
        /* close: button at pop-up (667,10), medallion centre (682, 20) */
        snprintf(name, sizeof name, "popup-close-%s", suffix[st]);
        make_popup_button(323 + st, name, 30, 15, 10, 9.5, G_CLOSE, (state_t)st);
    }
}

/* ======================================================================
 * Login pop-up background: bitmap 318 (697x533, colour-keyed green)
 *
 * The pop-up client is 695x500.  The web page covers (0,42)-(645,500) once
 * it has loaded; the header (y < 42) carries the title and the two buttons;
 * the strip right of the page is key green, so the login artwork beneath
 * shows through there, as it does in the two cut top corners.
 * ==================================================================== */
#define POPUP_W 695
#define POPUP_H 500
#define POPUP_HEADER 42
#define POPUP_PAGE_R 645
#define POPUP_CUT_TL 12
#define POPUP_CUT_TR 10

/* The visible outline of the pop-up, shared with the login artwork. */
static void popup_outline(cairo_t *cr, double ox, double oy, double grow) {
    double g = grow, k = grow * 0.414;
    cairo_new_sub_path(cr);
    cairo_move_to(cr, ox + POPUP_CUT_TL + k - g, oy - g);
    cairo_line_to(cr, ox + POPUP_W - POPUP_CUT_TR - k + g, oy - g);
    cairo_line_to(cr, ox + POPUP_W + g, oy + POPUP_CUT_TR - k + g);
    cairo_line_to(cr, ox + POPUP_W + g, oy + POPUP_HEADER + g);
    cairo_line_to(cr, ox + POPUP_PAGE_R + g, oy + POPUP_HEADER + g);
    cairo_line_to(cr, ox + POPUP_PAGE_R + g, oy + POPUP_H + g);
    cairo_line_to(cr, ox - g, oy + POPUP_H + g);
    cairo_line_to(cr, ox - g, oy + POPUP_CUT_TL - k + g);
    cairo_close_path(cr);
}

static void make_popup_background(void) {
    const int W = 697, H = 533;
    cairo_surface_t *s = new_surface(W, H);
    cairo_t *cr = cairo_create(s);

    /* page area: shown until the login page has loaded */
    space_backdrop(cr, 0, 0, W, H, 318, 0.7);
    cairo_pattern_t *p = cairo_pattern_create_radial(322, 250, 20, 322, 250, 360);
    stop(p, 0, COL_NEBULA_VIOLET, 0.25);
    stop(p, 1, COL_SPACE_DEEP, 0);
    cairo_set_source(cr, p);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
    glow_dot(cr, 322, 250, 120, COL_GOLD, 0.12);
    cairo_push_group(cr);
    draw_emblem(cr, 322, 250, 70, 2);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, 0.5);
    draw_text(cr, LBL_POPUP_LOADING, 14, 0, 2, 322, 352, AL_CENTER, COL_GOLD_LIGHT, 0.75);
    /* a thin inner frame of the page area */
    set_rgb(cr, COL_GOLD, 0.35);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 6.5, POPUP_HEADER + 6.5, POPUP_PAGE_R - 13, POPUP_H - POPUP_HEADER - 13);
    cairo_stroke(cr);

    /* header */
    p = cairo_pattern_create_linear(0, 0, 0, POPUP_HEADER);
    stop(p, 0, 0x2a3f7c, 1);
    stop(p, 0.55, 0x16234f, 1);
    stop(p, 1, 0x0c1431, 1);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, 0, 0, W, POPUP_HEADER);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, W, POPUP_HEADER);
    cairo_clip(cr);
    nebula_blob(cr, 90, 20, 160, 30, COL_NEBULA_VIOLET, 0.4);
    nebula_blob(cr, 420, 10, 220, 24, COL_NEBULA_BLUE, 0.2);
    star_field(cr, 0, 0, W, POPUP_HEADER, 60, 3180, 1.0);
    cairo_restore(cr);
    set_rgb(cr, 0x7f98d8, 0.35);
    cairo_rectangle(cr, 0, 0, W, 1);
    cairo_fill(cr);
    p = cairo_pattern_create_linear(0, 0, W, 0);
    stop(p, 0, COL_GOLD_LIGHT, 1);
    stop(p, 0.7, COL_GOLD, 0.9);
    stop(p, 1, COL_GOLD_DARK, 0.8);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, 0, POPUP_HEADER - 2, W, 1);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    set_rgb(cr, 0x02040c, 1);
    cairo_rectangle(cr, 0, POPUP_HEADER - 1, W, 1);
    cairo_fill(cr);

    /* title with a star in front of it */
    sparkle(cr, 27, 20.5, 8, 1);
    text_path(cr, LBL_POPUP_TITLE, 17, 1, 3, 42, 20.5, AL_LEFT);
    set_rgb(cr, 0x02040c, 0.9);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke_preserve(cr);
    p = cairo_pattern_create_linear(0, 11, 0, 30);
    stop(p, 0, COL_GOLD_PALE, 1);
    stop(p, 1, COL_GOLD, 1);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    double tx = 42 + text_width(cr, LBL_POPUP_TITLE, 17, 1, 3) + 14;
    p = cairo_pattern_create_linear(tx, 0, 600, 0);
    stop(p, 0, COL_GOLD, 0.9);
    stop(p, 1, COL_GOLD, 0);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, tx + 8, 20, 600 - tx - 8, 1);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    diamond_path(cr, tx + 3, 20.5, 3.5, 3.5);
    set_rgb(cr, COL_GOLD_LIGHT, 1);
    cairo_fill(cr);
    /* sockets behind the two medallion buttons */
    glow_dot(cr, 644.5, 20, 16, 0x000000, 0.5);
    glow_dot(cr, 682, 20, 16, 0x000000, 0.5);

    /* gold edge along the visible outline */
    set_rgb(cr, COL_GOLD, 1);
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, 0.5, POPUP_H);
    cairo_line_to(cr, 0.5, POPUP_CUT_TL + 0.5);
    cairo_line_to(cr, POPUP_CUT_TL + 0.5, 0.5);
    cairo_line_to(cr, POPUP_W - POPUP_CUT_TR - 0.5, 0.5);
    cairo_line_to(cr, POPUP_W - 0.5, POPUP_CUT_TR + 0.5);
    cairo_line_to(cr, POPUP_W - 0.5, POPUP_HEADER - 0.5);
    cairo_stroke(cr);
    cairo_destroy(cr);

    /* the colour key: hard-edged, no blending */
    unsigned char *key = calloc((size_t)W * H, 1);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            int k = 0;
            if (x >= POPUP_PAGE_R && y >= POPUP_HEADER) k = 1;             /* right strip */
            if (x + y < POPUP_CUT_TL) k = 1;                               /* top-left cut */
            if ((POPUP_W - 1 - x) + y < POPUP_CUT_TR && x < POPUP_W) k = 1; /* top-right cut */
            if (x >= POPUP_W && y < POPUP_HEADER) k = 1; /* beyond the client, unseen */
            key[y * W + x] = (unsigned char)k;
        }
    save_bmp24(s, key, "318-popup-background.bmp");
    free(key);
    cairo_surface_destroy(s);
}

/* ======================================================================
 * Login window artwork 319 (1396x847, shaped, per-pixel alpha)
 * ==================================================================== */
#define LOGIN_W 1396
#define LOGIN_H 847
#define POP_X 538 /* where the pop-up sits over the artwork */
#define POP_Y 114
/* the panel */
#define PNL_X0 20
#define PNL_Y0 74
#define PNL_X1 1388
#define PNL_Y1 836
#define PNL_CUT 20
#define PNL_CUT_BR 12 /* small, to keep room for the version text */
/* the planet that breaks out of the top-left of the panel */
#define PLANET_X 262
#define PLANET_Y 182
#define PLANET_R 140

static void panel_path(cairo_t *cr, double inset) {
    double k = inset * 0.586;
    chamfer_rect4(cr, PNL_X0 + inset, PNL_Y0 + inset, PNL_X1 - inset, PNL_Y1 - inset,
                  PNL_CUT - k, PNL_CUT - k, PNL_CUT_BR - k, PNL_CUT - k);
}

/* Mountain ridge: triangle waves give sharp peaks; `peak` raises one for the
 * pagoda. */
#define PAGODA_X 1300
static double tri(double t) { return 1 - 2 * fabs(t - floor(t) - 0.5); }
static double ridge(double x, double base, double amp, double seed, int peak) {
    double h = 0.6 * tri(x / 310.0 + seed) + 0.3 * tri(x / 117.0 + seed * 2.3) +
               0.07 * tri(x / 39.0 + seed * 4.1) + 0.03 * tri(x / 13.0 + seed * 6.7);
    double y = base - amp * (h - 0.4);
    if (peak) {
        double d = (x - PAGODA_X) / 60.0;
        y -= 56 * exp(-d * d);
    }
    return y;
}

static void pagoda(cairo_t *cr, double cx, double base, double s) {
    /* tiers of curved eaves narrowing upwards */
    double y = base;
    for (int t = 0; t < 5; t++) {
        double hw = s * (1.0 - t * 0.15), th = s * 0.42;
        cairo_rectangle(cr, cx - hw * 0.55, y - th, hw * 1.1, th);
        double ey = y - th;
        cairo_move_to(cr, cx - hw * 1.05, ey + s * 0.06);
        cairo_curve_to(cr, cx - hw * 0.7, ey - s * 0.02, cx - hw * 0.4, ey - s * 0.16, cx,
                       ey - s * 0.2);
        cairo_curve_to(cr, cx + hw * 0.4, ey - s * 0.16, cx + hw * 0.7, ey - s * 0.02,
                       cx + hw * 1.05, ey + s * 0.06);
        cairo_line_to(cr, cx + hw * 0.8, ey + s * 0.06);
        cairo_line_to(cr, cx - hw * 0.8, ey + s * 0.06);
        cairo_close_path(cr);
        y = ey - s * 0.12;
    }
    cairo_move_to(cr, cx - s * 0.04, y);
    cairo_line_to(cr, cx, y - s * 0.55);
    cairo_line_to(cr, cx + s * 0.04, y);
    cairo_close_path(cr);
}

static void draw_planet(cairo_t *cr) {
    const double cx = PLANET_X, cy = PLANET_Y, r = PLANET_R;
    const double ring_rx = 232, ring_ry = 46, tilt = -0.24;
    {
        /* back half of the ring */
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_rotate(cr, tilt);
        cairo_rectangle(cr, -400, -200, 800, 200);
        cairo_clip(cr);
        for (int i = 0; i < 5; i++) {
            double k = 1 - i * 0.07;
            cairo_save(cr);
            cairo_scale(cr, ring_rx * k, ring_ry * k);
            cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(cr);
            set_rgb(cr, i % 2 ? COL_GOLD : COL_GOLD_LIGHT, 0.35 - i * 0.04);
            cairo_set_line_width(cr, i == 0 ? 2.2 : 3.5);
            cairo_stroke(cr);
        }
        cairo_restore(cr);

        /* body, lit from the upper right */
        cairo_pattern_t *p = cairo_pattern_create_radial(cx + r * 0.35, cy - r * 0.4, r * 0.05,
                                                         cx + r * 0.1, cy - r * 0.1, r * 1.15);
        stop(p, 0, 0xbfe8ff, 1);
        stop(p, 0.18, 0x5fa8e0, 1);
        stop(p, 0.45, 0x3b4fae, 1);
        stop(p, 0.75, 0x2a1f6a, 1);
        stop(p, 1, 0x0a0a26, 1);
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        /* cloud bands */
        cairo_save(cr);
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        cairo_clip(cr);
        cairo_translate(cr, cx, cy);
        cairo_rotate(cr, tilt);
        rand_seed(3190);
        for (int i = 0; i < 14; i++) {
            double by = -r + (i + 0.5) * (2 * r / 14) + (frand() - 0.5) * 8;
            cairo_save(cr);
            cairo_scale(cr, 1, 0.22 + frand() * 0.2);
            cairo_arc(cr, (frand() - 0.5) * 60, by / 0.3, r * (0.9 + frand() * 0.3), 0, 2 * M_PI);
            cairo_restore(cr);
            set_rgb(cr, i % 3 == 0 ? 0xd7eaff : (i % 3 == 1 ? 0x7a5fd0 : 0x2b8fc4),
                    0.05 + frand() * 0.06);
            cairo_fill(cr);
        }
        cairo_restore(cr);
        /* night side */
        p = cairo_pattern_create_radial(cx + r * 0.45, cy - r * 0.5, r * 0.6, cx + r * 0.2,
                                        cy - r * 0.2, r * 1.6);
        stop(p, 0, 0x000000, 0);
        stop(p, 0.4, 0x000000, 0.3);
        stop(p, 0.7, 0x000000, 0.8);
        stop(p, 1, 0x000000, 0.95);
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        /* rim light */
        cairo_set_line_width(cr, 2.5);
        p = cairo_pattern_create_linear(cx - r, cy + r, cx + r, cy - r);
        stop(p, 0, 0x9fd8ff, 0);
        stop(p, 0.6, 0x9fd8ff, 0.4);
        stop(p, 1, 0xeaf8ff, 0.95);
        cairo_set_source(cr, p);
        cairo_arc(cr, cx, cy, r - 1.2, 0, 2 * M_PI);
        cairo_stroke(cr);
        cairo_pattern_destroy(p);
    }
    /* front half of the ring */
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, tilt);
    cairo_rectangle(cr, -400, 0, 800, 200);
    cairo_clip(cr);
    for (int i = 0; i < 5; i++) {
        double k = 1 - i * 0.07;
        cairo_save(cr);
        cairo_scale(cr, ring_rx * k, ring_ry * k);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        set_rgb(cr, i % 2 ? COL_GOLD : COL_GOLD_PALE, 0.85 - i * 0.1);
        cairo_set_line_width(cr, i == 0 ? 2.2 : 3.5);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

static void make_login_background(void) {
    cairo_surface_t *s = new_surface(LOGIN_W, LOGIN_H);
    cairo_t *cr = cairo_create(s);

    /* soft shadow around the panel: the partly transparent outline */
    cairo_surface_t *sh = new_surface(LOGIN_W, LOGIN_H);
    cairo_t *sc = cairo_create(sh);
    panel_path(sc, -2);
    set_rgb(sc, 0x000000, 0.75);
    cairo_fill(sc);
    cairo_arc(sc, PLANET_X, PLANET_Y, PLANET_R + 4, 0, 2 * M_PI);
    cairo_fill(sc);
    cairo_destroy(sc);
    blur_surface(sh, 6);
    cairo_set_source_surface(cr, sh, 0, 4);
    cairo_paint(cr);
    cairo_surface_destroy(sh);
    /* cool outer glow of the planet's atmosphere */
    cairo_surface_t *gl = new_surface(LOGIN_W, LOGIN_H);
    sc = cairo_create(gl);
    cairo_arc(sc, PLANET_X, PLANET_Y, PLANET_R + 3, 0, 2 * M_PI);
    set_rgb(sc, 0x6fc8ff, 0.9);
    cairo_fill(sc);
    cairo_destroy(sc);
    blur_surface(gl, 7);
    cairo_set_source_surface(cr, gl, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(gl);

    /* the panel's sky */
    cairo_save(cr);
    panel_path(cr, 0);
    cairo_clip(cr);
    space_backdrop(cr, PNL_X0, PNL_Y0, PNL_X1 - PNL_X0, PNL_Y1 - PNL_Y0, 319, 1.0);
    /* the galactic band across the sky, lower left to upper right */
    cairo_save(cr);
    cairo_translate(cr, 700, 430);
    cairo_rotate(cr, -0.42);
    nebula_blob(cr, 0, 0, 820, 90, 0x6a7fd0, 0.28);
    nebula_blob(cr, -200, 10, 420, 50, 0xd0b0ff, 0.18);
    nebula_blob(cr, 260, -8, 380, 40, COL_NEBULA_TEAL, 0.18);
    nebula_blob(cr, -420, 0, 260, 60, COL_NEBULA_MAGENTA, 0.2);
    rand_seed(4242);
    for (int i = 0; i < 900; i++) {
        double x = (frand() - 0.5) * 1700, y = (frand() + frand() + frand() - 1.5) * 70;
        set_rgb(cr, frand() < 0.2 ? COL_GOLD_PALE : COL_STAR, 0.15 + frand() * 0.55);
        cairo_arc(cr, x, y, 0.4 + frand() * 0.8, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    nebula_blob(cr, 260, 470, 300, 170, COL_NEBULA_VIOLET, 0.3);
    nebula_blob(cr, 1300, 300, 200, 260, COL_NEBULA_BLUE, 0.2);
    rand_seed(9);
    for (int i = 0; i < 12; i++)
        sparkle(cr, PNL_X0 + 20 + frand() * (PNL_X1 - PNL_X0 - 40),
                PNL_Y0 + 20 + frand() * 560, 4 + frand() * 7, 0.6 + frand() * 0.4);

    /* three mountain ranges fading into mist, a pagoda on a right-hand peak */
    static const struct {
        double base, amp, seed;
        uint32_t top, bottom;
    } ranges[3] = {
        {690, 80, 0.37, 0x2a3a7e, 0x111a48},
        {742, 62, 0.71, 0x18245c, 0x0a1034},
        {790, 44, 0.13, 0x0c1230, 0x03050f},
    };
    for (int r = 0; r < 3; r++) {
        cairo_move_to(cr, PNL_X0, PNL_Y1);
        for (int x = PNL_X0; x <= PNL_X1; x += 2)
            cairo_line_to(cr, x, ridge(x, ranges[r].base, ranges[r].amp, ranges[r].seed, r == 2));
        cairo_line_to(cr, PNL_X1, PNL_Y1);
        cairo_close_path(cr);
        cairo_pattern_t *p = cairo_pattern_create_linear(0, ranges[r].base - ranges[r].amp, 0,
                                                         ranges[r].base + 40);
        stop(p, 0, ranges[r].top, 1);
        stop(p, 1, ranges[r].bottom, 1);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        /* rim light on the ridges, strongest on the nearest */
        for (int x = PNL_X0; x <= PNL_X1; x += 2) {
            double y = ridge(x, ranges[r].base, ranges[r].amp, ranges[r].seed, r == 2);
            if (x == PNL_X0)
                cairo_move_to(cr, x, y + 0.6);
            else
                cairo_line_to(cr, x, y + 0.6);
        }
        set_rgb(cr, r == 2 ? COL_GOLD_LIGHT : 0x9fb8ff, r == 2 ? 0.6 : 0.18 + r * 0.1);
        cairo_set_line_width(cr, r == 2 ? 1.2 : 1);
        cairo_stroke(cr);
        if (r < 2) { /* mist in front of this range */
            rand_seed(700 + r);
            for (int i = 0; i < 9; i++)
                nebula_blob(cr, PNL_X0 + frand() * (PNL_X1 - PNL_X0), ranges[r].base + 16,
                            140 + frand() * 160, 16 + frand() * 10, 0x9fb4f0, 0.12);
        }
    }
    double peak_y = ridge(PAGODA_X, ranges[2].base, ranges[2].amp, ranges[2].seed, 1);
    pagoda(cr, PAGODA_X, peak_y + 6, 34);
    set_rgb(cr, 0x03050f, 1);
    cairo_fill(cr);
    for (int t = 0; t < 4; t++)
        glow_dot(cr, PAGODA_X, peak_y - 6 - t * 18.4, 5, COL_GOLD_LIGHT, 0.85);

    cairo_pattern_t *p;
    /* bottom band for the health advice and the version text */
    p = cairo_pattern_create_linear(0, 782, 0, PNL_Y1);
    stop(p, 0, 0x000000, 0);
    stop(p, 1, 0x000000, 0.7);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, PNL_X0, 782, PNL_X1 - PNL_X0, PNL_Y1 - 782);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_restore(cr);

    /* panel frame: dark edge, gold line, inner hairline */
    panel_path(cr, 0.5);
    set_rgb(cr, COL_GOLD_DEEP, 1);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    panel_path(cr, 2);
    cairo_pattern_t *fg = cairo_pattern_create_linear(PNL_X0, PNL_Y0, PNL_X1, PNL_Y1);
    stop(fg, 0, COL_GOLD_PALE, 1);
    stop(fg, 0.3, COL_GOLD, 1);
    stop(fg, 0.6, COL_GOLD_LIGHT, 1);
    stop(fg, 1, COL_GOLD_DARK, 1);
    cairo_set_source(cr, fg);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    panel_path(cr, 7.5);
    set_rgb(cr, COL_GOLD, 0.35);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_pattern_destroy(fg);

    /* the planet sits in front of the frame and breaks out of its top edge */
    draw_planet(cr);

    /* corner ornaments */
    /* (none at the lower right, where the version text goes, nor at the
     * upper left, behind the planet) */
    static const double corners[2][4] = {{PNL_X1, PNL_Y0, -1, 1}, {PNL_X0, PNL_Y1, 1, -1}};
    for (int i = 0; i < 2; i++) {
        double x = corners[i][0], y = corners[i][1], dx = corners[i][2], dy = corners[i][3];
        double cut = PNL_CUT;
        set_rgb(cr, COL_GOLD_LIGHT, 1);
        cairo_set_line_width(cr, 2);
        cairo_move_to(cr, x + dx * 12, y + dy * (cut + 22));
        cairo_line_to(cr, x + dx * 12, y + dy * (cut + 4));
        cairo_line_to(cr, x + dx * (cut + 4), y + dy * 12);
        cairo_line_to(cr, x + dx * (cut + 22), y + dy * 12);
        cairo_stroke(cr);
        diamond_path(cr, x + dx * (cut + 28), y + dy * 12, 4, 3);
        diamond_path(cr, x + dx * 12, y + dy * (cut + 28), 3, 4);
        cairo_fill(cr);
    }

    /* crest on the top edge, above the pop-up */
    {
        const double cx = POP_X + POPUP_W / 2.0, y0 = 50, y1 = 98, hw = 112;
        cairo_surface_t *cg = new_surface(LOGIN_W, LOGIN_H);
        cairo_t *gc = cairo_create(cg);
        chamfer_rect(gc, cx - hw, y0, cx + hw, y1, 14);
        set_rgb(gc, COL_GOLD, 0.8);
        cairo_fill(gc);
        cairo_destroy(gc);
        blur_surface(cg, 5);
        cairo_set_source_surface(cr, cg, 0, 0);
        cairo_paint_with_alpha(cr, 0.5);
        cairo_surface_destroy(cg);
        chamfer_rect(cr, cx - hw, y0, cx + hw, y1, 14);
        p = cairo_pattern_create_linear(0, y0, 0, y1);
        stop(p, 0, 0x2a3f7c, 1);
        stop(p, 1, 0x0c1431, 1);
        cairo_set_source(cr, p);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(p);
        set_rgb(cr, COL_GOLD_LIGHT, 1);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        chamfer_rect(cr, cx - hw + 5, y0 + 5, cx + hw - 5, y1 - 5, 10);
        set_rgb(cr, COL_GOLD, 0.45);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        for (int side = -1; side <= 1; side += 2) {
            diamond_path(cr, cx + side * (hw + 10), (y0 + y1) / 2, 6, 6);
            set_rgb(cr, COL_GOLD_LIGHT, 1);
            cairo_fill(cr);
            p = cairo_pattern_create_linear(cx + side * (hw + 16), 0, cx + side * (hw + 150), 0);
            stop(p, 0, COL_GOLD_LIGHT, 0.9);
            stop(p, 1, COL_GOLD_LIGHT, 0);
            cairo_set_source(cr, p);
            cairo_rectangle(cr, side < 0 ? cx - hw - 150 : cx + hw + 16, (y0 + y1) / 2 - 0.5, 134,
                            1);
            cairo_fill(cr);
            cairo_pattern_destroy(p);
        }
        text_path(cr, LBL_LAUNCHER, 24, 1, 6, cx + 3, (y0 + y1) / 2, AL_CENTER);
        set_rgb(cr, 0x02040c, 0.95);
        cairo_set_line_width(cr, 3);
        cairo_stroke_preserve(cr);
        p = cairo_pattern_create_linear(0, y0 + 10, 0, y1 - 10);
        stop(p, 0, COL_GOLD_PALE, 1);
        stop(p, 0.5, COL_GOLD_LIGHT, 1);
        stop(p, 1, COL_GOLD, 1);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }

    /* the pop-up's bed: shadow and gold frame following its outline */
    {
        cairo_surface_t *ps = new_surface(LOGIN_W, LOGIN_H);
        cairo_t *pc = cairo_create(ps);
        popup_outline(pc, POP_X, POP_Y, 4);
        set_rgb(pc, 0x000000, 0.9);
        cairo_fill(pc);
        cairo_destroy(pc);
        blur_surface(ps, 8);
        cairo_set_source_surface(cr, ps, 0, 3);
        cairo_paint(cr);
        cairo_surface_destroy(ps);
        /* the strip right of the page shows through the pop-up: an ornament there */
        const double rx0 = POP_X + POPUP_PAGE_R, rx1 = POP_X + POPUP_W;
        const double ry0 = POP_Y + POPUP_HEADER, ry1 = POP_Y + POPUP_H;
        double mx = (rx0 + rx1) / 2;
        p = cairo_pattern_create_linear(0, ry0, 0, ry1);
        stop(p, 0, COL_GOLD_LIGHT, 0.9);
        stop(p, 1, COL_GOLD, 0.1);
        cairo_set_source(cr, p);
        cairo_rectangle(cr, mx - 0.5, ry0 + 28, 1, ry1 - ry0 - 40);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        for (int i = 0; i < 3; i++) {
            diamond_path(cr, mx, ry0 + 18 + i * 10, 4 - i, 4 - i);
            set_rgb(cr, COL_GOLD_LIGHT, 1 - i * 0.25);
            cairo_fill(cr);
        }
        /* vertical game name on the rail */
        for (int i = 0; LBL_GAME[0] && i < 2; i++) {
            char ch[8] = {0};
            /* one CJK character is three bytes in UTF-8 */
            memcpy(ch, LBL_GAME + i * 3, 3);
            draw_text(cr, ch, 18, 1, 0, mx, ry0 + 170 + i * 26, AL_CENTER, COL_GOLD_LIGHT, 0.55);
        }
        sparkle(cr, mx, ry1 - 40, 7, 0.8);
        popup_outline(cr, POP_X, POP_Y, 2.5);
        set_rgb(cr, COL_GOLD_LIGHT, 1);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
        popup_outline(cr, POP_X, POP_Y, 6.5);
        set_rgb(cr, COL_GOLD, 0.4);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        /* the pop-up's own rectangle, drawn darkly in case the pop-up lags
         * behind a drag */
        popup_outline(cr, POP_X, POP_Y, 0);
        set_rgb(cr, COL_SPACE_DEEP, 1);
        cairo_fill(cr);
    }

    /* the game's name, large, under the planet */
    {
        const double cx = 268, cy = 412;
        cairo_surface_t *lg = new_surface(LOGIN_W, LOGIN_H);
        cairo_t *lc = cairo_create(lg);
        text_path(lc, LBL_GAME, 128, 1, 14, cx + 7, cy, AL_CENTER);
        set_rgb(lc, COL_GOLD, 1);
        cairo_set_line_width(lc, 10);
        cairo_stroke_preserve(lc);
        cairo_fill(lc);
        cairo_destroy(lc);
        blur_surface(lg, 10);
        cairo_set_source_surface(cr, lg, 0, 0);
        cairo_paint_with_alpha(cr, 0.55);
        cairo_surface_destroy(lg);

        text_path(cr, LBL_GAME, 128, 1, 14, cx + 7, cy + 4, AL_CENTER);
        set_rgb(cr, 0x000000, 0.8);
        cairo_fill(cr);
        text_path(cr, LBL_GAME, 128, 1, 14, cx + 7, cy, AL_CENTER);
        set_rgb(cr, COL_GOLD_DEEP, 1);
        cairo_set_line_width(cr, 6);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
        p = cairo_pattern_create_linear(0, cy - 62, 0, cy + 62);
        stop(p, 0, 0xffffff, 1);
        stop(p, 0.3, COL_GOLD_PALE, 1);
        stop(p, 0.52, COL_GOLD_LIGHT, 1);
        stop(p, 0.56, COL_GOLD, 1);
        stop(p, 1, COL_GOLD_DARK, 1);
        cairo_set_source(cr, p);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(p);
        set_rgb(cr, 0xfff8e0, 0.7);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        sparkle(cr, cx + 132, cy - 58, 14, 1);
        sparkle(cr, cx - 122, cy + 50, 8, 0.8);

        /* Latin name between two rules, then the slogan */
        draw_text(cr, LBL_LATIN, 18, 1, 6, cx, cy + 92, AL_CENTER, COL_GOLD_LIGHT, 0.95);
        double lw = text_width(cr, LBL_LATIN, 18, 1, 6);
        for (int side = -1; side <= 1; side += 2) {
            double x0 = cx + side * (lw / 2 + 14), x1 = cx + side * (lw / 2 + 110);
            p = cairo_pattern_create_linear(x0, 0, x1, 0);
            stop(p, 0, COL_GOLD_LIGHT, 0.9);
            stop(p, 1, COL_GOLD_LIGHT, 0);
            cairo_set_source(cr, p);
            cairo_rectangle(cr, side < 0 ? x1 : x0, cy + 91.5, fabs(x1 - x0), 1);
            cairo_fill(cr);
            cairo_pattern_destroy(p);
            diamond_path(cr, x0 + side * 2, cy + 92, 3, 3);
            set_rgb(cr, COL_GOLD_LIGHT, 1);
            cairo_fill(cr);
        }
        draw_text(cr, LBL_SLOGAN, 20, 0, 4, cx + 1, cy + 132 + 1.5, AL_CENTER, 0x000000, 0.7);
        draw_text(cr, LBL_SLOGAN, 20, 0, 4, cx, cy + 132, AL_CENTER, COL_GOLD_PALE, 0.95);
    }

    /* bottom line: platform, health advice, version plaque */
    draw_text(cr, LBL_PLATFORM, 12, 0, 1, PNL_X0 + 56, 818, AL_LEFT, COL_GOLD, 0.8);
    draw_text(cr, LBL_HEALTH_ADVICE, 12, 0, 0, POP_X + POPUP_W / 2.0, 818, AL_CENTER,
              COL_GOLD_PALE, 0.62);
    /* the program paints its version text at (w-60, h-33) in 10 px type */
    chamfer_rect(cr, LOGIN_W - 66.5, LOGIN_H - 37.5, LOGIN_W - 14.5, LOGIN_H - 17.5, 4);
    set_rgb(cr, 0x000000, 0.55);
    cairo_fill_preserve(cr);
    set_rgb(cr, COL_GOLD_DARK, 0.8);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    cairo_destroy(cr);
    clear_faint_alpha(s, 6);
    save_png(s, 319, "login-background");
    cairo_surface_destroy(s);
}

/* ======================================================================
 * Icons
 * ==================================================================== */
static void make_icons(void) {
    static const int sizes[3] = {16, 32, 48};
    cairo_surface_t *imgs[3];
    for (int i = 0; i < 3; i++) imgs[i] = emblem_icon(sizes[i], 0, 0);
    save_ico("180-app.ico", imgs, 3);
    for (int i = 0; i < 3; i++) cairo_surface_destroy(imgs[i]);
    for (int i = 0; i < 3; i++) imgs[i] = emblem_icon(sizes[i], 1, 0);
    save_ico("273-tray.ico", imgs, 3);
    for (int i = 0; i < 3; i++) cairo_surface_destroy(imgs[i]);

    /* the uninstall icon: one 16x16 32-bit image, 1150 bytes in all */
    imgs[0] = emblem_icon(16, 0, 1);
    save_ico("uninstall.ico", imgs, 1);
    cairo_surface_destroy(imgs[0]);
}

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s <images-dir> <icons-dir>\n", argv[0]);
        return 2;
    }
    g_img_dir = argv[1];
    g_ico_dir = argv[2];
    make_login_background();
    make_popup_background();
    make_popup_buttons();
    make_title_bar();
    make_title_buttons();
    make_message_box();
    make_overlay();
    make_icons();
    return 0;
}
