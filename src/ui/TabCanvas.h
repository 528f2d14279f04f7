#pragma once
// Off-screen surface of the tab widget and its pages: a 32-bit DIB section that
// GDI draws text into and our own loops fill pixel by pixel, so gradients come
// out exact at both ends and every edge lands on the pixel we meant.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/DibSurface.h"
#include "platform/Handles.h"

namespace mirulo::ui {

// Mixes `to` into `from`; weight 0 gives `from`, weight `scale` gives `to`.
COLORREF BlendColor(COLORREF from, COLORREF to, int weight, int scale) noexcept;

class TabCanvas {
public:
    TabCanvas() = default;
    TabCanvas(const TabCanvas&) = delete;
    TabCanvas& operator=(const TabCanvas&) = delete;

    // Makes the surface `width` × `height`; the content is undefined afterwards.
    void Resize(int width, int height);
    int width() const noexcept { return surface_.width(); }
    int height() const noexcept { return surface_.height(); }
    bool empty() const noexcept { return surface_.empty(); }
    HDC dc() const noexcept { return surface_.dc(); }

    // Rows from `area.top` to `area.bottom - 1` run from `top` to `bottom`, both
    // colours exactly on the first and the last row.
    void FillVertical(const RECT& area, COLORREF top, COLORREF bottom);
    void FillSolid(const RECT& area, COLORREF color);
    void SetPixel(int x, int y, COLORREF color);
    void HorizontalLine(int left, int right, int y, COLORREF color); // right exclusive
    void VerticalLine(int x, int top, int bottom, COLORREF color);   // bottom exclusive
    void Frame(const RECT& area, COLORREF color);
    COLORREF Pixel(int x, int y) const;

    void CopyFrom(const TabCanvas& source);
    // Copies `area` of the surface to `target` at the same coordinates.
    void BlitTo(HDC target, const RECT& area) const;
    // A brush whose pattern is the whole surface; align it with SetBrushOrgEx.
    [[nodiscard]] platform::UniqueBrush MakePatternBrush() const;

private:
    std::uint32_t* Row(int y) const;

    platform::DibSurface surface_;
};

// Prepares `dc` to fill `child` with `brush`, a pattern of `surface`'s own
// background, shifted so the child shows exactly the part of the surface it
// covers; text goes on it without a box. Returns the brush.
HBRUSH AlignSurfaceBrush(HDC dc, HWND surface, HWND child, HBRUSH brush);

} // namespace mirulo::ui
