#pragma once
// Small behaviours added to standard controls by subclassing.
#include <windows.h>

namespace mirulo::ui {

// Shows the hand pointer over a control, as over a link.
void UseHandCursor(HWND control);

// Fills the control's background with what its parent shows behind it (the
// brush the parent answers to WM_CTLCOLORSTATIC). Group boxes never erase their
// inside, so on a gradient page they would otherwise keep stale pixels.
void EraseWithParentBackground(HWND control);

} // namespace mirulo::ui
