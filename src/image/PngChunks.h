#pragma once
// Writing the chunks every PNG file of ours has, shared by both writers.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mirulo::image::png {

// Appends one chunk (length, type, data, CRC) to the end of `file`.
void AppendChunk(std::vector<std::uint8_t>& file, std::uint32_t type, const std::uint8_t* data,
                 std::size_t size);

// Appends the IHDR chunk of an 8-bit, non-interlaced picture of `colourType`.
void AppendHeader(std::vector<std::uint8_t>& file, std::uint32_t width, std::uint32_t height,
                  std::uint8_t colourType);

} // namespace mirulo::image::png
