#pragma once
// Geometry, colours and fonts of the skinned controls, in the units their drawing uses.
#include <cstdint>
#include <string>

namespace xh {

// Pixels; x and y are the top-left corner.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    bool operator==(const PixelRect&) const = default;
};

// A text layout rectangle; text is laid out in floating-point pixels.
struct LayoutRect {
    float x = 0, y = 0, width = 0, height = 0;
    bool operator==(const LayoutRect&) const = default;
};

struct PixelSize {
    int width = 0, height = 0;
    bool operator==(const PixelSize&) const = default;
};

// 0xAARRGGBB.
using Argb = std::uint32_t;

// How text that does not fit its rectangle ends.
enum class TextTrimming { EllipsisCharacter, EllipsisWord };

struct FontSpec {
    std::string family;
    int pixelSize = 0;
    bool bold = false;
    bool operator==(const FontSpec&) const = default;
};

// Text drawn centred at the top of its rectangle, wrapped at word boundaries.
struct TextStyle {
    FontSpec font;
    Argb colour = 0;
    TextTrimming trimming = TextTrimming::EllipsisCharacter;
    bool operator==(const TextStyle&) const = default;
};

// The results of a modal dialog, as the platform numbers them.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

}  // namespace xh
