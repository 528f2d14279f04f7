// Any small picture: what the encoder writes, the decoder reads back as the
// same RGB pixels (alpha of RGBA input dropped), at every zlib level.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/PngReader.h"
#include "image/PngWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace mirulo::image;
    if (size < 4) {
        return 0;
    }
    Image picture;
    picture.width = 1u + data[0] % 128u;
    picture.height = 1u + data[1] % 64u;
    picture.channels = (data[2] & 1u) != 0 ? 4u : 3u;
    const int level = data[3] % 10;
    const std::uint8_t* source = data + 4;
    const std::size_t sourceSize = size - 4;
    picture.pixels.resize(std::size_t{picture.width} * picture.height * picture.channels);
    for (std::size_t i = 0; i < picture.pixels.size() && sourceSize > 0; ++i) {
        picture.pixels[i] = source[i % sourceSize];
    }

    const Image decoded = DecodePng(EncodePng(picture, level));

    if (decoded.width != picture.width || decoded.height != picture.height || decoded.channels != 3) {
        std::abort();
    }
    for (std::size_t p = 0; p < std::size_t{picture.width} * picture.height; ++p) {
        for (std::size_t c = 0; c < 3; ++c) {
            if (decoded.pixels[p * 3 + c] != picture.pixels[p * picture.channels + c]) {
                std::abort();
            }
        }
    }
    return 0;
}
