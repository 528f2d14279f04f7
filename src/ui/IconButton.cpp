#include "ui/IconButton.h"

#include <commctrl.h>

namespace mirulo::ui {

void IconButton::SetGlyph(AlphaBitmap glyph) {
    glyph_ = std::move(glyph);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

namespace {

LRESULT CALLBACK PressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &PressProc, 5);
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    auto* button = reinterpret_cast<IconButton*>(data);
    if (button->OnMouseDown) {
        UINT press = 0;
        switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            press = WM_LBUTTONDOWN;
            break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            press = WM_RBUTTONDOWN;
            break;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            press = WM_MBUTTONDOWN;
            break;
        default:
            break;
        }
        if (press != 0) {
            // The button does not take the press itself: it would hold the mouse
            // capture through whatever the action shows (a confirmation, say)
            // and stay drawn pushed afterwards.
            button->ForwardMouseDown(press);
            return 0;
        }
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

void IconButton::OnCreated() {
    ::SetWindowSubclass(hwnd(), &PressProc, 5, reinterpret_cast<DWORD_PTR>(this));
}

void IconButton::ForwardMouseDown(UINT message) {
    presses_.Forward(hwnd(), message);
}

bool IconButton::OnCommand(WORD code) {
    if (presses_.Take(code, OnMouseDown)) {
        return true;
    }
    return Button::OnCommand(code);
}

bool IconButton::OnDrawItem(const DRAWITEMSTRUCT& item) {
    RECT area = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    if (face == Face::Flat) {
        ::FillRect(item.hDC, &area, ::GetSysColorBrush(COLOR_BTNFACE));
        ::DrawEdge(item.hDC, &area, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    } else {
        ::DrawFrameControl(item.hDC, &area, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u));
    }
    DrawGlyphOnFace(item, glyph_);
    return true;
}

} // namespace mirulo::ui
