// Any bytes given to the JPEG decoder end in a picture or a CodecError: no
// crash, no hang, bounded memory. A picture that decodes is written again by
// our encoder, and that file must decode to the same size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "image/JpegReader.h"
#include "image/JpegWriter.h"

using mirulo::image::CodecError;
using mirulo::image::DecodeJpeg;
using mirulo::image::EncodeJpeg;
using mirulo::image::Image;
using mirulo::image::JpegLimits;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Tighter than the viewer's limits so that each run stays fast; the seed
    // with 100 scans runs into the scan limit.
    JpegLimits limits;
    limits.maxPixels = 1u << 20;
    limits.maxWorkingMemory = 64u << 20;
    limits.maxScans = 32;

    Image picture;
    try {
        picture = DecodeJpeg(std::span<const std::uint8_t>(data, size), limits);
    } catch (const CodecError&) {
        return 0;
    }
    if (picture.channels != 3 || picture.width == 0 || picture.height == 0 ||
        picture.pixels.size() != picture.stride() * picture.height) {
        std::abort();
    }
    if (picture.pixels.size() <= 256u * 256u * 3u) {
        const Image again = DecodeJpeg(EncodeJpeg(picture));
        if (again.width != picture.width || again.height != picture.height) {
            std::abort();
        }
    }
    return 0;
}
