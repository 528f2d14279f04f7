#pragma once
// Reading JPEG files (the program's own captures and any picture the user puts
// in the save folder) through libjpeg.
#include <cstdint>
#include <span>

#include "image/Image.h"

namespace mirulo::image {

// Bounds on what one file may make the decoder do, so that a hostile or broken
// file cannot exhaust memory or time.
struct JpegLimits {
    std::uint32_t maxWidth = 65500; // JPEG's own maximum
    std::uint32_t maxHeight = 65500;
    std::uint64_t maxPixels = 128ull * 1024 * 1024; // 384 MiB as RGB
    // libjpeg's whole-picture buffers (progressive and multi-scan files keep
    // every DCT coefficient: 2 bytes per sample or more).
    std::uint64_t maxWorkingMemory = 1ull << 30;
    // Real progressive files have about ten scans; each scan costs a pass over
    // the whole picture, so a file with thousands of tiny scans is refused.
    int maxScans = 100;
};

// Decodes a JPEG file into an RGB picture (channels == 3). Greyscale files come
// out grey in all three channels; CMYK and YCCK files are converted to RGB,
// reading the inverted samples that Adobe applications write when the file
// carries an Adobe marker.
//
// Throws CodecError, with a message fit to show to the user, for anything that
// is not a complete 8-bit JPEG picture within the limits: empty or garbage
// input, 12-bit samples, colour layouts other than grey, RGB/YCbCr and
// CMYK/YCCK, too many scans, and corrupt or truncated compressed data. libjpeg
// would pad a truncated file with grey and show it; a viewer must not pass a
// damaged file off as a picture, so data that ends before the picture is
// complete is an error. Only a missing final end-of-image marker is forgiven,
// where libjpeg can tell that no picture data was lost (one interleaved
// Huffman-coded scan).
Image DecodeJpeg(std::span<const std::uint8_t> bytes, const JpegLimits& limits = {});

} // namespace mirulo::image
