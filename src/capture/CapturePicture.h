#pragma once
// The area of a desktop snapshot that a capture saves: 32 bits per pixel, as
// large as the cut rectangle.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <utility>

#include "capture/DesktopSnapshot.h"
#include "capture/DibSurface.h"
#include "image/Image.h"
#include "image/PngWriter.h"

namespace mirulo::capture {

class CapturePicture {
public:
    // Empty: width and height 0.
    CapturePicture() noexcept = default;
    explicit CapturePicture(DibSurface pixels) noexcept : pixels_(std::move(pixels)) {}

    CapturePicture(const CapturePicture&) = delete;
    CapturePicture& operator=(const CapturePicture&) = delete;
    CapturePicture(CapturePicture&&) noexcept = default;
    CapturePicture& operator=(CapturePicture&&) noexcept = default;

    int width() const noexcept { return pixels_.width(); }
    int height() const noexcept { return pixels_.height(); }
    // Nothing to save: a cut of zero (or negative) width or height.
    bool empty() const noexcept { return pixels_.empty(); }
    // BGRX, top-down, stride() bytes a row; nullptr when empty.
    const std::uint8_t* bits() const noexcept { return pixels_.bits(); }
    std::size_t stride() const noexcept { return pixels_.stride(); }
    HDC dc() const noexcept { return pixels_.dc(); }
    HBITMAP bitmap() const noexcept { return pixels_.bitmap(); }

private:
    DibSurface pixels_;
};

// The rectangle (left, top, width, height) of the snapshot, in snapshot
// coordinates. The picture starts out white and receives the part of the
// rectangle that lies on the snapshot (BitBlt, SRCCOPY | CAPTUREBLT), so a
// rectangle reaching beyond the desktop still gives its full size, white
// outside. A width or height of zero or less gives an empty picture.
// Throws platform::UserError when the picture cannot be made or filled.
CapturePicture CutRectangle(const DesktopSnapshot& snapshot, int left, int top, int width, int height);

// The same for a snapshot that is no longer needed: when the rectangle is the
// whole snapshot its pixels become the picture without a copy (a full-screen
// capture of several monitors is hundreds of megabytes); otherwise the cut is
// made as above and the snapshot released.
CapturePicture CutRectangle(DesktopSnapshot&& snapshot, int left, int top, int width, int height);

// The picture's own rows for the PNG writer, which converts them while it
// filters, so no RGB copy of the picture is made. Valid while `picture` lives.
image::PixelRows PngRowsOf(const CapturePicture& picture);

// The picture as 8-bit RGB for the encoders (the unused fourth byte dropped).
// An empty picture gives an empty image (width and height 0).
image::Image ToRgbImage(const CapturePicture& picture);

} // namespace mirulo::capture
