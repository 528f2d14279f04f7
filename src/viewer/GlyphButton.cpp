#include "viewer/GlyphButton.h"

#include <commctrl.h>

#include <span>

#include "image/PngReader.h"

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

std::span<const std::uint8_t> ResourceBytes(int resourceId) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (found == nullptr) {
        return {};
    }
    const auto* bytes = static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module, found)));
    return {bytes, ::SizeofResource(module, found)};
}

} // namespace

void GlyphButton::Create(HWND parent, const RECT& place, int id, int glyphResource) {
    const std::span<const std::uint8_t> png = ResourceBytes(glyphResource);
    if (!png.empty()) {
        const image::Image picture = image::DecodePng(png);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = static_cast<LONG>(picture.width);
        info.bmiHeader.biHeight = -static_cast<LONG>(picture.height);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        glyph_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (glyph_) {
            glyphWidth_ = static_cast<int>(picture.width);
            glyphHeight_ = static_cast<int>(picture.height);
            auto* out = static_cast<std::uint8_t*>(bits);
            for (std::uint32_t y = 0; y < picture.height; ++y) {
                const std::uint8_t* in = picture.row(y);
                for (std::uint32_t x = 0; x < picture.width; ++x, in += picture.channels, out += 4) {
                    const unsigned alpha = picture.channels == 4 ? in[3] : 255u;
                    out[0] = static_cast<std::uint8_t>((in[2] * alpha + 127) / 255);
                    out[1] = static_cast<std::uint8_t>((in[1] * alpha + 127) / 255);
                    out[2] = static_cast<std::uint8_t>((in[0] * alpha + 127) / 255);
                    out[3] = static_cast<std::uint8_t>(alpha);
                }
            }
        }
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
    if (code == BN_CLICKED) {
        if (OnClick) {
            OnClick();
        }
        return true;
    }
    return false;
}

bool GlyphButton::OnDrawItem(const DRAWITEMSTRUCT& item) {
    RECT area = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    // Flat: the face only, with a thin edge, sunk while pressed.
    ::FillRect(item.hDC, &area, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(item.hDC, &area, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    if (pressed) {
        ::OffsetRect(&area, 1, 1);
    }
    if (glyph_) {
        platform::UniqueMemoryDc source(::CreateCompatibleDC(item.hDC));
        platform::SelectedObject selected(source.get(), glyph_.get());
        const int x = area.left + (area.right - area.left - glyphWidth_) / 2;
        const int y = area.top + (area.bottom - area.top - glyphHeight_) / 2;
        BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(disabled ? 96 : 255), AC_SRC_ALPHA};
        ::AlphaBlend(item.hDC, x, y, glyphWidth_, glyphHeight_, source.get(), 0, 0, glyphWidth_, glyphHeight_, blend);
    }
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = item.rcItem;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(item.hDC, &focus);
    }
    return true;
}

} // namespace mirulo::viewer
