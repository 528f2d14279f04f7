#include "app/Pictures.h"

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
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(
        parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(item.hDC), reinterpret_cast<LPARAM>(hwnd())));
    if (brush != nullptr) {
        ::FillRect(item.hDC, &item.rcItem, brush);
    }
    image_.Draw(item.hDC, item.rcItem);
    return true;
}

} // namespace mirulo::app
