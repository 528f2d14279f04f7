#pragma once
// A decoded or captured picture in memory: 8 bits per sample, rows top-down and
// tightly packed (stride = width * channels). Captures are RGB; decoders give RGB,
// or RGBA when the file carries transparency.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace mirulo::image {

struct Image {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t channels = 3; // 3 = RGB, 4 = RGBA
    std::vector<std::uint8_t> pixels;

    std::size_t stride() const { return static_cast<std::size_t>(width) * channels; }
    const std::uint8_t* row(std::uint32_t y) const { return pixels.data() + stride() * y; }
    std::uint8_t* row(std::uint32_t y) { return pixels.data() + stride() * y; }
};

// Thrown by the codecs for corrupt, truncated or oversized input and for encoder
// failures; the text is shown to the user as it stands.
class CodecError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace mirulo::image
