#pragma once
// Test-side PNG plumbing written straight from the file format, independent of
// the codec under test: pictures to encode, a chunk splitter and a file builder
// for hand-made and damaged files.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/Image.h"

namespace mirulo::image::test {

enum class Pattern {
    Noise,         // random bytes: nothing to predict
    Flat,          // one colour
    Ramp,          // colour grows linearly across and down
    SmoothNoise,   // slowly varying values with small noise, like a photo
    ColumnStripes, // every row equal to the one above
    Desktop,       // flat windows, glyph-like specks and a gradient bar
    DiagonalNoise, // noise along diagonals: each row is the one above shifted by a pixel
    TileMap,       // 16-pixel tiles of noise, each one of four drawn at random: far matches
    Wallpaper,     // a slow gradient with grain and rare bright specks, like a photo's sky
    DarkGrain,     // a dim gradient under strong sensor noise, like a dark game scene
};

// A picture of the given size whose pixels follow `pattern`; `seed` varies the
// random parts. With 4 channels the alpha bytes vary too.
Image MakePicture(std::uint32_t width, std::uint32_t height, std::uint32_t channels, Pattern pattern,
                  std::uint32_t seed = 1);

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

// Splits a PNG file into its chunks, checking the signature, the lengths and
// every CRC; a failed check is reported as a test failure and ends the split.
std::vector<Chunk> SplitChunks(std::span<const std::uint8_t> file);

// Signature and the chunks, each with its length and CRC.
std::vector<std::uint8_t> BuildPng(const std::vector<Chunk>& chunks);

Chunk MakeIhdr(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth, std::uint8_t colourType,
               std::uint8_t interlace = 0);

// zlib stream of `raw` (compress2), and its inverse for streams of known size.
std::vector<std::uint8_t> ZlibCompress(std::span<const std::uint8_t> raw, int level = 6);
std::vector<std::uint8_t> ZlibInflate(std::span<const std::uint8_t> stream, std::size_t expectedSize);

// All IDAT payloads of a file joined together.
std::vector<std::uint8_t> JoinedImageData(const std::vector<Chunk>& chunks);

} // namespace mirulo::image::test
