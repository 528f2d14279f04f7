#include "JpegTestSupport.h"

#include <algorithm>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace mirulo::image::testing {

Image GradientPicture(std::uint32_t width, std::uint32_t height) {
    Image picture{width, height, 3, {}};
    picture.pixels.resize(picture.stride() * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* row = picture.row(y);
        for (std::uint32_t x = 0; x < width; ++x) {
            row[x * 3 + 0] = static_cast<std::uint8_t>(x * 255 / std::max(width - 1, 1u));
            row[x * 3 + 1] = static_cast<std::uint8_t>(y * 255 / std::max(height - 1, 1u));
            row[x * 3 + 2] =
                static_cast<std::uint8_t>(255 - (x + y) * 255 / std::max(width + height - 2, 1u));
        }
    }
    return picture;
}

Bytes ReadFixture(const std::string& name) {
    const std::string path = std::string(MIRULO_SOURCE_DIR) + "/tests/native/image/jpeg/fixtures/" + name;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("missing fixture " + path);
    }
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<Segment> HeaderSegments(std::span<const std::uint8_t> jpeg) {
    std::vector<Segment> segments;
    if (jpeg.size() < 2 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) {
        throw std::runtime_error("no SOI marker");
    }
    std::size_t at = 2;
    while (at + 4 <= jpeg.size()) {
        if (jpeg[at] != 0xFF) {
            throw std::runtime_error("expected a marker at offset " + std::to_string(at));
        }
        const std::size_t length = static_cast<std::size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (length < 2 || at + 2 + length > jpeg.size()) {
            throw std::runtime_error("bad segment length at offset " + std::to_string(at));
        }
        segments.push_back({jpeg[at + 1], at,
                            Bytes(jpeg.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                  jpeg.begin() + static_cast<std::ptrdiff_t>(at + 2 + length))});
        if (jpeg[at + 1] == 0xDA) {
            return segments;
        }
        at += 2 + length;
    }
    throw std::runtime_error("no SOS marker");
}

std::vector<std::size_t> ScanOffsets(std::span<const std::uint8_t> jpeg) {
    std::vector<std::size_t> offsets;
    for (std::size_t at = 0; at + 1 < jpeg.size(); ++at) {
        if (jpeg[at] == 0xFF && jpeg[at + 1] == 0xDA) {
            offsets.push_back(at);
        }
    }
    return offsets;
}

PixelError Compare(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height || a.channels != b.channels ||
        a.pixels.size() != b.pixels.size()) {
        throw std::runtime_error("pictures of different shape");
    }
    PixelError error;
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        const int difference = std::abs(int{a.pixels[i]} - int{b.pixels[i]});
        sum += difference;
        error.max = std::max(error.max, difference);
    }
    error.mean = a.pixels.empty() ? 0 : sum / static_cast<double>(a.pixels.size());
    return error;
}

} // namespace mirulo::image::testing
