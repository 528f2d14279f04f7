#include "ui/AlphaBitmap.h"

#include <span>
#include <stdexcept>

#include "image/PngReader.h"

namespace mirulo::ui {
namespace {

std::span<const std::uint8_t> ResourceBytes(int resourceId) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (found == nullptr) {
        throw std::runtime_error("画像リソースが見つかりません");
    }
    HGLOBAL loaded = ::LoadResource(module, found);
    const auto* bytes = static_cast<const std::uint8_t*>(::LockResource(loaded));
    return {bytes, ::SizeofResource(module, found)};
}

} // namespace

bool HasArtwork(int resourceId) noexcept {
    return ::FindResourceW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                           MAKEINTRESOURCEW(10) /* RT_RCDATA */) != nullptr;
}

AlphaBitmap AlphaBitmap::FromResource(int resourceId) {
    const image::Image picture = image::DecodePng(ResourceBytes(resourceId));
    AlphaBitmap result;
    result.pixels =
        platform::DibSurface::Create(static_cast<int>(picture.width), static_cast<int>(picture.height));
    result.width = static_cast<int>(picture.width);
    result.height = static_cast<int>(picture.height);
    std::uint8_t* out = result.pixels.bits();
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        const std::uint8_t* in = picture.row(y);
        for (std::uint32_t x = 0; x < picture.width; ++x, in += picture.channels, out += 4) {
            const unsigned alpha = picture.channels == 4 ? in[3] : 255u;
            // AlphaBlend wants premultiplied BGRA.
            out[0] = static_cast<std::uint8_t>((in[2] * alpha + 127) / 255);
            out[1] = static_cast<std::uint8_t>((in[1] * alpha + 127) / 255);
            out[2] = static_cast<std::uint8_t>((in[0] * alpha + 127) / 255);
            out[3] = static_cast<std::uint8_t>(alpha);
        }
    }
    return result;
}

int ArtworkRendition(int resourceId, int percent) noexcept {
    // AssetIds.h numbers the renditions of a drawing 1000 and 2000 above it.
    switch (percent) {
    case 150:
        return resourceId + 1000;
    case 200:
        return resourceId + 2000;
    default:
        return resourceId;
    }
}

AlphaBitmap AlphaBitmap::ForDpi(int resourceId, UINT dpi) {
    // The smallest rendition at least as large as the display needs: shrinking
    // keeps the drawing sharp, enlarging would blur it.
    for (const int percent : {100, 150, 200}) {
        if (static_cast<int>(dpi) * 100 <= 96 * percent || percent == 200) {
            const int id = ArtworkRendition(resourceId, percent);
            if (HasArtwork(id)) {
                return FromResource(id);
            }
        }
    }
    return FromResource(resourceId);
}

void AlphaBitmap::Draw(HDC dc, const RECT& area, bool dimmed) const {
    if (pixels.empty()) {
        return;
    }
    const int areaWidth = area.right - area.left;
    const int areaHeight = area.bottom - area.top;
    // A picture drawn for its place may differ from it by a pixel of rounding; it
    // is still copied as it is. Larger artwork (a scale between renditions) is
    // shrunk into the area.
    const bool fits = width <= areaWidth + 1 && height <= areaHeight + 1;
    const int w = fits ? width : areaWidth;
    const int h = fits ? height : areaHeight;
    const int x = area.left + (areaWidth - w) / 2;
    const int y = area.top + (areaHeight - h) / 2;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(dimmed ? 96 : 255), AC_SRC_ALPHA};
    ::SetStretchBltMode(dc, HALFTONE);
    ::AlphaBlend(dc, x, y, w, h, pixels.dc(), 0, 0, width, height, blend);
}

void DrawGlyphOnFace(const DRAWITEMSTRUCT& item, const AlphaBitmap& glyph) {
    RECT area = item.rcItem;
    if ((item.itemState & ODS_SELECTED) != 0) {
        ::OffsetRect(&area, 1, 1);
    }
    glyph.Draw(item.hDC, area, (item.itemState & ODS_DISABLED) != 0);
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = item.rcItem;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(item.hDC, &focus);
    }
}

} // namespace mirulo::ui
