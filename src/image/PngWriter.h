#pragma once
// Writes captures as PNG files: 8-bit truecolour (colour type 2), no alpha,
// not interlaced, one deflate stream through zlib; and 8-bit palette pictures
// (colour type 3 with a PLTE chunk) for the grey-scale copies.
#include <cstdint>
#include <vector>

#include "image/GreyScale.h"
#include "image/Image.h"

namespace mirulo::image {

// Encodes `picture` as a complete PNG file (signature, IHDR, IDAT..., IEND).
//
// `picture.channels` may be 3 (RGB) or 4 (RGBA); with 4 the alpha byte of every
// pixel is dropped, as a saved capture never carries transparency. Each row is
// given the filter whose residuals look cheapest to deflate (sum of residual
// magnitudes, each capped so that a few large jumps do not outweigh many small
// ones), and rows are streamed through deflate, so no filtered copy of the whole
// picture is ever held.
//
// Throws CodecError for a picture with no pixels, a width or height beyond the
// format's 2^31-1, a pixel buffer whose size does not match width, height and
// channels, any other channel count, or a `zlibLevel` outside 0..9.
std::vector<std::uint8_t> EncodePng(const Image& picture, int zlibLevel = 7);

// Encodes an 8-bit palette picture (colour type 3, bit depth 8, PLTE with the
// picture's palette, no tRNS), filtered and streamed like the truecolour files.
// Throws CodecError for an empty or oversized picture, an index buffer that does
// not match the size, a palette of 0 or more than 256 entries, an index beyond
// the palette, or a `zlibLevel` outside 0..9.
std::vector<std::uint8_t> EncodePng(const IndexedImage& picture, int zlibLevel = 7);

} // namespace mirulo::image
