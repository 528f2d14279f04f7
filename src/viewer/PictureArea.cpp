#include "viewer/PictureArea.h"

#include <cstring>

#include "platform/SystemError.h"

namespace mirulo::viewer {
namespace {

constexpr wchar_t kClassName[] = L"MiruloPictureArea";

} // namespace

void PictureArea::Create(HWND parent, const RECT& place) {
    RegisterWindowClass(kClassName, 0, nullptr, nullptr, nullptr, nullptr);
    CreateHwnd(kClassName, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, L"", place.left, place.top,
               place.right - place.left, place.bottom - place.top, parent);
}

void PictureArea::SetPicture(const PictureFit& fit, const std::vector<std::uint8_t>& bgrx) {
    platform::UniqueBitmap bitmap;
    void* bits = nullptr;
    if (fit.width > 0 && fit.height > 0) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = fit.width;
        info.bmiHeader.biHeight = -fit.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap) {
            platform::ThrowLastError(L"画像を表示できません");
        }
        std::memcpy(bits, bgrx.data(), static_cast<std::size_t>(fit.width) * static_cast<std::size_t>(fit.height) * 4);
    }
    bitmap_ = std::move(bitmap);
    bits_ = bits;
    fit_ = fit;
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

COLORREF PictureArea::PixelAt(int x, int y) const {
    if (bits_ == nullptr || x < 0 || y < 0 || x >= fit_.width || y >= fit_.height) {
        return CLR_INVALID;
    }
    const auto* pixel = static_cast<const std::uint8_t*>(bits_) +
                        (static_cast<std::size_t>(y) * static_cast<std::size_t>(fit_.width) + static_cast<std::size_t>(x)) * 4;
    return RGB(pixel[2], pixel[1], pixel[0]);
}

bool PictureArea::OnEraseBackground(HDC) { return true; }

bool PictureArea::OnPaint() {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(hwnd(), &paint);
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    HBRUSH face = ::GetSysColorBrush(COLOR_BTNFACE);
    if (bitmap_) {
        platform::UniqueMemoryDc source(::CreateCompatibleDC(dc));
        platform::SelectedObject selected(source.get(), bitmap_.get());
        ::BitBlt(dc, 0, 0, fit_.width, fit_.height, source.get(), 0, 0, SRCCOPY);
        // Only what the picture leaves free is filled, so nothing flickers.
        const RECT right{fit_.width, 0, client.right, client.bottom};
        const RECT below{0, fit_.height, fit_.width, client.bottom};
        ::FillRect(dc, &right, face);
        ::FillRect(dc, &below, face);
    } else {
        ::FillRect(dc, &client, face);
    }
    ::EndPaint(hwnd(), &paint);
    return true;
}

} // namespace mirulo::viewer
