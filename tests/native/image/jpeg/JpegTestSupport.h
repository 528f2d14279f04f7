#pragma once
// Helpers shared by the JPEG codec tests: pictures to encode, fixture files and
// a reader for the marker segments of a JPEG file.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/Image.h"

namespace mirulo::image::testing {

using Bytes = std::vector<std::uint8_t>;

// Smooth colour ramps across the picture: JPEG's favourite kind of content.
Image GradientPicture(std::uint32_t width, std::uint32_t height);

// The bytes of tests/native/image/jpeg/fixtures/<name>.
Bytes ReadFixture(const std::string& name);

struct Segment {
    std::uint8_t marker = 0; // the byte after 0xFF
    std::size_t offset = 0;  // of the 0xFF
    Bytes payload;           // without the length field
};

// The marker segments from SOI up to and including the first SOS.
std::vector<Segment> HeaderSegments(std::span<const std::uint8_t> jpeg);

// Offsets of every SOS marker in the file (entropy-coded data never contains
// 0xFF 0xDA, since a data 0xFF is followed by 0x00).
std::vector<std::size_t> ScanOffsets(std::span<const std::uint8_t> jpeg);

struct PixelError {
    double mean = 0; // mean absolute difference per sample
    int max = 0;
};
PixelError Compare(const Image& a, const Image& b);

} // namespace mirulo::image::testing
