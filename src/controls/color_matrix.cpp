#include "controls/color_matrix.h"

#include <algorithm>
#include <cmath>

namespace xh {

Rgba ApplyColorMatrix(const ColorMatrix& m, Rgba pixel) {
    const float in[5] = {pixel.r / 255.0f, pixel.g / 255.0f, pixel.b / 255.0f, pixel.a / 255.0f, 1.0f};
    std::uint8_t out[4];
    for (int column = 0; column < 4; ++column) {
        float sum = 0;
        for (int row = 0; row < 5; ++row) sum += in[row] * m[row][column];
        out[column] = static_cast<std::uint8_t>(std::lround(std::clamp(sum, 0.0f, 1.0f) * 255.0f));
    }
    return {out[0], out[1], out[2], out[3]};
}

void ApplyColorMatrix(const ColorMatrix& m, std::uint8_t* pixels, int width, int height, int stride) {
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = pixels + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x, p += 4) {
            const Rgba c = ApplyColorMatrix(m, Rgba{p[0], p[1], p[2], p[3]});
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = c.a;
        }
    }
}

}  // namespace xh
