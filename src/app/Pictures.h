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
    // For a button that acts the moment a mouse button goes down on it, with
    // WM_LBUTTONDOWN, WM_RBUTTONDOWN or WM_MBUTTONDOWN (a quick second press
    // counts as a press too). Such a button has no click: the press is all.
    std::function<void(UINT message)> OnMouseDown;
    void SetGlyph(AlphaBitmap glyph);
    void Click();
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
