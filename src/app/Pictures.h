#pragma once
// The decorative pictures and the icon buttons. Their artwork is embedded as PNG
// resources, drawn for 100 %, 150 % and 200 % displays, and decoded with our own
// PNG reader into premultiplied 32-bit bitmaps, drawn with alpha over whatever
// the page paints behind them.
#include <windows.h>

#include "platform/DibSurface.h"
#include "ui/Control.h"
#include "ui/ControlTable.h"

namespace mirulo::app {

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

// Resource id of a drawing's rendition for a scale of 100, 150 or 200 percent.
int ArtworkRendition(int resourceId, int percent) noexcept;

// The control table's artwork loader for the main window's pictures and icon buttons.
void LoadArtwork(ui::Control& control, ui::ControlKind kind, int resourceId, UINT dpi);

class Picture : public ui::Control {
public:
    using ui::Control::Control;
    bool SeeThrough() const override { return true; }
    void SetImage(AlphaBitmap image);
    SIZE ImageSize() const noexcept { return {image_.width, image_.height}; }
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

private:
    AlphaBitmap image_;
};

class IconButton : public ui::Button {
public:
    using ui::Button::Button;
    // For a button that acts the moment a mouse button goes down on it, with
    // WM_LBUTTONDOWN, WM_RBUTTONDOWN or WM_MBUTTONDOWN (a quick second press
    // counts as a press too). Such a button has no click: the press is all.
    std::function<void(UINT message)> OnMouseDown;
    void SetGlyph(AlphaBitmap glyph);
    SIZE GlyphSize() const noexcept { return {glyph_.width, glyph_.height}; }
    void ForwardMouseDown(UINT message);
    bool OnCommand(WORD code) override;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

protected:
    void OnCreated() override;

private:
    static constexpr WORD kMouseDownNotification = 0x7F01;
    UINT pendingMouseMessage_ = 0;
    AlphaBitmap glyph_;
};

} // namespace mirulo::app
