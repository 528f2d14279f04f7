#pragma once
// The decorative pictures and the icon buttons. Their artwork is embedded as PNG
// resources and decoded with our own PNG reader into premultiplied 32-bit
// bitmaps, drawn with alpha over whatever the page paints behind them.
#include <windows.h>

#include "platform/Handles.h"
#include "ui/Control.h"

namespace mirulo::app {

// A 32-bit premultiplied DIB section made from an RCDATA PNG resource.
struct AlphaBitmap {
    platform::UniqueBitmap bitmap;
    int width = 0;
    int height = 0;

    static AlphaBitmap FromResource(int resourceId);
    // Draws the bitmap centred in `area`, faded when `dimmed`.
    void Draw(HDC dc, const RECT& area, bool dimmed = false) const;
};

class Picture : public ui::Control {
public:
    using ui::Control::Control;
    bool SeeThrough() const override { return true; }
    void SetImage(AlphaBitmap image);
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

private:
    AlphaBitmap image_;
};

class IconButton : public ui::Control {
public:
    using ui::Control::Control;
    std::function<void()> OnClick;
    // Right-button presses, for the buttons that have a second action on them.
    std::function<void()> OnRightClick;
    void SetGlyph(AlphaBitmap glyph);
    void Click();
    bool OnCommand(WORD code) override;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

private:
    AlphaBitmap glyph_;
};

} // namespace mirulo::app
