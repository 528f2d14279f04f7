#include "PngTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

#include <zlib.h>

namespace mirulo::image::test {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t Load32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void Append32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

std::uint32_t Hash(std::uint32_t value) {
    std::uint32_t hash = (value + 1) * 2654435761u;
    hash ^= hash >> 15;
    hash *= 2246822519u;
    hash ^= hash >> 13;
    return hash;
}

std::uint8_t PatternSample(Pattern pattern, std::uint32_t x, std::uint32_t y, std::uint32_t c,
                           std::uint32_t& random) {
    random = random * 1664525u + 1013904223u;
    const std::uint32_t noise = random >> 24;
    switch (pattern) {
    case Pattern::Noise:
        return static_cast<std::uint8_t>(noise);
    case Pattern::Flat:
        return static_cast<std::uint8_t>(40 + 70 * c);
    case Pattern::Ramp:
        return static_cast<std::uint8_t>(x * (c + 1) + y * (3 - c));
    case Pattern::SmoothNoise:
        return static_cast<std::uint8_t>((x * 3 + y * 2) / 4 + 20 * c + noise % 5);
    case Pattern::ColumnStripes:
        return static_cast<std::uint8_t>((x / 3) * 37 + c * 91);
    case Pattern::Desktop: {
        if (y % 40 < 4) {
            return static_cast<std::uint8_t>(x * 255 / 997 + c * 10); // title bar gradient
        }
        const bool window = (x / 50 + y / 40) % 3 != 0;
        const bool glyph = window && y % 12 < 8 && noise < 40;
        if (glyph) {
            return static_cast<std::uint8_t>(20 + c);
        }
        return window ? 240 : static_cast<std::uint8_t>(30 + 50 * c);
    }
    case Pattern::DiagonalNoise:
        return static_cast<std::uint8_t>(Hash((x + y) % 97 * 4 + c) >> 24);
    case Pattern::Wallpaper:
        return static_cast<std::uint8_t>((x + 2 * y) / 16 + 40 * c + noise % 3 + (noise < 3 ? 40 : 0));
    case Pattern::DarkGrain:
        return static_cast<std::uint8_t>((x + y) / 64 + 8 * c + noise % 29);
    case Pattern::TileMap: {
        const std::uint32_t tile = Hash(x / 16 * 7919 + y / 16 * 104729) % 4;
        return static_cast<std::uint8_t>(Hash(tile * 100000 + x % 16 * 300 + y % 16 * 3 + c) >> 24);
    }
    }
    return 0;
}

} // namespace

Image MakePicture(std::uint32_t width, std::uint32_t height, std::uint32_t channels, Pattern pattern,
                  std::uint32_t seed) {
    Image picture;
    picture.width = width;
    picture.height = height;
    picture.channels = channels;
    picture.pixels.resize(std::size_t{width} * height * channels);
    std::uint32_t random = seed;
    std::uint8_t* out = picture.pixels.data();
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            for (std::uint32_t c = 0; c < channels; ++c) {
                *out++ = c == 3 ? static_cast<std::uint8_t>(x * 7 + y * 13)
                                : PatternSample(pattern, x, y, c, random);
            }
        }
    }
    return picture;
}

std::vector<Chunk> SplitChunks(std::span<const std::uint8_t> file) {
    std::vector<Chunk> chunks;
    if (file.size() < 8 || !std::equal(kSignature.begin(), kSignature.end(), file.begin())) {
        ADD_FAILURE() << "no PNG signature";
        return chunks;
    }
    std::size_t offset = 8;
    while (offset < file.size()) {
        if (file.size() - offset < 12) {
            ADD_FAILURE() << "chunk header cut off at " << offset;
            return chunks;
        }
        const std::uint32_t length = Load32(&file[offset]);
        if (length > 0x7FFFFFFFu || file.size() - offset - 12 < length) {
            ADD_FAILURE() << "bad chunk length at " << offset;
            return chunks;
        }
        const std::uint8_t* typeAndData = &file[offset + 4];
        const auto crc = static_cast<std::uint32_t>(crc32(0, typeAndData, 4 + length));
        if (crc != Load32(typeAndData + 4 + length)) {
            ADD_FAILURE() << "CRC mismatch at " << offset;
            return chunks;
        }
        chunks.push_back({std::string(reinterpret_cast<const char*>(typeAndData), 4),
                          std::vector<std::uint8_t>(typeAndData + 4, typeAndData + 4 + length)});
        offset += 12 + length;
    }
    return chunks;
}

std::vector<std::uint8_t> BuildPng(const std::vector<Chunk>& chunks) {
    std::vector<std::uint8_t> file(kSignature.begin(), kSignature.end());
    for (const Chunk& chunk : chunks) {
        Append32(file, static_cast<std::uint32_t>(chunk.data.size()));
        const std::size_t typeStart = file.size();
        file.insert(file.end(), chunk.type.begin(), chunk.type.end());
        file.insert(file.end(), chunk.data.begin(), chunk.data.end());
        Append32(file, static_cast<std::uint32_t>(
                           crc32(0, &file[typeStart], static_cast<uInt>(file.size() - typeStart))));
    }
    return file;
}

Chunk MakeIhdr(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth, std::uint8_t colourType,
               std::uint8_t interlace) {
    Chunk ihdr{"IHDR", {}};
    Append32(ihdr.data, width);
    Append32(ihdr.data, height);
    ihdr.data.insert(ihdr.data.end(), {bitDepth, colourType, 0, 0, interlace});
    return ihdr;
}

std::vector<std::uint8_t> ZlibCompress(std::span<const std::uint8_t> raw, int level) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> out(size);
    EXPECT_EQ(compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), level), Z_OK);
    out.resize(size);
    return out;
}

std::vector<std::uint8_t> ZlibInflate(std::span<const std::uint8_t> stream, std::size_t expectedSize) {
    std::vector<std::uint8_t> out(expectedSize);
    uLongf size = static_cast<uLongf>(expectedSize);
    uLong sourceSize = static_cast<uLong>(stream.size());
    EXPECT_EQ(uncompress2(out.data(), &size, stream.data(), &sourceSize), Z_OK);
    EXPECT_EQ(size, expectedSize);
    EXPECT_EQ(sourceSize, stream.size()) << "bytes after the zlib stream";
    return out;
}

std::vector<std::uint8_t> JoinedImageData(const std::vector<Chunk>& chunks) {
    std::vector<std::uint8_t> data;
    for (const Chunk& chunk : chunks) {
        if (chunk.type == "IDAT") {
            data.insert(data.end(), chunk.data.begin(), chunk.data.end());
        }
    }
    return data;
}

} // namespace mirulo::image::test
