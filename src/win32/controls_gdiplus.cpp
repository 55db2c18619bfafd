#include "win32/controls_gdiplus.h"

#include <cstring>
#include <map>
#include <new>

#include "win32/wide.h"

namespace xh::win32 {

namespace {

// The resource's bytes; nothing when it is missing, empty or cannot be loaded or locked.
bool FindPng(unsigned id, const void** bytes, DWORD* size) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (!info) return false;
    *size = ::SizeofResource(module, info);
    if (*size == 0) return false;
    HGLOBAL loaded = ::LoadResource(module, info);
    if (!loaded) return false;
    *bytes = ::LockResource(loaded);
    return *bytes != nullptr;
}

}  // namespace

Gdiplus::Image* LoadPngImage(unsigned id) {
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!FindPng(id, &bytes, &size)) return nullptr;
    HGLOBAL memory = ::GlobalAlloc(GMEM_FIXED, size);
    if (!memory) return nullptr;
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory, FALSE, &stream))) {
        ::GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(reinterpret_cast<void*>(memory), bytes, size);
    // GDI+ objects come from GdipAlloc, whose operator new answers null when out of memory.
    auto* image = new Gdiplus::Image(stream);
    if (!image) {
        stream->Release();
        ::GlobalFree(memory);
        return nullptr;
    }
    // The image reads from the stream and its memory for as long as it lives: both stay.
    return image;
}

bool CGdiPlusBitmapResource::Load(unsigned id) {
    Empty();
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!FindPng(id, &bytes, &size)) return false;
    m_hBuffer = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!m_hBuffer) return false;
    if (void* block = ::GlobalLock(m_hBuffer)) {
        std::memcpy(block, bytes, size);
        IStream* stream = nullptr;
        if (SUCCEEDED(::CreateStreamOnHGlobal(m_hBuffer, FALSE, &stream))) {
            m_pBitmap.reset(Gdiplus::Bitmap::FromStream(stream));
            stream->Release();
            if (m_pBitmap && m_pBitmap->GetLastStatus() == Gdiplus::Ok) return true;
        }
        m_pBitmap.reset();
        ::GlobalUnlock(m_hBuffer);
    }
    ::GlobalFree(m_hBuffer);
    m_hBuffer = nullptr;
    return false;
}

void CGdiPlusBitmapResource::Empty() {
    m_pBitmap.reset();
    if (m_hBuffer) {
        ::GlobalUnlock(m_hBuffer);
        ::GlobalFree(m_hBuffer);
        m_hBuffer = nullptr;
    }
}

void MemoryCanvas::Create(HDC compatibleWith, int width, int height) {
    Reset();
    m_dc = ::CreateCompatibleDC(compatibleWith);
    m_bitmap = ::CreateCompatibleBitmap(compatibleWith, width, height);
    if (m_dc && m_bitmap) m_previous = ::SelectObject(m_dc, m_bitmap);
}

void MemoryCanvas::Reset() {
    if (m_dc && m_previous) ::SelectObject(m_dc, m_previous);
    if (m_bitmap) ::DeleteObject(m_bitmap);
    if (m_dc) ::DeleteDC(m_dc);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_previous = nullptr;
}

CMyMemDC::CMyMemDC(HDC target, const RECT& rect)
    : m_pDC(target), m_bMemDC(::GetDeviceCaps(target, TECHNOLOGY) != DT_RASPRINTER) {
    m_rect = rect;
    if (!m_bMemDC) return;
    m_dc = ::CreateCompatibleDC(target);
    if (rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0) ::GetClipBox(target, &m_rect);
    m_bitmap = ::CreateCompatibleBitmap(target, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top);
    m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
    ::SetWindowOrgEx(m_dc, m_rect.left, m_rect.top, nullptr);
}

CMyMemDC::~CMyMemDC() {
    if (!m_bMemDC) return;
    ::BitBlt(m_pDC, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_dc,
             m_rect.left, m_rect.top, SRCCOPY);
    ::SelectObject(m_dc, m_oldBitmap);
    if (m_bitmap) ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

void DrawPicture(Gdiplus::Graphics& g, Gdiplus::Image* picture, int x, int y) {
    if (!picture) return;
    g.DrawImage(picture, x, y, static_cast<INT>(picture->GetWidth()), static_cast<INT>(picture->GetHeight()));
}

const Gdiplus::FontFamily* FindFontFamily(const std::string& family) {
    // Looking a family up goes through the installed fonts, which takes long under Wine;
    // each name is resolved once. The families live as long as the process (and GDI+),
    // like the pictures, so none is deleted after GDI+ has shut down.
    static std::map<std::string, const Gdiplus::FontFamily*> resolved;
    if (const auto it = resolved.find(family); it != resolved.end()) return it->second;
    // Where the family is missing (Wine has neither 微软雅黑 nor arial), a CJK sans comes
    // before the generic family, whose fonts may have no Chinese glyphs at all.
    const Gdiplus::FontFamily* found = nullptr;
    for (const std::wstring& name : {Widen(family), std::wstring(L"Microsoft YaHei"), std::wstring(L"WenQuanYi Micro Hei")}) {
        auto* made = new Gdiplus::FontFamily(name.c_str());
        if (made->GetLastStatus() == Gdiplus::Ok) {
            found = made;
            break;
        }
        delete made;
    }
    if (!found) found = Gdiplus::FontFamily::GenericSansSerif();
    resolved.emplace(family, found);
    return found;
}

std::unique_ptr<Gdiplus::FontFamily> MakeFontFamily(const std::string& family) {
    return std::unique_ptr<Gdiplus::FontFamily>(FindFontFamily(family)->Clone());
}

void DrawLayoutText(Gdiplus::Graphics& g, const std::string& text, const TextStyle& style, const LayoutRect& rect) {
    Gdiplus::Font font(FindFontFamily(style.font.family), static_cast<Gdiplus::REAL>(style.font.pixelSize),
                       style.font.bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    Gdiplus::SolidBrush brush(Gdiplus::Color(style.colour));
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetTrimming(style.trimming == TextTrimming::EllipsisWord ? Gdiplus::StringTrimmingEllipsisWord
                                                                    : Gdiplus::StringTrimmingEllipsisCharacter);
    const std::wstring wide = Widen(text);
    g.DrawString(wide.c_str(), -1, &font, Gdiplus::RectF(rect.x, rect.y, rect.width, rect.height), &format, &brush);
}

}  // namespace xh::win32
