#include "ui/TabCanvas.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace mirulo::ui {
namespace {

// DIB sections store blue in the low byte, COLORREF keeps red there.
std::uint32_t ToPixel(COLORREF color) noexcept {
    return (static_cast<std::uint32_t>(GetRValue(color)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(color)) << 8) | static_cast<std::uint32_t>(GetBValue(color));
}

COLORREF FromPixel(std::uint32_t pixel) noexcept {
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

int Mix(int from, int to, int weight, int scale) noexcept {
    // Rounded to the nearest step, symmetric for rising and falling channels.
    const int delta = (to - from) * weight;
    const int rounded = delta >= 0 ? (delta + scale / 2) / scale : -((-delta + scale / 2) / scale);
    return from + rounded;
}

} // namespace

COLORREF BlendColor(COLORREF from, COLORREF to, int weight, int scale) noexcept {
    if (scale <= 0) {
        return from;
    }
    const auto channel = [&](BYTE a, BYTE b) { return static_cast<BYTE>(Mix(a, b, weight, scale)); };
    return RGB(channel(GetRValue(from), GetRValue(to)), channel(GetGValue(from), GetGValue(to)),
               channel(GetBValue(from), GetBValue(to)));
}

void TabCanvas::Resize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == surface_.width() && height == surface_.height()) {
        return;
    }
    surface_ = platform::DibSurface::Create(width, height);
}

std::uint32_t* TabCanvas::Row(int y) const {
    // GDI may still hold text drawing in its batch.
    ::GdiFlush();
    return reinterpret_cast<std::uint32_t*>(surface_.bits() +
                                            static_cast<std::size_t>(y) * surface_.stride());
}

void TabCanvas::FillVertical(const RECT& area, COLORREF top, COLORREF bottom) {
    const int left = std::max<int>(area.left, 0);
    const int right = std::min<int>(area.right, width());
    const int first = std::max<int>(area.top, 0);
    const int last = std::min<int>(area.bottom, height());
    if (left >= right || first >= last) {
        return;
    }
    const int steps = static_cast<int>(area.bottom - area.top) - 1;
    for (int y = first; y < last; ++y) {
        const std::uint32_t pixel = ToPixel(BlendColor(top, bottom, y - static_cast<int>(area.top), steps));
        std::fill(Row(y) + left, Row(y) + right, pixel);
    }
}

void TabCanvas::FillSolid(const RECT& area, COLORREF color) {
    FillVertical(area, color, color);
}

void TabCanvas::SetPixel(int x, int y, COLORREF color) {
    if (x >= 0 && x < width() && y >= 0 && y < height()) {
        Row(y)[x] = ToPixel(color);
    }
}

void TabCanvas::HorizontalLine(int left, int right, int y, COLORREF color) {
    FillSolid(RECT{left, y, right, y + 1}, color);
}

void TabCanvas::VerticalLine(int x, int top, int bottom, COLORREF color) {
    FillSolid(RECT{x, top, x + 1, bottom}, color);
}

void TabCanvas::Frame(const RECT& area, COLORREF color) {
    HorizontalLine(area.left, area.right, area.top, color);
    HorizontalLine(area.left, area.right, area.bottom - 1, color);
    VerticalLine(area.left, area.top, area.bottom, color);
    VerticalLine(area.right - 1, area.top, area.bottom, color);
}

COLORREF TabCanvas::Pixel(int x, int y) const {
    if (x < 0 || x >= width() || y < 0 || y >= height()) {
        return CLR_INVALID;
    }
    return FromPixel(Row(y)[x]);
}

void TabCanvas::CopyFrom(const TabCanvas& source) {
    Resize(source.width(), source.height());
    ::GdiFlush();
    std::memcpy(surface_.bits(), source.surface_.bits(),
                surface_.stride() * static_cast<std::size_t>(height()));
}

void TabCanvas::BlitTo(HDC target, const RECT& area) const {
    ::GdiFlush();
    ::BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc(), area.left,
             area.top, SRCCOPY);
}

platform::UniqueBrush TabCanvas::MakePatternBrush() const {
    // A packed DIB: the brush keeps its own copy, so the canvas may change later.
    const std::size_t pixelBytes = surface_.stride() * static_cast<std::size_t>(height());
    std::vector<std::byte> packed(sizeof(BITMAPINFOHEADER) + pixelBytes);
    const BITMAPINFOHEADER header = platform::DibSurface::Describe(width(), height()).bmiHeader;
    std::memcpy(packed.data(), &header, sizeof(header));
    ::GdiFlush();
    std::memcpy(packed.data() + sizeof(header), surface_.bits(), pixelBytes);
    platform::UniqueBrush brush(::CreateDIBPatternBrushPt(packed.data(), DIB_RGB_COLORS));
    if (!brush) {
        throw std::runtime_error("背景ブラシを作成できません");
    }
    return brush;
}

HBRUSH AlignSurfaceBrush(HDC dc, HWND surface, HWND child, HBRUSH brush) {
    POINT origin{0, 0};
    ::MapWindowPoints(child, surface, &origin, 1);
    ::SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    ::SetBkMode(dc, TRANSPARENT);
    return brush;
}

} // namespace mirulo::ui
