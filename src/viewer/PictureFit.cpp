#include "viewer/PictureFit.h"

#include <algorithm>
#include <stdexcept>

namespace mirulo::viewer {

PictureFit FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0) {
        return {};
    }
    if (pictureWidth <= areaWidth && pictureHeight <= areaHeight) {
        return {false, pictureWidth, pictureHeight};
    }
    if (areaWidth <= 0 || areaHeight <= 0) {
        return {true, 0, 0};
    }
    const std::int64_t w = pictureWidth, h = pictureHeight, aw = areaWidth, ah = areaHeight;
    // Width decides when the picture is relatively wider than the area
    // (w / h >= aw / ah), compared without division.
    if (w * ah >= h * aw) {
        return {true, areaWidth, static_cast<int>(std::max<std::int64_t>(1, h * aw / w))};
    }
    return {true, static_cast<int>(std::max<std::int64_t>(1, w * ah / h)), areaHeight};
}

std::vector<std::uint8_t> RenderBgrx(const image::Image& picture, int width, int height) {
    const std::uint32_t sw = picture.width, sh = picture.height, channels = picture.channels;
    if (width <= 0 || height <= 0 || static_cast<std::uint32_t>(width) > sw ||
        static_cast<std::uint32_t>(height) > sh || (channels != 3 && channels != 4) ||
        picture.pixels.size() != std::size_t{sw} * sh * channels) {
        throw std::invalid_argument("表示する画像の大きさが範囲外です");
    }
    const auto dw = static_cast<std::size_t>(width), dh = static_cast<std::size_t>(height);
    std::vector<std::uint8_t> out(dw * dh * 4);
    if (dw == sw && dh == sh) {
        const std::uint8_t* in = picture.pixels.data();
        for (std::size_t i = 0, n = dw * dh; i < n; ++i, in += channels) {
            out[i * 4] = in[2];
            out[i * 4 + 1] = in[1];
            out[i * 4 + 2] = in[0];
            out[i * 4 + 3] = 255;
        }
        return out;
    }
    // Source columns [columnStart[x], columnStart[x + 1]) make target column x.
    std::vector<std::uint32_t> columnStart(dw + 1);
    for (std::size_t x = 0; x <= dw; ++x) {
        columnStart[x] = static_cast<std::uint32_t>(x * sw / dw);
    }
    std::vector<std::uint64_t> sums(dw * 3);
    for (std::size_t y = 0; y < dh; ++y) {
        const auto rowBegin = static_cast<std::uint32_t>(y * sh / dh);
        const auto rowEnd = static_cast<std::uint32_t>((y + 1) * sh / dh);
        std::fill(sums.begin(), sums.end(), 0);
        for (std::uint32_t sy = rowBegin; sy < rowEnd; ++sy) {
            const std::uint8_t* in = picture.row(sy);
            for (std::size_t x = 0; x < dw; ++x) {
                std::uint64_t r = 0, g = 0, b = 0;
                for (std::uint32_t sx = columnStart[x]; sx < columnStart[x + 1]; ++sx, in += channels) {
                    r += in[0];
                    g += in[1];
                    b += in[2];
                }
                sums[x * 3] += r;
                sums[x * 3 + 1] += g;
                sums[x * 3 + 2] += b;
            }
        }
        std::uint8_t* target = out.data() + y * dw * 4;
        for (std::size_t x = 0; x < dw; ++x, target += 4) {
            const std::uint64_t count =
                std::uint64_t{rowEnd - rowBegin} * (columnStart[x + 1] - columnStart[x]);
            target[0] = static_cast<std::uint8_t>((sums[x * 3 + 2] + count / 2) / count);
            target[1] = static_cast<std::uint8_t>((sums[x * 3 + 1] + count / 2) / count);
            target[2] = static_cast<std::uint8_t>((sums[x * 3] + count / 2) / count);
            target[3] = 255;
        }
    }
    return out;
}

} // namespace mirulo::viewer
