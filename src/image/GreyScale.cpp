#include "image/GreyScale.h"

namespace mirulo::image {

std::vector<std::array<std::uint8_t, 3>> GreyPalette() {
    std::vector<std::array<std::uint8_t, 3>> palette(256);
    for (unsigned i = 0; i < 256; ++i) {
        const auto level = static_cast<std::uint8_t>(i);
        palette[i] = {level, level, level};
    }
    return palette;
}

IndexedImage ToGreyIndexed(const Image& picture) {
    if (picture.channels != 3 && picture.channels != 4) {
        throw CodecError("grey copy: the picture must be RGB or RGBA");
    }
    const std::size_t pixelCount = std::size_t{picture.width} * picture.height;
    if (picture.pixels.size() != pixelCount * picture.channels) {
        throw CodecError("grey copy: pixel buffer does not match the picture size");
    }
    IndexedImage grey;
    grey.width = picture.width;
    grey.height = picture.height;
    grey.palette = GreyPalette();
    grey.indices.resize(pixelCount);
    const std::uint8_t* in = picture.pixels.data();
    const std::size_t step = picture.channels;
    for (std::size_t i = 0; i < pixelCount; ++i, in += step) {
        grey.indices[i] = GreyLevel(in[0], in[1], in[2]);
    }
    return grey;
}

void MakeGreyInPlace(Image& rgb) {
    if (rgb.channels != 3 || rgb.pixels.size() != std::size_t{rgb.width} * rgb.height * 3) {
        throw CodecError("grey copy: the picture must be RGB");
    }
    for (std::size_t i = 0; i < rgb.pixels.size(); i += 3) {
        const std::uint8_t level = GreyLevel(rgb.pixels[i], rgb.pixels[i + 1], rgb.pixels[i + 2]);
        rgb.pixels[i] = rgb.pixels[i + 1] = rgb.pixels[i + 2] = level;
    }
}

} // namespace mirulo::image
