#include "viewer/GlyphButton.h"

#include <commctrl.h>

namespace mirulo::viewer {
namespace {

LRESULT CALLBACK ButtonMouseProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &ButtonMouseProc, 4);
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
        auto* button = reinterpret_cast<GlyphButton*>(data);
        if (button->OnMouseDown) {
            // The press is the action: the button is not pressed in as for a click.
            button->ForwardMouseDown(message);
            return 0;
        }
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

void GlyphButton::Create(HWND parent, const RECT& place, int id, int glyphResource) {
    // A button whose glyph the program does not carry still works, as a plain face.
    if (ui::HasArtwork(glyphResource)) {
        glyph_ = ui::AlphaBitmap::FromResource(glyphResource);
    }
    ui::Control::Create(parent, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, L"", place, id);
}

void GlyphButton::OnCreated() { ::SetWindowSubclass(hwnd(), &ButtonMouseProc, 4, reinterpret_cast<DWORD_PTR>(this)); }

void GlyphButton::ForwardMouseDown(UINT message) {
    // Inside the button's own window procedure no exception may pass: the press
    // goes through the parent's window procedure, where a failing handler is
    // reported like any other.
    pendingMouseMessage_ = message;
    ::SendMessageW(::GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd()), kMouseDownNotification),
                   reinterpret_cast<LPARAM>(hwnd()));
}

bool GlyphButton::OnCommand(WORD code) {
    if (code == kMouseDownNotification) {
        const UINT message = pendingMouseMessage_;
        pendingMouseMessage_ = 0;
        if (OnMouseDown && message != 0) {
            OnMouseDown(message);
        }
        return true;
    }
    if (code == BN_CLICKED || code == BN_DOUBLECLICKED) { // two quick clicks are two clicks
        if (OnClick) {
            OnClick();
        }
        return true;
    }
    return false;
}

bool GlyphButton::OnDrawItem(const DRAWITEMSTRUCT& item) {
    RECT face = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    // Flat: the face only, with a thin edge, sunk while pressed.
    ::FillRect(item.hDC, &face, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(item.hDC, &face, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    ui::DrawGlyphOnFace(item, glyph_);
    return true;
}

} // namespace mirulo::viewer
