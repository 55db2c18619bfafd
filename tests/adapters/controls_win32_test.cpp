#ifdef _WIN32
#include <gtest/gtest.h>

#include "win32/controls_gdiplus.h"

namespace xh::win32 {
namespace {

// GDI+ runs between the application object's start-up and shut-down; here, per test.
class Win32ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&m_token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override {
        if (m_token) Gdiplus::GdiplusShutdown(m_token);
    }
    static bool PicturesLinked() { return ::FindResourceW(nullptr, MAKEINTRESOURCEW(304), L"PNG") != nullptr; }

    ULONG_PTR m_token = 0;
};

TEST_F(Win32ControlsTest, MissingPicturesGiveNothing) {
    EXPECT_EQ(LoadPngImage(9999), nullptr);
    CGdiPlusBitmapResource holder;
    EXPECT_FALSE(holder.Load(9999));
    EXPECT_FALSE(holder);
}

TEST_F(Win32ControlsTest, PictureResourcesLoadAtTheirSize) {
    if (!PicturesLinked()) GTEST_SKIP() << "this program's resources do not include resources/pictures.rc";
    struct Case {
        unsigned id;
        UINT width, height;
    };
    for (const Case& c : {Case{304, 258, 112}, Case{316, 9, 8}, Case{275, 1, 1}, Case{276, 23, 23}, Case{319, 1396, 847}}) {
        Gdiplus::Image* image = LoadPngImage(c.id);
        ASSERT_NE(image, nullptr) << c.id;
        EXPECT_EQ(image->GetWidth(), c.width) << c.id;
        EXPECT_EQ(image->GetHeight(), c.height) << c.id;
    }
    CGdiPlusBitmapResource holder;
    ASSERT_TRUE(holder.Load(304));
    EXPECT_EQ(holder.Get()->GetWidth(), 258u);
    ASSERT_TRUE(holder.Load(316)) << "a second load replaces the first picture";
    EXPECT_EQ(holder.Get()->GetWidth(), 9u);
    holder.Empty();
    EXPECT_FALSE(holder);
}

TEST_F(Win32ControlsTest, MemDcCopiesBackToExactlyItsRectangle) {
    struct Case {
        RECT rect;  // given to CMyMemDC
        RECT clip;  // of the target; all zero: none
        RECT covered;
    };
    const Case cases[] = {
        {{30, 20, 70, 50}, {}, {30, 20, 70, 50}},
        {{0, 0, 0, 0}, {10, 12, 60, 40}, {10, 12, 60, 40}},  // all zero: the clip box
    };
    HDC screen = ::GetDC(nullptr);
    for (const Case& c : cases) {
        MemoryCanvas target(screen, 100, 80);
        ASSERT_TRUE(target);
        HBRUSH red = ::CreateSolidBrush(RGB(255, 0, 0)), blue = ::CreateSolidBrush(RGB(0, 0, 255)),
               green = ::CreateSolidBrush(RGB(0, 255, 0));
        const RECT all{0, 0, 100, 80};
        ::FillRect(target.dc(), &all, red);
        if (c.clip.right > 0) ::IntersectClipRect(target.dc(), c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
        {
            CMyMemDC memory(target.dc(), c.rect);
            const RECT& r = memory.Rect();
            EXPECT_TRUE(::EqualRect(&r, &c.covered));
            // The target's coordinates: the green square sits at the rectangle's corner.
            ::FillRect(memory.dc(), &c.covered, blue);
            const RECT corner{c.covered.left, c.covered.top, c.covered.left + 2, c.covered.top + 2};
            ::FillRect(memory.dc(), &corner, green);
            EXPECT_EQ(::GetPixel(target.dc(), c.covered.left + 5, c.covered.top + 5), RGB(255, 0, 0));
        }
        ::SelectClipRgn(target.dc(), nullptr);
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 100; ++x) {
                const POINT p{x, y};
                const bool inside = ::PtInRect(&c.covered, p);
                const bool corner = inside && x < c.covered.left + 2 && y < c.covered.top + 2;
                const COLORREF expected = corner ? RGB(0, 255, 0) : inside ? RGB(0, 0, 255) : RGB(255, 0, 0);
                ASSERT_EQ(::GetPixel(target.dc(), x, y), expected) << x << "," << y;
            }
        }
        ::DeleteObject(red);
        ::DeleteObject(blue);
        ::DeleteObject(green);
    }
    ::ReleaseDC(nullptr, screen);
}

TEST_F(Win32ControlsTest, MissingFontFamiliesStillGiveAFamily) {
    const Gdiplus::FontFamily* family = FindFontFamily("no such family at all");
    ASSERT_NE(family, nullptr);
    EXPECT_EQ(family->GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(FindFontFamily("no such family at all"), family) << "resolved once";
    Gdiplus::Font font(family, 15, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
    EXPECT_EQ(font.GetLastStatus(), Gdiplus::Ok);
}

}  // namespace
}  // namespace xh::win32
#endif
