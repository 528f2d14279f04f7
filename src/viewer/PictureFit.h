#pragma once
// How the viewer shows a picture in its picture area: at natural size when it
// fits, otherwise scaled down as a whole with its aspect kept. Never enlarged;
// always drawn from the area's top-left corner.
#include <cstdint>
#include <vector>

#include "image/Image.h"

namespace mirulo::viewer {

struct PictureFit {
    bool scaled = false; // false: natural size
    int width = 0;       // size drawn, in device pixels
    int height = 0;
    bool operator==(const PictureFit&) const = default;
};

// The place a picture of pictureWidth x pictureHeight takes in an area of
// areaWidth x areaHeight. A picture no larger than the area in both directions
// keeps its size. A larger one is scaled to the largest size that fits, the
// scaled side rounded down (at least one pixel); an area with no room gives 0 x 0.
PictureFit FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

// The picture as 32-bit top-down BGRX rows (what a DIB section takes) at
// width x height: a straight conversion at natural size, otherwise an average
// over each target pixel's share of the source (box filter), so that fine detail
// such as text does not break up into noise when a large capture is shrunk.
// width and height must not exceed the picture's own.
std::vector<std::uint8_t> RenderBgrx(const image::Image& picture, int width, int height);

} // namespace mirulo::viewer
