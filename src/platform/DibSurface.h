#pragma once
// A 32-bit top-down DIB section selected into a memory DC of its own: GDI can
// draw and blit into it, and its pixels can be read in place (BGRX, rows of
// width * 4 bytes, no padding), so a desktop-sized picture is never copied just
// to look at it.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "platform/Handles.h"

namespace mirulo::platform {

class DibSurface {
public:
    // No pixels, no DC: width and height 0.
    DibSurface() noexcept = default;
    // Throws UserError when the system cannot provide the memory
    // (width and height must be positive).
    static DibSurface Create(int width, int height);

    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
    DibSurface(DibSurface&& other) noexcept;
    DibSurface& operator=(DibSurface&& other) noexcept;
    ~DibSurface() { Reset(); }

    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }
    bool empty() const noexcept { return width_ == 0 || height_ == 0; }
    std::size_t stride() const noexcept { return static_cast<std::size_t>(width_) * 4; }
    // Call ::GdiFlush() before reading or writing these after GDI drew into the DC.
    std::uint8_t* bits() const noexcept { return bits_; }
    HDC dc() const noexcept { return dc_.get(); }
    HBITMAP bitmap() const noexcept { return bitmap_.get(); }

    // The header that describes these pixels to SetDIBits, StretchDIBits and the like.
    static BITMAPINFO Describe(int width, int height) noexcept;

private:
    void Reset() noexcept;

    int width_ = 0;
    int height_ = 0;
    std::uint8_t* bits_ = nullptr;
    UniqueBitmap bitmap_;
    // Deleted before the bitmap: a bitmap still selected into a DC cannot be deleted.
    UniqueMemoryDc dc_;
};

} // namespace mirulo::platform
