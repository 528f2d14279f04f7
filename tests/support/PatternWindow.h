#pragma once
// A borderless topmost window that shows a known picture at a known place on the
// screen, so that what the capture code reads back can be compared pixel by pixel.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mirulo::capture::fixture {

// 0xRRGGBB.
using Rgb = std::uint32_t;
constexpr Rgb kWhite = 0xFFFFFF;

// A pattern in which neighbouring pixels, rows and columns all differ, so a
// shift by one pixel, swapped channels or flipped rows show up.
Rgb PatternColour(int x, int y);

// The pixel at (x, y) of 32-bit BGRX rows.
inline Rgb PixelAt(const std::uint8_t* bits, std::size_t stride, int x, int y) {
    const std::uint8_t* p = bits + stride * static_cast<std::size_t>(y) + static_cast<std::size_t>(x) * 4;
    return (Rgb{p[2]} << 16) | (Rgb{p[1]} << 8) | Rgb{p[0]};
}

class PatternWindow {
public:
    // Shows the pattern with its top-left corner at (left, top) in screen coordinates.
    PatternWindow(int left, int top, int width, int height);
    PatternWindow(const PatternWindow&) = delete;
    PatternWindow& operator=(const PatternWindow&) = delete;
    ~PatternWindow();

    HWND hwnd() const { return hwnd_; }
    // Where the window really is, in screen coordinates.
    RECT rect() const;

private:
    HWND hwnd_ = nullptr;
};

} // namespace mirulo::capture::fixture
