#pragma once
// A grey picture with a colour block in each corner (top-left red, top-right
// green, bottom-left blue, bottom-right yellow), so that where the corners land
// shows how a picture was placed, scaled and which way up.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "image/Image.h"

namespace mirulo::testkit {

// The blocks are 1/`blockDivisor` of the shorter side (at least one pixel).
inline image::Image CornerPicture(int width, int height, std::uint8_t grey, int blockDivisor) {
    using Rgb = std::array<std::uint8_t, 3>;
    image::Image picture;
    picture.width = static_cast<std::uint32_t>(width);
    picture.height = static_cast<std::uint32_t>(height);
    picture.pixels.assign(picture.stride() * picture.height, grey);
    const auto paint = [&](int x, int y, Rgb colour) {
        std::memcpy(picture.row(static_cast<std::uint32_t>(y)) + static_cast<std::size_t>(x) * 3,
                    colour.data(), 3);
    };
    const int block = std::max(1, std::min(width, height) / blockDivisor);
    for (int y = 0; y < block; ++y) {
        for (int x = 0; x < block; ++x) {
            paint(x, y, {255, 0, 0});
            paint(width - 1 - x, y, {0, 255, 0});
            paint(x, height - 1 - y, {0, 0, 255});
            paint(width - 1 - x, height - 1 - y, {255, 255, 0});
        }
    }
    return picture;
}

} // namespace mirulo::testkit
