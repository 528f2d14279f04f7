#pragma once
// Artwork of ours embedded as PNG resources (RCDATA), drawn for 100 %, 150 % and
// 200 % displays, decoded with our own PNG reader into premultiplied 32-bit
// bitmaps and drawn with alpha over whatever is painted behind them.
#include <windows.h>

#include "platform/DibSurface.h"

namespace mirulo::ui {

// A 32-bit premultiplied picture made from an RCDATA PNG resource.
struct AlphaBitmap {
    platform::DibSurface pixels;
    int width = 0;
    int height = 0;

    static AlphaBitmap FromResource(int resourceId);
    // The drawing behind `resourceId` as rendered for `dpi`: the rendition made for
    // that scale, or else the next larger one, which Draw shrinks.
    static AlphaBitmap ForDpi(int resourceId, UINT dpi);
    // Draws the bitmap centred in `area`, faded when `dimmed`. Artwork made for
    // the area's scale is copied pixel for pixel; only other scales are resized.
    void Draw(HDC dc, const RECT& area, bool dimmed = false) const;
};

// The inside of an owner-drawn button whose face is drawn: the glyph, a pixel
// lower and to the right while pressed and faded while disabled, and the focus
// rectangle.
void DrawGlyphOnFace(const DRAWITEMSTRUCT& item, const AlphaBitmap& glyph);

// Whether the program carries the RCDATA resource `resourceId`.
bool HasArtwork(int resourceId) noexcept;

// Resource id of a drawing's rendition for a scale of 100, 150 or 200 percent.
int ArtworkRendition(int resourceId, int percent) noexcept;

} // namespace mirulo::ui
