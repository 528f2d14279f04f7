#pragma once
// The two buttons at the right end of the tab strip, minimise and close: they
// sit on the strip, not on a page, so every page shows them. What they do is
// the window's.
#include <windows.h>

#include <functional>

#include "app/Pictures.h"
#include "ui/ControlTable.h"

namespace mirulo::app {

class TabStripButtons {
public:
    // The buttons, made from their rows of the control table on `strip`, with
    // command ids from `firstId`, and wired to the two callbacks below.
    void CreateControls(ui::ControlTable& table, HWND strip, UINT dpi, int firstId);

    std::function<void()> OnMinimizeClicked;
    std::function<void()> OnCloseClicked;

private:
    IconButton minimizeButton_{L"btn_Minimized"};
    IconButton closeButton_{L"btn_Close"};
};

} // namespace mirulo::app
