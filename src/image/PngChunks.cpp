#include "image/PngChunks.h"

#include <array>
#include <cstring>

#include <zlib.h>

#include "image/PngFormat.h"

namespace mirulo::image::png {

void AppendChunk(std::vector<std::uint8_t>& file, std::uint32_t type, const std::uint8_t* data,
                 std::size_t size) {
    const std::size_t start = file.size();
    file.resize(start + 12 + size);
    std::uint8_t* chunk = file.data() + start;
    StoreBigEndian32(chunk, static_cast<std::uint32_t>(size));
    StoreBigEndian32(chunk + 4, type);
    if (size > 0) {
        std::memcpy(chunk + 8, data, size);
    }
    StoreBigEndian32(chunk + 8 + size, static_cast<std::uint32_t>(crc32_z(0, chunk + 4, 4 + size)));
}

void AppendHeader(std::vector<std::uint8_t>& file, std::uint32_t width, std::uint32_t height,
                  std::uint8_t colourType) {
    std::array<std::uint8_t, 13> header{};
    StoreBigEndian32(header.data(), width);
    StoreBigEndian32(header.data() + 4, height);
    header[8] = 8; // bits per sample
    header[9] = colourType;
    // Compression method, filter method and interlace method all stay 0.
    AppendChunk(file, kIhdr, header.data(), header.size());
}

} // namespace mirulo::image::png
