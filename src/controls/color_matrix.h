#pragma once
// 5 x 5 colour matrices over straight (not premultiplied) RGBA pixels.
#include <array>
#include <cstdint>

namespace xh {

// Rows are the inputs R, G, B, A and the constant 1; columns the outputs R, G, B, A, (unused).
using ColorMatrix = std::array<std::array<float, 5>, 5>;

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};

// The hover look of an image button: each colour c becomes 1.05 c + 0.05, alpha stays.
inline constexpr ColorMatrix kHoverMatrix{{
    {1.05f, 0, 0, 0, 0},
    {0, 1.05f, 0, 0, 0},
    {0, 0, 1.05f, 0, 0},
    {0, 0, 0, 1, 0},
    {0.05f, 0.05f, 0.05f, 0, 1},
}};

// Components are taken as 0..1; results are clamped to that range and rounded to 8 bits.
Rgba ApplyColorMatrix(const ColorMatrix& m, Rgba pixel);

// The same over a buffer of straight RGBA bytes (4 per pixel, rows `stride` bytes apart).
void ApplyColorMatrix(const ColorMatrix& m, std::uint8_t* pixels, int width, int height, int stride);

}  // namespace xh
