#pragma once
// A still picture of the whole virtual desktop (every monitor), taken at one
// moment. Its pixel (0, 0) is the virtual desktop's top-left corner, so every
// capture range of the program is given in its coordinates, in physical pixels.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <utility>

#include "capture/DibSurface.h"

namespace mirulo::capture {

class DesktopSnapshot {
public:
    // `origin` is where pixel (0, 0) lies in screen coordinates.
    DesktopSnapshot(POINT origin, DibSurface pixels) noexcept : origin_(origin), pixels_(std::move(pixels)) {}

    DesktopSnapshot(const DesktopSnapshot&) = delete;
    DesktopSnapshot& operator=(const DesktopSnapshot&) = delete;
    DesktopSnapshot(DesktopSnapshot&&) noexcept = default;
    DesktopSnapshot& operator=(DesktopSnapshot&&) noexcept = default;

    // Screen coordinates of the virtual desktop's top-left corner: negative when
    // a monitor lies left of or above the primary one. A window that shows the
    // snapshot 1:1 is placed here.
    POINT origin() const noexcept { return origin_; }
    int width() const noexcept { return pixels_.width(); }
    int height() const noexcept { return pixels_.height(); }
    // BGRX, top-down, stride() bytes a row.
    const std::uint8_t* bits() const noexcept { return pixels_.bits(); }
    std::size_t stride() const noexcept { return pixels_.stride(); }
    // A memory DC holding the picture, to blit from (or draw on, for the range picker).
    HDC dc() const noexcept { return pixels_.dc(); }
    HBITMAP bitmap() const noexcept { return pixels_.bitmap(); }

    // Hands the pixels over, leaving the snapshot empty.
    DibSurface TakePixels() && noexcept { return std::move(pixels_); }

private:
    POINT origin_{};
    DibSurface pixels_;
};

// Copies the whole virtual desktop from the screen (BitBlt with SRCCOPY |
// CAPTUREBLT, so layered windows are included). Throws platform::UserError when
// the picture cannot be made or the screen cannot be read.
DesktopSnapshot SnapshotDesktop();

} // namespace mirulo::capture
