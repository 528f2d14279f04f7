#pragma once
// The decorative pictures and the icon buttons of the main window, drawn from
// the program's artwork (ui::AlphaBitmap) over whatever the page paints behind them.
#include <windows.h>

#include "ui/AlphaBitmap.h"
#include "ui/Control.h"
#include "ui/ControlTable.h"
#include "ui/IconButton.h"

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

using IconButton = ui::IconButton;

} // namespace mirulo::app
