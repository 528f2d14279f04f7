// Any bytes: decoding ends in a picture or a CodecError, never a crash, a hang
// or an allocation beyond the limits. Random mutations rarely keep the chunk
// CRCs right, so each input is also decoded with its CRCs repaired, which lets
// the fuzzer reach the image data.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include <zlib.h>

#include "image/PngReader.h"

namespace {

using mirulo::image::CodecError;
using mirulo::image::DecodePng;
using mirulo::image::Image;
using mirulo::image::PngLimits;

std::uint32_t Load32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::vector<std::uint8_t> WithRepairedCrcs(std::span<const std::uint8_t> file) {
    std::vector<std::uint8_t> copy(file.begin(), file.end());
    std::size_t offset = 8;
    while (copy.size() >= offset + 12) {
        const std::uint32_t length = Load32(&copy[offset]);
        if (copy.size() - offset - 12 < length) {
            break;
        }
        const auto crc = static_cast<std::uint32_t>(crc32(0, &copy[offset + 4], length + 4));
        for (std::size_t i = 0; i < 4; ++i) {
            copy[offset + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        }
        offset += 12 + std::size_t{length};
    }
    return copy;
}

void Decode(std::span<const std::uint8_t> file) {
    PngLimits limits;
    limits.maxPixels = std::uint64_t{1} << 22;
    limits.maxImageBytes = std::size_t{16} << 20;
    try {
        const Image image = DecodePng(file, limits);
        if ((image.channels != 3 && image.channels != 4) || image.width == 0 || image.height == 0 ||
            image.pixels.size() != std::size_t{image.width} * image.height * image.channels) {
            std::abort();
        }
    } catch (const CodecError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    Decode(file);
    const std::vector<std::uint8_t> repaired = WithRepairedCrcs(file);
    if (!std::equal(repaired.begin(), repaired.end(), file.begin())) {
        Decode(repaired);
    }
    return 0;
}
