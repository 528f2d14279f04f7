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

BITMAPINFOHEADER TopDownHeader(int width, int height) noexcept {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    return header;
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

TabCanvas::~TabCanvas() {
    if (dc_ && originalBitmap_ != nullptr) {
        ::SelectObject(dc_.get(), originalBitmap_);
    }
}

void TabCanvas::Resize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (dc_ && width == width_ && height == height_) {
        return;
    }
    if (!dc_) {
        dc_.reset(::CreateCompatibleDC(nullptr));
        if (!dc_) {
            throw std::runtime_error("描画用のデバイスコンテキストを作成できません");
        }
    }
    BITMAPINFO info{};
    info.bmiHeader = TopDownHeader(width, height);
    void* bits = nullptr;
    platform::UniqueBitmap bitmap(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) {
        throw std::runtime_error("描画用のビットマップを作成できません");
    }
    HGDIOBJ previous = ::SelectObject(dc_.get(), bitmap.get());
    if (originalBitmap_ == nullptr) {
        originalBitmap_ = previous;
    }
    bitmap_ = std::move(bitmap); // the old section is no longer selected, so it can go
    bits_ = static_cast<std::uint32_t*>(bits);
    width_ = width;
    height_ = height;
}

std::uint32_t* TabCanvas::Row(int y) const {
    // GDI may still hold text drawing in its batch.
    ::GdiFlush();
    return bits_ + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
}

void TabCanvas::FillVertical(const RECT& area, COLORREF top, COLORREF bottom) {
    const int left = std::max<int>(area.left, 0);
    const int right = std::min<int>(area.right, width_);
    const int first = std::max<int>(area.top, 0);
    const int last = std::min<int>(area.bottom, height_);
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
    if (x >= 0 && x < width_ && y >= 0 && y < height_) {
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
    if (x < 0 || x >= width_ || y < 0 || y >= height_) {
        return CLR_INVALID;
    }
    return FromPixel(Row(y)[x]);
}

void TabCanvas::CopyFrom(const TabCanvas& source) {
    Resize(source.width_, source.height_);
    ::GdiFlush();
    std::memcpy(bits_, source.bits_,
                static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4);
}

void TabCanvas::BlitTo(HDC target, const RECT& area) const {
    ::GdiFlush();
    ::BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc_.get(),
             area.left, area.top, SRCCOPY);
}

platform::UniqueBrush TabCanvas::MakePatternBrush() const {
    // A packed DIB: the brush keeps its own copy, so the canvas may change later.
    const std::size_t pixelBytes = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4;
    std::vector<std::byte> packed(sizeof(BITMAPINFOHEADER) + pixelBytes);
    const BITMAPINFOHEADER header = TopDownHeader(width_, height_);
    std::memcpy(packed.data(), &header, sizeof(header));
    ::GdiFlush();
    std::memcpy(packed.data() + sizeof(header), bits_, pixelBytes);
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
