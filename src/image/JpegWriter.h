#pragma once
// Writing captures as JPEG files through libjpeg.
#include <cstdint>
#include <vector>

#include "image/Image.h"

namespace mirulo::image {

// Compresses an RGB picture (channels == 3) as a baseline JPEG file with
// libjpeg's default parameters and the given quality (1 to 100, baseline
// quantisation tables), and returns the file's bytes. Throws CodecError for a
// picture that is not RGB, is empty, exceeds 65500 pixels on a side or whose
// pixel buffer does not match its size, for a quality out of range, and when
// libjpeg fails.
std::vector<std::uint8_t> EncodeJpeg(const Image& rgb, int quality = 90);

} // namespace mirulo::image
