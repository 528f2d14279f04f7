#include "image/PngReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#define ZLIB_CONST
#include <zlib.h>

#include "image/PngFormat.h"

namespace mirulo::image {
namespace {

[[noreturn]] void Fail(const std::string& reason) {
    throw CodecError("PNG: " + reason);
}

// Deflate cannot expand data by more than 1032:1 (a 258-byte match in two bits),
// so image data that would need more is known to be truncated before anything
// is allocated for it.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

// Even with limits raised by a caller, pixel counts stay where byte sizes
// cannot overflow 64 bits.
constexpr std::uint64_t kHardPixelLimit = std::uint64_t{1} << 40;

// zlib counts in 32-bit units; rows of extreme widths are inflated in pieces.
constexpr std::size_t kMaxInflatePiece = std::size_t{1} << 30;

struct Chunk {
    std::uint32_t type = 0;
    const std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    std::size_t next = 0; // offset of the following chunk
};

bool IsLetter(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string ChunkName(std::uint32_t type) {
    std::string name(4, ' ');
    for (std::size_t i = 0; i < 4; ++i) {
        name[i] = static_cast<char>(type >> (24 - 8 * i));
    }
    return name;
}

// Reads the chunk at `offset`, checking that it lies inside the file and that
// its CRC is right.
Chunk ReadChunk(std::span<const std::uint8_t> file, std::size_t offset) {
    if (file.size() - offset < 8) {
        Fail("truncated file");
    }
    const std::uint8_t* header = file.data() + offset;
    Chunk chunk;
    chunk.length = png::LoadBigEndian32(header);
    chunk.type = png::LoadBigEndian32(header + 4);
    if (!IsLetter(header[4]) || !IsLetter(header[5]) || !IsLetter(header[6]) || !IsLetter(header[7])) {
        Fail("bad chunk type");
    }
    if (chunk.length > png::kMaxChunkLength) {
        Fail("bad length of " + ChunkName(chunk.type) + " chunk");
    }
    if (file.size() - offset - 8 < std::size_t{chunk.length} + 4) {
        Fail("truncated " + ChunkName(chunk.type));
    }
    chunk.data = header + 8;
    const auto crc = static_cast<std::uint32_t>(crc32_z(0, header + 4, std::size_t{chunk.length} + 4));
    if (crc != png::LoadBigEndian32(chunk.data + chunk.length)) {
        Fail("CRC error in " + ChunkName(chunk.type));
    }
    chunk.next = offset + 12 + chunk.length;
    return chunk;
}

bool ValidDepthForColourType(std::uint8_t colourType, std::uint8_t depth) {
    switch (colourType) {
    case png::kColourGray:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case png::kColourPalette:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case png::kColourRgb:
    case png::kColourGrayAlpha:
    case png::kColourRgba:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

unsigned SamplesPerPixel(std::uint8_t colourType) {
    switch (colourType) {
    case png::kColourRgb:
        return 3;
    case png::kColourGrayAlpha:
        return 2;
    case png::kColourRgba:
        return 4;
    default:
        return 1;
    }
}

std::uint16_t LoadBigEndian16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

// Rounds a 16-bit sample to the nearest 8-bit one (v * 255 / 65535).
std::uint8_t Reduce16(std::uint16_t value) {
    return static_cast<std::uint8_t>((value * 255u + 32767u) / 65535u);
}

// Everything the chunks before and around the image data say.
struct Layout {
    PngInfo info;
    // RGBA per palette index; indices beyond the palette read as opaque black.
    std::array<std::uint8_t, 256 * 4> palette{};
    bool hasPalette = false;
    bool hasTransparency = false;
    std::array<std::uint16_t, 3> transparentSample{}; // tRNS of grey (first) or RGB
    std::size_t firstIdat = 0;
    std::uint64_t idatBytes = 0;
};

void ReadPalette(const Chunk& chunk, Layout& layout) {
    if (chunk.length == 0 || chunk.length % 3 != 0 || chunk.length > 256 * 3) {
        Fail("bad PLTE");
    }
    for (std::size_t i = 0; i < chunk.length / 3; ++i) {
        std::memcpy(&layout.palette[i * 4], chunk.data + i * 3, 3);
    }
    layout.hasPalette = true;
}

// A tRNS chunk that does not fit the colour type is ignored, as it is an
// ancillary chunk.
void ReadTransparency(const Chunk& chunk, Layout& layout) {
    if (layout.hasTransparency) {
        return;
    }
    switch (layout.info.colourType) {
    case png::kColourGray:
        if (chunk.length == 2) {
            layout.transparentSample[0] = LoadBigEndian16(chunk.data);
            layout.hasTransparency = true;
        }
        break;
    case png::kColourRgb:
        if (chunk.length == 6) {
            for (std::size_t i = 0; i < 3; ++i) {
                layout.transparentSample[i] = LoadBigEndian16(chunk.data + 2 * i);
            }
            layout.hasTransparency = true;
        }
        break;
    case png::kColourPalette:
        if (layout.hasPalette && chunk.length > 0 && chunk.length <= 256) {
            for (std::size_t i = 0; i < chunk.length; ++i) {
                layout.palette[i * 4 + 3] = chunk.data[i];
            }
            layout.hasTransparency = true;
        }
        break;
    default:
        break; // grey+alpha and RGBA carry their own alpha
    }
}

// Bytes of one filtered row (without its filter-type byte) of `width` pixels.
std::uint64_t RowBytes(const PngInfo& info, std::uint64_t width) {
    const std::uint64_t bitsPerPixel = std::uint64_t{SamplesPerPixel(info.colourType)} * info.bitDepth;
    return (width * bitsPerPixel + 7) / 8;
}

struct Pass {
    std::uint32_t x0, y0, dx, dy;
};
constexpr std::array<Pass, 7> kAdam7 = {{
    {0, 0, 8, 8},
    {4, 0, 8, 8},
    {0, 4, 4, 8},
    {2, 0, 4, 4},
    {0, 2, 2, 4},
    {1, 0, 2, 2},
    {0, 1, 1, 2},
}};

std::uint32_t PassExtent(std::uint32_t size, std::uint32_t start, std::uint32_t step) {
    return size > start ? (size - start + step - 1) / step : 0;
}

// Size of the inflated image data: every row of every (non-empty) pass with its
// filter-type byte.
std::uint64_t InflatedSize(const PngInfo& info) {
    if (!info.interlaced) {
        return std::uint64_t{info.height} * (RowBytes(info, info.width) + 1);
    }
    std::uint64_t total = 0;
    for (const Pass& pass : kAdam7) {
        const std::uint32_t width = PassExtent(info.width, pass.x0, pass.dx);
        const std::uint32_t height = PassExtent(info.height, pass.y0, pass.dy);
        if (width != 0 && height != 0) {
            total += std::uint64_t{height} * (RowBytes(info, width) + 1);
        }
    }
    return total;
}

// Walks every chunk up to IEND: checks the CRCs and the chunk order, reads
// PLTE and tRNS, finds the image data and applies the ancillary-chunk limits.
Layout ScanChunks(std::span<const std::uint8_t> file, const PngInfo& info, const PngLimits& limits) {
    Layout layout;
    layout.info = info;
    for (std::size_t i = 0; i < 256; ++i) {
        layout.palette[i * 4 + 3] = 255;
    }
    bool inImageData = false;
    bool imageDataEnded = false;
    std::uint32_t ancillaryChunks = 0;
    std::uint64_t ancillaryBytes = 0;
    std::size_t offset = png::kSignature.size() + 25; // after IHDR
    for (;;) {
        if (offset == file.size()) {
            Fail(inImageData || imageDataEnded ? "missing IEND" : "missing IDAT");
        }
        const Chunk chunk = ReadChunk(file, offset);
        if (chunk.type == png::kIdat) {
            if (imageDataEnded) {
                Fail("IDAT chunks are not consecutive");
            }
            if (info.colourType == png::kColourPalette && !layout.hasPalette) {
                Fail("missing PLTE");
            }
            if (!inImageData) {
                inImageData = true;
                layout.firstIdat = offset;
            }
            layout.idatBytes += chunk.length;
        } else {
            if (inImageData) {
                inImageData = false;
                imageDataEnded = true;
            }
            if (chunk.type == png::kIend) {
                if (!imageDataEnded) {
                    Fail("missing IDAT");
                }
                return layout; // anything after IEND is not part of the file
            }
            if (chunk.type == png::kIhdr) {
                Fail("duplicate IHDR");
            } else if (chunk.type == png::kPlte) {
                if (imageDataEnded) {
                    Fail("PLTE after IDAT");
                }
                if (layout.hasPalette) {
                    Fail("duplicate PLTE");
                }
                // A suggested palette in an RGB file is checked and then unused;
                // in a grey file it has no meaning at all.
                if (info.colourType != png::kColourGray && info.colourType != png::kColourGrayAlpha) {
                    ReadPalette(chunk, layout);
                }
            } else if ((chunk.type & 0x20000000u) == 0) { // upper-case first letter
                Fail("unknown critical chunk " + ChunkName(chunk.type));
            } else {
                ++ancillaryChunks;
                ancillaryBytes += chunk.length;
                if (ancillaryChunks > limits.maxAncillaryChunks) {
                    Fail("too many ancillary chunks");
                }
                if (ancillaryBytes > limits.maxAncillaryBytes) {
                    Fail("ancillary chunks too large");
                }
                if (chunk.type == png::kTrns && !imageDataEnded) {
                    ReadTransparency(chunk, layout);
                }
            }
        }
        offset = chunk.next;
    }
}

// Inflates the zlib stream spread over the consecutive IDAT chunks, never
// producing more than the caller asks for.
class ImageDataInflater {
public:
    ImageDataInflater(std::span<const std::uint8_t> file, std::size_t firstIdat)
        : file_(file), nextChunk_(firstIdat) {
        if (inflateInit(&stream_) != Z_OK) {
            Fail("zlib could not be initialised");
        }
    }
    ~ImageDataInflater() { inflateEnd(&stream_); }
    ImageDataInflater(const ImageDataInflater&) = delete;
    ImageDataInflater& operator=(const ImageDataInflater&) = delete;

    // Fills exactly `size` bytes.
    void Read(std::uint8_t* out, std::size_t size) {
        while (size > 0) {
            const std::size_t piece = std::min(size, kMaxInflatePiece);
            stream_.next_out = out;
            stream_.avail_out = static_cast<uInt>(piece);
            while (stream_.avail_out > 0) {
                if (streamEnded_) {
                    Fail("truncated image data");
                }
                Step();
            }
            out += piece;
            size -= piece;
        }
    }

    // Requires the zlib stream to end here (which also checks its Adler-32),
    // with no data after it.
    void Finish() {
        std::uint8_t excess = 0;
        stream_.next_out = &excess;
        stream_.avail_out = 1;
        while (!streamEnded_) {
            Step();
            if (stream_.avail_out == 0) {
                Fail("too much image data");
            }
        }
        do {
            if (stream_.avail_in > 0) {
                Fail("data after the end of the image data");
            }
        } while (LoadNextChunk());
    }

private:
    void Step() {
        while (stream_.avail_in == 0) {
            if (!LoadNextChunk()) {
                Fail("truncated image data");
            }
        }
        const int result = inflate(&stream_, Z_NO_FLUSH);
        switch (result) {
        case Z_OK:
        case Z_BUF_ERROR: // no progress possible: more input follows
            return;
        case Z_STREAM_END:
            streamEnded_ = true;
            return;
        case Z_NEED_DICT:
            Fail("corrupt image data (preset dictionary)");
        case Z_MEM_ERROR:
            Fail("out of memory");
        default:
            if (stream_.msg != nullptr && std::strcmp(stream_.msg, "incorrect data check") == 0) {
                Fail("bad Adler-32 checksum of the image data");
            }
            Fail(std::string("corrupt image data (") + (stream_.msg != nullptr ? stream_.msg : "zlib error") +
                 ")");
        }
    }

    // The chunks were checked by ScanChunks; this only follows them.
    bool LoadNextChunk() {
        const std::uint8_t* header = file_.data() + nextChunk_;
        if (png::LoadBigEndian32(header + 4) != png::kIdat) {
            return false;
        }
        const std::uint32_t length = png::LoadBigEndian32(header);
        stream_.next_in = header + 8;
        stream_.avail_in = length;
        nextChunk_ += 12 + std::size_t{length};
        return true;
    }

    std::span<const std::uint8_t> file_;
    std::size_t nextChunk_;
    z_stream stream_{};
    bool streamEnded_ = false;
};

template <std::size_t Bpp>
void UnfilterRow(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above, std::size_t size) {
    switch (filter) {
    case 0:
        break;
    case 1:
        for (std::size_t i = Bpp; i < size; ++i) {
            row[i] = static_cast<std::uint8_t>(row[i] + row[i - Bpp]);
        }
        break;
    case 2:
        for (std::size_t i = 0; i < size; ++i) {
            row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
        }
        break;
    case 3:
        for (std::size_t i = 0; i < Bpp && i < size; ++i) {
            row[i] = static_cast<std::uint8_t>(row[i] + (above[i] >> 1));
        }
        for (std::size_t i = Bpp; i < size; ++i) {
            row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - Bpp] + above[i]) >> 1));
        }
        break;
    case 4:
        for (std::size_t i = 0; i < Bpp && i < size; ++i) {
            row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
        }
        for (std::size_t i = Bpp; i < size; ++i) {
            row[i] = static_cast<std::uint8_t>(row[i] +
                                               png::PaethPredictor(row[i - Bpp], above[i], above[i - Bpp]));
        }
        break;
    default:
        Fail("bad filter type " + std::to_string(filter));
    }
}

void UnfilterRow(std::size_t bpp, std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above,
                 std::size_t size) {
    switch (bpp) {
    case 1:
        return UnfilterRow<1>(filter, row, above, size);
    case 2:
        return UnfilterRow<2>(filter, row, above, size);
    case 3:
        return UnfilterRow<3>(filter, row, above, size);
    case 4:
        return UnfilterRow<4>(filter, row, above, size);
    case 6:
        return UnfilterRow<6>(filter, row, above, size);
    default:
        return UnfilterRow<8>(filter, row, above, size);
    }
}

// Turns unfiltered rows of any colour type and depth into 8-bit RGB or RGBA
// pixels, `step` bytes apart in the output (wider than a pixel for the
// interlace passes).
class PixelExpander {
public:
    PixelExpander(const Layout& layout, std::uint32_t channels) : layout_(layout), channels_(channels) {}

    void Expand(const std::uint8_t* raw, std::uint32_t count, std::uint8_t* out, std::size_t step) const {
        const PngInfo& info = layout_.info;
        const bool alphaOut = channels_ == 4;
        switch (info.colourType) {
        case png::kColourGray:
            return ExpandGray(raw, count, out, step);
        case png::kColourPalette:
            for (std::uint32_t x = 0; x < count; ++x, out += step) {
                const unsigned index = info.bitDepth == 8 ? raw[x] : SubByteSample(raw, x);
                std::memcpy(out, &layout_.palette[std::size_t{index} * 4], channels_);
            }
            return;
        case png::kColourRgb:
            if (info.bitDepth == 8 && !alphaOut && step == 3) {
                std::memcpy(out, raw, std::size_t{count} * 3);
                return;
            }
            for (std::uint32_t x = 0; x < count; ++x, out += step) {
                std::array<std::uint16_t, 3> sample{};
                for (std::size_t c = 0; c < 3; ++c) {
                    sample[c] = info.bitDepth == 8 ? raw[std::size_t{x} * 3 + c]
                                                   : LoadBigEndian16(raw + (std::size_t{x} * 3 + c) * 2);
                    out[c] = info.bitDepth == 8 ? static_cast<std::uint8_t>(sample[c]) : Reduce16(sample[c]);
                }
                if (alphaOut) {
                    out[3] = sample == layout_.transparentSample ? 0 : 255;
                }
            }
            return;
        case png::kColourGrayAlpha:
            for (std::uint32_t x = 0; x < count; ++x, out += step) {
                const std::uint8_t gray = Sample8(raw, std::size_t{x} * 2);
                out[0] = out[1] = out[2] = gray;
                out[3] = Sample8(raw, std::size_t{x} * 2 + 1);
            }
            return;
        default: // RGBA
            if (info.bitDepth == 8 && step == 4) {
                std::memcpy(out, raw, std::size_t{count} * 4);
                return;
            }
            for (std::uint32_t x = 0; x < count; ++x, out += step) {
                for (std::size_t c = 0; c < 4; ++c) {
                    out[c] = Sample8(raw, std::size_t{x} * 4 + c);
                }
            }
            return;
        }
    }

private:
    void ExpandGray(const std::uint8_t* raw, std::uint32_t count, std::uint8_t* out, std::size_t step) const {
        const unsigned depth = layout_.info.bitDepth;
        const bool alphaOut = channels_ == 4;
        const std::uint16_t transparent = layout_.transparentSample[0];
        const unsigned scale = depth < 8 ? 255u / ((1u << depth) - 1u) : 1u;
        for (std::uint32_t x = 0; x < count; ++x, out += step) {
            std::uint16_t sample = 0;
            std::uint8_t gray = 0;
            if (depth == 16) {
                sample = LoadBigEndian16(raw + std::size_t{x} * 2);
                gray = Reduce16(sample);
            } else {
                sample = static_cast<std::uint16_t>(depth == 8 ? raw[x] : SubByteSample(raw, x));
                gray = static_cast<std::uint8_t>(sample * scale);
            }
            out[0] = out[1] = out[2] = gray;
            if (alphaOut) {
                out[3] = sample == transparent ? 0 : 255;
            }
        }
    }

    // The x-th sample of a row packed at 1, 2 or 4 bits, leftmost pixel in the
    // high bits.
    unsigned SubByteSample(const std::uint8_t* raw, std::uint32_t x) const {
        const unsigned depth = layout_.info.bitDepth;
        const std::size_t bit = std::size_t{x} * depth;
        const unsigned shift = 8u - depth - static_cast<unsigned>(bit % 8);
        return (raw[bit / 8] >> shift) & ((1u << depth) - 1u);
    }

    // The i-th sample of a row of 8- or 16-bit samples, as 8 bits.
    std::uint8_t Sample8(const std::uint8_t* raw, std::size_t i) const {
        return layout_.info.bitDepth == 8 ? raw[i] : Reduce16(LoadBigEndian16(raw + i * 2));
    }

    const Layout& layout_;
    std::uint32_t channels_;
};

} // namespace

PngInfo ReadPngHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < png::kSignature.size() ||
        !std::equal(png::kSignature.begin(), png::kSignature.end(), bytes.begin())) {
        Fail("not a PNG file");
    }
    const Chunk chunk = ReadChunk(bytes, png::kSignature.size());
    if (chunk.type != png::kIhdr) {
        Fail("missing IHDR");
    }
    if (chunk.length != 13) {
        Fail("bad IHDR");
    }
    PngInfo info;
    info.width = png::LoadBigEndian32(chunk.data);
    info.height = png::LoadBigEndian32(chunk.data + 4);
    info.bitDepth = chunk.data[8];
    info.colourType = chunk.data[9];
    if (info.width == 0 || info.height == 0 || info.width > png::kMaxDimension ||
        info.height > png::kMaxDimension) {
        Fail("bad image size " + std::to_string(info.width) + "x" + std::to_string(info.height));
    }
    if (!ValidDepthForColourType(info.colourType, info.bitDepth)) {
        Fail("bad bit depth " + std::to_string(info.bitDepth) + " for colour type " +
             std::to_string(info.colourType));
    }
    if (chunk.data[10] != 0) {
        Fail("unknown compression method");
    }
    if (chunk.data[11] != 0) {
        Fail("unknown filter method");
    }
    if (chunk.data[12] > 1) {
        Fail("unknown interlace method");
    }
    info.interlaced = chunk.data[12] == 1;
    return info;
}

Image DecodePng(std::span<const std::uint8_t> bytes, const PngLimits& limits) {
    const PngInfo info = ReadPngHeader(bytes);
    const std::uint64_t pixelCount = std::uint64_t{info.width} * info.height;
    const std::string sizeText = std::to_string(info.width) + "x" + std::to_string(info.height);
    if (info.width > limits.maxWidth || info.height > limits.maxHeight ||
        pixelCount > std::min(limits.maxPixels, kHardPixelLimit)) {
        Fail("image too large (" + sizeText + ")");
    }

    const Layout layout = ScanChunks(bytes, info, limits);
    const std::uint32_t channels = info.colourType == png::kColourGrayAlpha ||
                                           info.colourType == png::kColourRgba || layout.hasTransparency
                                       ? 4
                                       : 3;
    if (pixelCount * channels > limits.maxImageBytes) {
        Fail("image too large (" + sizeText + ")");
    }
    if (InflatedSize(info) / kMaxDeflateRatio > layout.idatBytes) {
        Fail("image data too short for " + sizeText);
    }

    Image image;
    image.width = info.width;
    image.height = info.height;
    image.channels = channels;
    image.pixels.resize(static_cast<std::size_t>(pixelCount * channels));

    const std::size_t bitsPerPixel = std::size_t{SamplesPerPixel(info.colourType)} * info.bitDepth;
    const std::size_t filterBpp = std::max<std::size_t>(1, bitsPerPixel / 8);
    const auto fullRowBytes = static_cast<std::size_t>(RowBytes(info, info.width));
    // Two rows with room for the filter-type byte in front: the row being
    // decoded and the one above it.
    std::vector<std::uint8_t> rowBuffer(fullRowBytes + 1), aboveBuffer(fullRowBytes + 1);
    ImageDataInflater inflater(bytes, layout.firstIdat);
    const PixelExpander expander(layout, channels);

    const auto decodePass = [&](const Pass& pass) {
        const std::uint32_t passWidth = PassExtent(info.width, pass.x0, pass.dx);
        const std::uint32_t passHeight = PassExtent(info.height, pass.y0, pass.dy);
        if (passWidth == 0 || passHeight == 0) {
            return; // empty passes have no rows at all, not even filter bytes
        }
        const auto rowBytes = static_cast<std::size_t>(RowBytes(info, passWidth));
        std::fill_n(aboveBuffer.begin(), rowBytes + 1, std::uint8_t{0});
        for (std::uint32_t r = 0; r < passHeight; ++r) {
            inflater.Read(rowBuffer.data(), rowBytes + 1);
            UnfilterRow(filterBpp, rowBuffer[0], rowBuffer.data() + 1, aboveBuffer.data() + 1, rowBytes);
            const std::uint32_t y = pass.y0 + r * pass.dy;
            expander.Expand(rowBuffer.data() + 1, passWidth, image.row(y) + std::size_t{pass.x0} * channels,
                            std::size_t{pass.dx} * channels);
            std::swap(rowBuffer, aboveBuffer);
        }
    };
    if (info.interlaced) {
        for (const Pass& pass : kAdam7) {
            decodePass(pass);
        }
    } else {
        decodePass(Pass{0, 0, 1, 1});
    }
    inflater.Finish();
    return image;
}

} // namespace mirulo::image
