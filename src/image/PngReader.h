#pragma once
// Reads PNG files of every colour type, bit depth and interlace method into an
// 8-bit RGB or RGBA picture, refusing corrupt or oversized input with CodecError.
#include <cstddef>
#include <cstdint>
#include <span>

#include "image/Image.h"

namespace mirulo::image {

// What the IHDR chunk says about a file.
struct PngInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 0;   // 1, 2, 4, 8 or 16
    std::uint8_t colourType = 0; // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    bool interlaced = false;     // Adam7
};

// Bounds on what a decode may cost. The defaults cover any desktop a capture
// can come from (8K monitors side by side) while keeping a hostile file from
// taking more than about 1 GiB.
struct PngLimits {
    std::uint32_t maxWidth = 32768;
    std::uint32_t maxHeight = 32768;
    std::uint64_t maxPixels = std::uint64_t{1} << 28;
    // Size of the decoded Image::pixels.
    std::size_t maxImageBytes = std::size_t{1} << 30;
    // Ancillary chunks (text, colour profiles, ...) are skipped, but a file made
    // of little else is refused rather than walked through.
    std::uint32_t maxAncillaryChunks = 1000;
    std::size_t maxAncillaryBytes = std::size_t{16} << 20;
};

// Checks the signature and the IHDR chunk (CRC and field values) and returns
// its contents. Throws CodecError when the file does not start like a valid PNG.
PngInfo ReadPngHeader(std::span<const std::uint8_t> bytes);

// Decodes a whole PNG file. The result has 4 channels (RGBA) when the file has an
// alpha channel or a tRNS chunk, else 3 (RGB); grey is expanded to RGB, palettes
// are looked up, samples of 1, 2 and 4 bits are scaled to 0..255 and 16-bit
// samples are rounded to 8 bits. Interlaced files come out de-interlaced.
//
// Every chunk's CRC and the image data's Adler-32 are checked; the image data
// must inflate to exactly the size that IHDR implies. Ancillary chunks other
// than tRNS are skipped (tRNS that does not fit the colour type is ignored).
// Throws CodecError, with a short English reason starting with "PNG: ", on
// corrupt or truncated data and when `limits` are exceeded.
Image DecodePng(std::span<const std::uint8_t> bytes, const PngLimits& limits = {});

} // namespace mirulo::image
