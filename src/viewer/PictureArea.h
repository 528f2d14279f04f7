#pragma once
// The viewer's picture area: shows one picture, already decoded and brought to
// the size it is drawn at, from its top-left corner. Painting only copies
// pixels; the picture is decoded and scaled once, when it is loaded.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/DibSurface.h"
#include "ui/Window.h"
#include "viewer/PictureFit.h"

namespace mirulo::viewer {

class PictureArea final : public ui::Window {
public:
    explicit PictureArea(platform::Host& host) : ui::Window(host) {}

    void Create(HWND parent, const RECT& place);
    // Takes 32-bit top-down BGRX rows of fit.width x fit.height.
    void SetPicture(const PictureFit& fit, const std::vector<std::uint8_t>& bgrx);
    const PictureFit& fit() const noexcept { return fit_; }
    // The pixel drawn at (x, y) of the area, or CLR_INVALID outside the picture;
    // what a person would see there.
    COLORREF PixelAt(int x, int y) const;

protected:
    bool OnPaint() override;
    bool OnEraseBackground(HDC dc) override;

private:
    PictureFit fit_{};
    platform::DibSurface picture_;
};

} // namespace mirulo::viewer
