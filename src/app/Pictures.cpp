#include "app/Pictures.h"

#include <commctrl.h>

#include <cstring>
#include <span>
#include <stdexcept>

#include "image/PngReader.h"

namespace mirulo::app {
namespace {

std::span<const std::uint8_t> ResourceBytes(int resourceId) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (found == nullptr) {
        throw std::runtime_error("画像リソースが見つかりません");
    }
    HGLOBAL loaded = ::LoadResource(module, found);
    const auto* bytes = static_cast<const std::uint8_t*>(::LockResource(loaded));
    return {bytes, ::SizeofResource(module, found)};
}

bool HasResource(int resourceId) {
    return ::FindResourceW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                           MAKEINTRESOURCEW(10) /* RT_RCDATA */) != nullptr;
}

} // namespace

AlphaBitmap AlphaBitmap::FromResource(int resourceId) {
    const image::Image picture = image::DecodePng(ResourceBytes(resourceId));
    AlphaBitmap result;
    result.pixels = platform::DibSurface::Create(static_cast<int>(picture.width), static_cast<int>(picture.height));
    result.width = static_cast<int>(picture.width);
    result.height = static_cast<int>(picture.height);
    std::uint8_t* out = result.pixels.bits();
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        const std::uint8_t* in = picture.row(y);
        for (std::uint32_t x = 0; x < picture.width; ++x, in += picture.channels, out += 4) {
            const unsigned alpha = picture.channels == 4 ? in[3] : 255u;
            // AlphaBlend wants premultiplied BGRA.
            out[0] = static_cast<std::uint8_t>((in[2] * alpha + 127) / 255);
            out[1] = static_cast<std::uint8_t>((in[1] * alpha + 127) / 255);
            out[2] = static_cast<std::uint8_t>((in[0] * alpha + 127) / 255);
            out[3] = static_cast<std::uint8_t>(alpha);
        }
    }
    return result;
}

int ArtworkRendition(int resourceId, int percent) noexcept {
    // AssetIds.h numbers the renditions of a drawing 1000 and 2000 above it.
    switch (percent) {
    case 150: return resourceId + 1000;
    case 200: return resourceId + 2000;
    default: return resourceId;
    }
}

AlphaBitmap AlphaBitmap::ForDpi(int resourceId, UINT dpi) {
    // The smallest rendition at least as large as the display needs: shrinking
    // keeps the drawing sharp, enlarging would blur it.
    for (const int percent : {100, 150, 200}) {
        if (static_cast<int>(dpi) * 100 <= 96 * percent || percent == 200) {
            const int id = ArtworkRendition(resourceId, percent);
            if (HasResource(id)) {
                return FromResource(id);
            }
        }
    }
    return FromResource(resourceId);
}

void AlphaBitmap::Draw(HDC dc, const RECT& area, bool dimmed) const {
    if (pixels.empty()) {
        return;
    }
    const int areaWidth = area.right - area.left;
    const int areaHeight = area.bottom - area.top;
    // A picture drawn for its place may differ from it by a pixel of rounding; it
    // is still copied as it is. Larger artwork (a scale between renditions) is
    // shrunk into the area.
    const bool fits = width <= areaWidth + 1 && height <= areaHeight + 1;
    const int w = fits ? width : areaWidth;
    const int h = fits ? height : areaHeight;
    const int x = area.left + (areaWidth - w) / 2;
    const int y = area.top + (areaHeight - h) / 2;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(dimmed ? 96 : 255), AC_SRC_ALPHA};
    ::SetStretchBltMode(dc, HALFTONE);
    ::AlphaBlend(dc, x, y, w, h, pixels.dc(), 0, 0, width, height, blend);
}

void LoadArtwork(ui::Control& control, ui::ControlKind kind, int resourceId, UINT dpi) {
    AlphaBitmap art = AlphaBitmap::ForDpi(resourceId, dpi);
    if (kind == ui::ControlKind::Picture) {
        static_cast<Picture&>(control).SetImage(std::move(art));
    } else {
        static_cast<IconButton&>(control).SetGlyph(std::move(art));
    }
}

// --- Picture ------------------------------------------------------------------

void Picture::SetImage(AlphaBitmap image) {
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
    RECT area = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    ::DrawFrameControl(item.hDC, &area, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u));
    if (pressed) {
        ::OffsetRect(&area, 1, 1);
    }
    glyph_.Draw(item.hDC, area, disabled);
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = item.rcItem;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(item.hDC, &focus);
    }
    return true;
}

} // namespace mirulo::app
