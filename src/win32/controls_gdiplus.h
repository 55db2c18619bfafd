#pragma once
// Pictures from the program's resources with GDI+, off-screen drawing and the drawing
// conventions of the skinned windows.
#include "win32/windows_api.h"

#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <string>

#include "controls/control_types.h"

namespace xh::win32 {

// PNG resource `id` of the program as a GDI+ image; null when missing, empty or out of
// memory. The image, its stream and memory stay for the life of the process.
Gdiplus::Image* LoadPngImage(unsigned id);

// One GDI+ bitmap, owned.
class CGdiPlusBitmap {
public:
    CGdiPlusBitmap() = default;
    virtual ~CGdiPlusBitmap() = default;
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

    Gdiplus::Bitmap* Get() const { return m_pBitmap.get(); }
    explicit operator bool() const { return m_pBitmap != nullptr; }

protected:
    std::unique_ptr<Gdiplus::Bitmap> m_pBitmap;
};

// A PNG resource of the program; the memory block GDI+ reads from lives as long as the bitmap.
class CGdiPlusBitmapResource final : public CGdiPlusBitmap {
public:
    ~CGdiPlusBitmapResource() override { Empty(); }
    // Replaces whatever was held; true when the bitmap is ready.
    bool Load(unsigned id);
    // Deletes the bitmap and frees the block; the holder can be loaded again.
    void Empty();

private:
    HGLOBAL m_hBuffer = nullptr;
};

// A memory device context with a bitmap selected into it, both released at the end.
class MemoryCanvas {
public:
    MemoryCanvas() = default;
    MemoryCanvas(HDC compatibleWith, int width, int height) { Create(compatibleWith, width, height); }
    ~MemoryCanvas() { Reset(); }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    void Create(HDC compatibleWith, int width, int height);
    void Reset();
    HDC dc() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
};

// Off-screen drawing over a rectangle of a target: drawing goes to dc() in the target's
// coordinates; destruction copies the rectangle to the same place of the target in one
// block transfer. An all-zero rectangle means the target's clip box. Printer contexts are
// drawn into directly.
class CMyMemDC {
public:
    CMyMemDC(HDC target, const RECT& rect);
    ~CMyMemDC();
    CMyMemDC(const CMyMemDC&) = delete;
    CMyMemDC& operator=(const CMyMemDC&) = delete;

    HDC dc() const { return m_bMemDC ? m_dc : m_pDC; }
    const RECT& Rect() const { return m_rect; }

private:
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    HDC m_pDC;
    RECT m_rect{};
    bool m_bMemDC;
    HDC m_dc = nullptr;
};

// A picture at its own size at an integer position, with its alpha.
void DrawPicture(Gdiplus::Graphics& g, Gdiplus::Image* picture, int x, int y);

// Text centred at the top of its layout rectangle, wrapped at words, trimmed as the style
// says; the font falls back to the generic sans-serif family when its family is missing.
void DrawLayoutText(Gdiplus::Graphics& g, const std::string& text, const TextStyle& style, const LayoutRect& rect);

// The family; when it is not installed a CJK sans, or else the generic sans-serif family.
// Kept for the life of the process.
const Gdiplus::FontFamily* FindFontFamily(const std::string& family);
// A copy of FindFontFamily's family, owned by the caller.
std::unique_ptr<Gdiplus::FontFamily> MakeFontFamily(const std::string& family);

}  // namespace xh::win32
