#pragma once
// Grey-scale copies: the grey level of a pixel with integer weights that add up
// to 256, so that white stays 255 and black stays 0 with no rounding step.
#include <array>
#include <cstdint>
#include <vector>

#include "image/Image.h"

namespace mirulo::image {

// An 8-bit palette picture: one palette index per pixel, rows top-down and
// tightly packed.
struct IndexedImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> indices;
    std::vector<std::array<std::uint8_t, 3>> palette; // RGB entries, 1 to 256 of them
};

inline std::uint8_t GreyLevel(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<std::uint8_t>((77u * r + 150u * g + 29u * b) >> 8);
}

// The 256 greys (i, i, i), in order, so that a pixel's index is its grey level.
std::vector<std::array<std::uint8_t, 3>> GreyPalette();

// Each pixel's grey level as an index into GreyPalette(). Alpha, if any, is
// ignored, as the copies never carry transparency.
IndexedImage ToGreyIndexed(const Image& picture);

// Replaces every pixel of an RGB picture by its grey level in all three
// channels, in place: the picture the JPEG grey copy is written from, without a
// second whole-picture buffer.
void MakeGreyInPlace(Image& rgb);

} // namespace mirulo::image
