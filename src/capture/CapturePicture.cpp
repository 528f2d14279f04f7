#include "capture/CapturePicture.h"

#include <algorithm>
#include <cstring>

#include "platform/SystemError.h"

namespace mirulo::capture {

CapturePicture CutRectangle(const DesktopSnapshot& snapshot, int left, int top, int width, int height) {
    if (width <= 0 || height <= 0) {
        return CapturePicture();
    }
    DibSurface pixels = DibSurface::Create(width, height);

    // The part of the rectangle that lies on the snapshot, in 64 bits so that a
    // far-off stored range cannot overflow. Blitting only this part keeps the
    // rest white whatever the driver does with source pixels outside a bitmap.
    const std::int64_t right = std::int64_t{left} + width;
    const std::int64_t bottom = std::int64_t{top} + height;
    const std::int64_t fromX = std::max<std::int64_t>(left, 0);
    const std::int64_t fromY = std::max<std::int64_t>(top, 0);
    const std::int64_t toX = std::min<std::int64_t>(right, snapshot.width());
    const std::int64_t toY = std::min<std::int64_t>(bottom, snapshot.height());
    const bool overlaps = fromX < toX && fromY < toY;
    const bool coversAll = overlaps && fromX == left && fromY == top && toX == right && toY == bottom;

    if (!coversAll) {
        std::memset(pixels.bits(), 0xFF, pixels.stride() * static_cast<std::size_t>(height));
    }
    if (overlaps) {
        // All four values fit in int: they lie within the snapshot or the picture.
        if (!::BitBlt(pixels.dc(), static_cast<int>(fromX - left), static_cast<int>(fromY - top),
                      static_cast<int>(toX - fromX), static_cast<int>(toY - fromY), snapshot.dc(),
                      static_cast<int>(fromX), static_cast<int>(fromY), SRCCOPY | CAPTUREBLT)) {
            platform::ThrowLastError(L"撮影範囲を切り出せません");
        }
        ::GdiFlush();
    }
    return CapturePicture(std::move(pixels));
}

CapturePicture CutRectangle(DesktopSnapshot&& snapshot, int left, int top, int width, int height) {
    if (left == 0 && top == 0 && width == snapshot.width() && height == snapshot.height() && width > 0 &&
        height > 0) {
        return CapturePicture(std::move(snapshot).TakePixels());
    }
    CapturePicture picture =
        CutRectangle(static_cast<const DesktopSnapshot&>(snapshot), left, top, width, height);
    // The caller gave the snapshot up: free its memory before the picture is encoded.
    DesktopSnapshot released = std::move(snapshot);
    return picture;
}

image::PixelRows PngRowsOf(const CapturePicture& picture) {
    image::PixelRows rows;
    if (picture.empty()) {
        return rows;
    }
    rows.width = static_cast<std::uint32_t>(picture.width());
    rows.height = static_cast<std::uint32_t>(picture.height());
    rows.stride = picture.stride();
    rows.layout = image::PixelLayout::Bgrx;
    rows.first = picture.bits();
    rows.size = picture.stride() * rows.height;
    return rows;
}

image::Image ToRgbImage(const CapturePicture& picture) {
    image::Image rgb;
    if (picture.empty()) {
        return rgb;
    }
    rgb.width = static_cast<std::uint32_t>(picture.width());
    rgb.height = static_cast<std::uint32_t>(picture.height());
    rgb.channels = 3;
    rgb.pixels.resize(rgb.stride() * rgb.height);

    const std::size_t pixelsPerRow = rgb.width;
    for (std::uint32_t y = 0; y < rgb.height; ++y) {
        const std::uint8_t* from = picture.bits() + picture.stride() * y;
        std::uint8_t* to = rgb.row(y);
        for (std::size_t x = 0; x < pixelsPerRow; ++x, from += 4, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
    return rgb;
}

} // namespace mirulo::capture
