#include "support/ScreenGrab.h"

#include "platform/Handles.h"

namespace mirulo::testkit {

platform::DibSurface GrabScreen(const RECT& area) {
    platform::DibSurface surface =
        platform::DibSurface::Create(area.right - area.left, area.bottom - area.top);
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(surface.dc(), 0, 0, surface.width(), surface.height(), screen, area.left, area.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    ::GdiFlush();
    return surface;
}

image::Image GrabScreenPicture(const RECT& area) {
    const platform::DibSurface surface = GrabScreen(area);
    image::Image picture;
    picture.width = static_cast<std::uint32_t>(surface.width());
    picture.height = static_cast<std::uint32_t>(surface.height());
    picture.pixels.resize(picture.stride() * picture.height);
    const std::uint8_t* in = surface.bits();
    for (std::size_t i = 0, n = std::size_t{picture.width} * picture.height; i < n; ++i) {
        picture.pixels[i * 3] = in[i * 4 + 2];
        picture.pixels[i * 3 + 1] = in[i * 4 + 1];
        picture.pixels[i * 3 + 2] = in[i * 4];
    }
    return picture;
}

} // namespace mirulo::testkit
