#include "app/Pictures.h"

#include <commctrl.h>

namespace mirulo::app {

void LoadArtwork(ui::Control& control, ui::ControlKind kind, int resourceId, UINT dpi) {
    ui::AlphaBitmap art = ui::AlphaBitmap::ForDpi(resourceId, dpi);
    if (kind == ui::ControlKind::Picture) {
        static_cast<Picture&>(control).SetImage(std::move(art));
    } else {
        static_cast<IconButton&>(control).SetGlyph(std::move(art));
    }
}

// --- Picture ------------------------------------------------------------------

void Picture::SetImage(ui::AlphaBitmap image) {
    image_ = std::move(image);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

bool Picture::OnDrawItem(const DRAWITEMSTRUCT& item) {
    // Let the page paint its background under the picture first.
    HWND parent = ::GetParent(hwnd());
    auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(item.hDC), reinterpret_cast<LPARAM>(hwnd())));
    if (brush != nullptr) {
        ::FillRect(item.hDC, &item.rcItem, brush);
    }
    image_.Draw(item.hDC, item.rcItem);
    return true;
}

// --- IconButton ---------------------------------------------------------------

void IconButton::SetGlyph(ui::AlphaBitmap glyph) {
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
        case WM_LBUTTONDBLCLK: press = WM_LBUTTONDOWN; break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK: press = WM_RBUTTONDOWN; break;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: press = WM_MBUTTONDOWN; break;
        default: break;
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

void IconButton::OnCreated() { ::SetWindowSubclass(hwnd(), &PressProc, 5, reinterpret_cast<DWORD_PTR>(this)); }

void IconButton::ForwardMouseDown(UINT message) {
    // Inside the button's window procedure no exception may pass: the press goes
    // through the parent's, where a failing handler is reported like any other.
    pendingMouseMessage_ = message;
    ::SendMessageW(::GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd()), kMouseDownNotification),
                   reinterpret_cast<LPARAM>(hwnd()));
}

bool IconButton::OnCommand(WORD code) {
    if (code == kMouseDownNotification) {
        if (OnMouseDown) {
            OnMouseDown(pendingMouseMessage_);
        }
        return true;
    }
    return ui::Button::OnCommand(code);
}

bool IconButton::OnDrawItem(const DRAWITEMSTRUCT& item) {
    RECT face = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    ::DrawFrameControl(item.hDC, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u));
    ui::DrawGlyphOnFace(item, glyph_);
    return true;
}

} // namespace mirulo::app
