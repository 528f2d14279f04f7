#pragma once
// Writes captures as PNG files: 8-bit truecolour (colour type 2), no alpha,
// not interlaced, one zlib stream; and 8-bit palette pictures (colour type 3
// with a PLTE chunk) for the grey-scale copies.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/GreyScale.h"
#include "image/Image.h"

namespace mirulo::image {

// How the four bytes of a 32-bit pixel are laid out in memory.
enum class PixelLayout : std::uint8_t {
    Rgb,  // 3 bytes: R, G, B
    Rgba, // 4 bytes: R, G, B, A (A dropped)
    Bgrx, // 4 bytes: B, G, R, unused (a Windows DIB section)
};

// Rows of pixels that stay owned by the caller, `stride` bytes apart, top-down.
struct PixelRows {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::size_t stride = 0;
    PixelLayout layout = PixelLayout::Rgb;
    const std::uint8_t* first = nullptr; // row 0
    std::size_t size = 0;                // bytes readable from `first`
};

// Encodes the rows as a complete PNG file (signature, IHDR, IDAT..., IEND).
//
// `level` is on zlib's scale 0..9; at 7, the level captures use, files come out
// no larger than libpng's at its level 7 on screen content, in a fraction of the
// time. Each row is given the filter whose residuals look cheapest to deflate.
// The filtered rows are cut into bands of about a megabyte that are deflated
// independently, on up to `threads` threads (0: one per processor): the
// calling thread and threads of the process's WorkerPool, and joined into one
// zlib stream;
// the bands depend on the picture's size only, so the bytes are the same for
// any number of threads. Pictures encoded from several threads at once take
// the pool in turn.
//
// Throws CodecError for a picture with no pixels, a width or height beyond the
// format's 2^31-1, rows that do not fit `size`, or a `level` outside 0..9.
std::vector<std::uint8_t> EncodePng(const PixelRows& rows, int level = 7, unsigned threads = 0);

// The same for a picture in memory; `picture.channels` may be 3 (RGB) or 4
// (RGBA, the alpha byte of every pixel dropped, as a saved capture never
// carries transparency). Throws CodecError for any other channel count and for
// a pixel buffer whose size does not match width, height and channels.
std::vector<std::uint8_t> EncodePng(const Image& picture, int level = 7, unsigned threads = 0);

// Encodes an 8-bit palette picture (colour type 3, bit depth 8, PLTE with the
// picture's palette, no tRNS), filtered and streamed like the truecolour files.
// Throws CodecError for an empty or oversized picture, an index buffer that does
// not match the size, a palette of 0 or more than 256 entries, an index beyond
// the palette, or a `zlibLevel` outside 0..9.
std::vector<std::uint8_t> EncodePng(const IndexedImage& picture, int zlibLevel = 7);

// Has the encoding threads build, ahead of the first picture, what they keep
// from one picture to the next for pictures `width` pixels wide at `level`:
// their compressors and buffers, which the first picture would otherwise wait
// for (a thread start costs milliseconds under some systems, and every page
// touched for the first time costs as well). They give it back, as always,
// once idle for a while. Does nothing for a width or level it cannot encode.
void WarmUpPngEncoder(std::uint32_t width, int level = 7, unsigned threads = 0);

} // namespace mirulo::image
