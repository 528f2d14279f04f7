#include "viewer/PictureArea.h"

#include <cstring>

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
    platform::DibSurface picture;
    if (fit.width > 0 && fit.height > 0) {
        picture = platform::DibSurface::Create(fit.width, fit.height);
        std::memcpy(picture.bits(), bgrx.data(), picture.stride() * static_cast<std::size_t>(fit.height));
    }
    picture_ = std::move(picture);
    fit_ = fit;
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

COLORREF PictureArea::PixelAt(int x, int y) const {
    if (picture_.empty() || x < 0 || y < 0 || x >= picture_.width() || y >= picture_.height()) {
        return CLR_INVALID;
    }
    const std::uint8_t* pixel =
        picture_.bits() + static_cast<std::size_t>(y) * picture_.stride() + static_cast<std::size_t>(x) * 4;
    return RGB(pixel[2], pixel[1], pixel[0]);
}

bool PictureArea::OnEraseBackground(HDC) {
    return true;
}

bool PictureArea::OnPaint() {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(hwnd(), &paint);
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    HBRUSH face = ::GetSysColorBrush(COLOR_BTNFACE);
    if (!picture_.empty()) {
        ::BitBlt(dc, 0, 0, fit_.width, fit_.height, picture_.dc(), 0, 0, SRCCOPY);
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
