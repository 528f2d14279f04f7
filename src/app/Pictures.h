#pragma once
// The decorative pictures and the icon buttons of the main window, drawn from
// the program's artwork (ui::AlphaBitmap) over whatever the page paints behind them.
#include <windows.h>

#include "ui/AlphaBitmap.h"
#include "ui/Control.h"
#include "ui/ControlTable.h"

namespace mirulo::app {

// The control table's artwork loader for the main window's pictures and icon buttons.
void LoadArtwork(ui::Control& control, ui::ControlKind kind, int resourceId, UINT dpi);

class Picture : public ui::Control {
public:
    using ui::Control::Control;
    bool SeeThrough() const override { return true; }
    void SetImage(ui::AlphaBitmap image);
    SIZE ImageSize() const noexcept { return {image_.width, image_.height}; }
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

private:
    ui::AlphaBitmap image_;
};

class IconButton : public ui::Button {
public:
    using ui::Button::Button;
    // For a button that acts the moment a mouse button goes down on it, with
    // WM_LBUTTONDOWN, WM_RBUTTONDOWN or WM_MBUTTONDOWN (a quick second press
    // counts as a press too). Such a button has no click: the press is all.
    std::function<void(UINT message)> OnMouseDown;
    void SetGlyph(ui::AlphaBitmap glyph);
    SIZE GlyphSize() const noexcept { return {glyph_.width, glyph_.height}; }
    void ForwardMouseDown(UINT message);
    bool OnCommand(WORD code) override;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

protected:
    void OnCreated() override;

private:
    static constexpr WORD kMouseDownNotification = 0x7F01;
    UINT pendingMouseMessage_ = 0;
    ui::AlphaBitmap glyph_;
};

} // namespace mirulo::app
