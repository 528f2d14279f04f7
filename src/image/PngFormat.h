#pragma once
// File-format constants and byte helpers shared by the PNG writer and reader.
#include <array>
#include <cstddef>
#include <cstdint>

namespace mirulo::image::png {

inline constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Chunk lengths are 31-bit; a length with the top bit set is corrupt.
inline constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;
// Width and height share the chunk-length range.
inline constexpr std::uint32_t kMaxDimension = 0x7FFFFFFFu;

inline constexpr std::uint8_t kColourGray = 0;
inline constexpr std::uint8_t kColourRgb = 2;
inline constexpr std::uint8_t kColourPalette = 3;
inline constexpr std::uint8_t kColourGrayAlpha = 4;
inline constexpr std::uint8_t kColourRgba = 6;

enum class Filter : std::uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };
inline constexpr int kFilterCount = 5;

inline std::uint32_t LoadBigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

inline void StoreBigEndian32(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value >> 24);
    p[1] = static_cast<std::uint8_t>(value >> 16);
    p[2] = static_cast<std::uint8_t>(value >> 8);
    p[3] = static_cast<std::uint8_t>(value);
}

constexpr std::uint32_t ChunkType(const char (&name)[5]) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(name[0])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(name[1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(name[2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(name[3]));
}

inline constexpr std::uint32_t kIhdr = ChunkType("IHDR");
inline constexpr std::uint32_t kPlte = ChunkType("PLTE");
inline constexpr std::uint32_t kIdat = ChunkType("IDAT");
inline constexpr std::uint32_t kIend = ChunkType("IEND");
inline constexpr std::uint32_t kTrns = ChunkType("tRNS");

// The Paeth predictor of the PNG filter, written without branches so that
// the encoder's scoring loop vectorises.
inline int PaethPredictor(int left, int up, int upLeft) {
    const int distLeft = up > upLeft ? up - upLeft : upLeft - up;
    const int distUp = left > upLeft ? left - upLeft : upLeft - left;
    const int sum = left + up - 2 * upLeft;
    const int distUpLeft = sum < 0 ? -sum : sum;
    const int upOrUpLeft = distUp <= distUpLeft ? up : upLeft;
    return (distLeft <= distUp && distLeft <= distUpLeft) ? left : upOrUpLeft;
}

} // namespace mirulo::image::png
