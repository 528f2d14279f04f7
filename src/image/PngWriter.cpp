#include "image/PngWriter.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include <atomic>
#include <exception>
#include <memory>
#include <thread>

#include <libdeflate.h>
#define ZLIB_CONST
#include <zlib.h>

#include "image/PngFormat.h"

namespace mirulo::image {
namespace {

constexpr std::size_t kBytesPerPixel = 3;

// IDAT payload size. Large chunks keep the per-chunk overhead (12 bytes) out of
// the file size; every decoder handles them, since the format allows 2^31-1.
constexpr std::size_t kIdatCapacity = std::size_t{256} * 1024;

// Filtered bytes per band. Each band is deflated on its own, so a band's first
// rows cannot refer back into the band before it; at a megabyte that costs
// well under 0.1 % of the file, and a 1920x1080 picture gives six bands to
// share between the cores.
constexpr std::size_t kBandBytes = std::size_t{1} << 20;

// libdeflate's level for each zlib level. libdeflate's parsing at a given
// level is stronger than zlib's and its blocks are split and coded better, so
// the same effort gives smaller files than zlib at its level 7 in less time.
constexpr std::array<int, 10> kLibdeflateLevel = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

// From this level on, each band is also deflated by zlib (see BandCompressor).
constexpr int kTwoEngineLevel = 7;
// zlib's level-7 table with the hash chain cut from 256 to 16 links.
constexpr int kZlibGoodLength = 8;
constexpr int kZlibLazyLength = 32;
constexpr int kZlibNiceLength = 128;
constexpr int kZlibChainLength = 16;
// memLevel 9 doubles zlib's hash table over the default 8: fewer collisions.
constexpr int kZlibMemLevel = 9;

// Residuals are scored by magnitude, capped: a residual of 100 costs deflate
// about as many bits as one of 40, so large jumps should not decide the filter.
// With the cap the files of real desktops come out slightly smaller than with
// the plain sum of magnitudes.
constexpr std::uint8_t kResidualCostCap = 32;

// Scores are summed per block in 32-bit counters (vectorisable), then widened.
constexpr std::size_t kScoreBlock = std::size_t{1} << 24;

using FilterCosts = std::array<std::uint64_t, png::kFilterCount>;

inline std::uint32_t ResidualCost(int value, int prediction) {
    const auto residual = static_cast<std::uint8_t>(value - prediction);
    const auto negated = static_cast<std::uint8_t>(prediction - value);
    const std::uint8_t magnitude = residual < negated ? residual : negated;
    return magnitude < kResidualCostCap ? magnitude : kResidualCostCap;
}

// Adds the cost of every filter's residuals for bytes [begin, end) of a row.
// Needs begin >= kBytesPerPixel so that each byte has a left neighbour.
void AddFilterCosts(const std::uint8_t* row, const std::uint8_t* above, std::size_t begin, std::size_t end,
                    FilterCosts& costs) {
    while (begin < end) {
        const std::size_t stop = begin + std::min(end - begin, kScoreBlock);
        std::uint32_t none = 0, sub = 0, up = 0, average = 0, paeth = 0;
        for (std::size_t i = begin; i < stop; ++i) {
            const int value = row[i];
            const int left = row[i - kBytesPerPixel];
            const int upper = above[i];
            const int upperLeft = above[i - kBytesPerPixel];
            none += ResidualCost(value, 0);
            sub += ResidualCost(value, left);
            up += ResidualCost(value, upper);
            average += ResidualCost(value, (left + upper) >> 1);
            paeth += ResidualCost(value, png::PaethPredictor(left, upper, upperLeft));
        }
        costs[0] += none;
        costs[1] += sub;
        costs[2] += up;
        costs[3] += average;
        costs[4] += paeth;
        begin = stop;
    }
}

png::Filter ChooseFilter(const std::uint8_t* row, const std::uint8_t* above, std::size_t rowBytes) {
    FilterCosts costs{};
    // The first pixel has no left neighbour: left and upper-left count as 0,
    // which makes Sub equal None and Paeth equal Up there.
    for (std::size_t i = 0; i < kBytesPerPixel; ++i) {
        const int value = row[i];
        const int upper = above[i];
        costs[0] += ResidualCost(value, 0);
        costs[1] += ResidualCost(value, 0);
        costs[2] += ResidualCost(value, upper);
        costs[3] += ResidualCost(value, upper >> 1);
        costs[4] += ResidualCost(value, upper);
    }
    AddFilterCosts(row, above, kBytesPerPixel, rowBytes, costs);
    // Ties go to the simpler filter, as the first minimum wins.
    int best = 0;
    for (int filter = 1; filter < png::kFilterCount; ++filter) {
        if (costs[static_cast<std::size_t>(filter)] < costs[static_cast<std::size_t>(best)]) {
            best = filter;
        }
    }
    return static_cast<png::Filter>(best);
}

void ApplyFilter(png::Filter filter, const std::uint8_t* row, const std::uint8_t* above, std::size_t rowBytes,
                 std::uint8_t* out) {
    constexpr std::size_t bpp = kBytesPerPixel;
    switch (filter) {
    case png::Filter::None:
        std::memcpy(out, row, rowBytes);
        break;
    case png::Filter::Sub:
        std::memcpy(out, row, bpp);
        for (std::size_t i = bpp; i < rowBytes; ++i) {
            out[i] = static_cast<std::uint8_t>(row[i] - row[i - bpp]);
        }
        break;
    case png::Filter::Up:
        for (std::size_t i = 0; i < rowBytes; ++i) {
            out[i] = static_cast<std::uint8_t>(row[i] - above[i]);
        }
        break;
    case png::Filter::Average:
        for (std::size_t i = 0; i < bpp; ++i) {
            out[i] = static_cast<std::uint8_t>(row[i] - (above[i] >> 1));
        }
        for (std::size_t i = bpp; i < rowBytes; ++i) {
            out[i] = static_cast<std::uint8_t>(row[i] - ((row[i - bpp] + above[i]) >> 1));
        }
        break;
    case png::Filter::Paeth:
        for (std::size_t i = 0; i < bpp; ++i) {
            out[i] = static_cast<std::uint8_t>(row[i] - above[i]);
        }
        for (std::size_t i = bpp; i < rowBytes; ++i) {
            out[i] = static_cast<std::uint8_t>(row[i] -
                                               png::PaethPredictor(row[i - bpp], above[i], above[i - bpp]));
        }
        break;
    }
}


void AppendChunk(std::vector<std::uint8_t>& file, std::uint32_t type, const std::uint8_t* data,
                 std::size_t size) {
    const std::size_t start = file.size();
    file.resize(start + 12 + size);
    std::uint8_t* chunk = file.data() + start;
    png::StoreBigEndian32(chunk, static_cast<std::uint32_t>(size));
    png::StoreBigEndian32(chunk + 4, type);
    if (size > 0) {
        std::memcpy(chunk + 8, data, size);
    }
    png::StoreBigEndian32(chunk + 8 + size, static_cast<std::uint32_t>(crc32_z(0, chunk + 4, 4 + size)));
}

// Cuts the zlib stream into IDAT chunks of kIdatCapacity bytes at the end of the file.
class IdatWriter {
public:
    explicit IdatWriter(std::vector<std::uint8_t>& file) : file_(file) {}

    void Write(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            if (!chunkOpen_ || chunkUsed_ == kIdatCapacity) {
                CloseChunk();
                chunkStart_ = file_.size();
                file_.resize(chunkStart_ + 8);
                chunkUsed_ = 0;
                chunkOpen_ = true;
            }
            const std::size_t piece = std::min(size, kIdatCapacity - chunkUsed_);
            file_.insert(file_.end(), data, data + piece);
            chunkUsed_ += piece;
            data += piece;
            size -= piece;
        }
    }

    void CloseChunk() {
        if (!chunkOpen_) {
            return;
        }
        chunkOpen_ = false;
        std::uint8_t* chunk = file_.data() + chunkStart_;
        png::StoreBigEndian32(chunk, static_cast<std::uint32_t>(chunkUsed_));
        png::StoreBigEndian32(chunk + 4, png::kIdat);
        const auto crc = static_cast<std::uint32_t>(crc32_z(0, chunk + 4, 4 + chunkUsed_));
        std::array<std::uint8_t, 4> crcBytes{};
        png::StoreBigEndian32(crcBytes.data(), crc);
        file_.insert(file_.end(), crcBytes.begin(), crcBytes.end());
    }

private:
    std::vector<std::uint8_t>& file_;
    bool chunkOpen_ = false;
    std::size_t chunkStart_ = 0;
    std::size_t chunkUsed_ = 0;
};

struct Band {
    std::uint32_t firstRow = 0;
    std::uint32_t rowCount = 0;
};

// One band's raw deflate data and the Adler-32 of its filtered bytes.
struct DeflatedBand {
    std::vector<std::uint8_t> data;
    std::uint32_t adler = 1;
    std::size_t filteredSize = 0;
};

struct CompressorDeleter {
    void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorDeleter>;

// libdeflate ends every stream with a final block. A band that others follow
// must not: find where its final block starts (zlib's inflate stops at every
// block boundary with Z_BLOCK and tells the bit position), clear that block's
// BFINAL bit, and end the band with an empty stored block, which pads the
// stream to a byte boundary where the next band's first block can start.
// Walking the band also proves it decodes to exactly the filtered bytes.
void MakeJoinable(std::vector<std::uint8_t>& band, std::size_t filteredSize) {
    z_stream stream{};
    if (inflateInit2(&stream, -15) != Z_OK) {
        throw CodecError("PNG: zlib could not be initialised");
    }
    std::array<std::uint8_t, 32768> sink{};
    stream.next_in = band.data();
    stream.avail_in = static_cast<uInt>(band.size());
    std::uint64_t finalBlockBit = 0;
    std::uint64_t endBit = 0;
    bool ended = false;
    int result = Z_OK;
    while (!ended) {
        if (stream.avail_out == 0) {
            stream.next_out = sink.data();
            stream.avail_out = static_cast<uInt>(sink.size());
        }
        result = inflate(&stream, Z_BLOCK);
        if (result != Z_OK && result != Z_STREAM_END) {
            break;
        }
        if ((stream.data_type & 128) != 0) {
            const std::uint64_t boundary =
                std::uint64_t{stream.total_in} * 8 - static_cast<std::uint64_t>(stream.data_type & 63);
            if ((stream.data_type & 64) != 0) {
                endBit = boundary;
                ended = true;
            } else {
                finalBlockBit = boundary;
            }
        }
        if (result == Z_STREAM_END) {
            break;
        }
    }
    const std::uint64_t decoded = stream.total_out;
    inflateEnd(&stream);
    if (!ended || decoded != filteredSize || (band[finalBlockBit / 8] >> (finalBlockBit % 8) & 1) == 0) {
        throw CodecError("PNG: deflate gave a band that does not decode");
    }
    band[finalBlockBit / 8] &= static_cast<std::uint8_t>(~(1u << (finalBlockBit % 8)));
    // The stored block's three header bits are zeros, as are the padding bits
    // after the final block, so they need a new byte only when fewer than three
    // padding bits are left.
    band.resize((endBit + 7) / 8);
    const unsigned usedInLastByte = static_cast<unsigned>(endBit % 8);
    if (usedInLastByte == 0 || usedInLastByte > 5) {
        band.push_back(0);
    }
    const std::array<std::uint8_t, 4> emptyStored = {0x00, 0x00, 0xFF, 0xFF};
    band.insert(band.end(), emptyStored.begin(), emptyStored.end());
}

// Converts rows to RGB where needed and filters them, a band at a time.
class BandFilter {
public:
    explicit BandFilter(const PixelRows& rows)
        : rows_(rows), rowBytes_(std::size_t{rows.width} * kBytesPerPixel), zeroRow_(rowBytes_, 0),
          rgbRows_(rows.layout == PixelLayout::Rgb ? 0 : 2 * rowBytes_) {}

    // Fills `out` with the band's filtered rows (filter byte, then the row).
    void Filter(const Band& band, std::vector<std::uint8_t>& out) {
        out.resize(std::size_t{band.rowCount} * (rowBytes_ + 1));
        const std::uint8_t* above = band.firstRow == 0 ? zeroRow_.data() : RgbRow(band.firstRow - 1, 1);
        std::uint8_t* filtered = out.data();
        for (std::uint32_t i = 0; i < band.rowCount; ++i) {
            const std::uint32_t y = band.firstRow + i;
            const std::uint8_t* row = RgbRow(y, i % 2);
            const png::Filter filter = ChooseFilter(row, above, rowBytes_);
            filtered[0] = static_cast<std::uint8_t>(filter);
            ApplyFilter(filter, row, above, rowBytes_, filtered + 1);
            filtered += rowBytes_ + 1;
            above = row;
        }
    }

private:
    // Row y as RGB; converted rows alternate between two buffers, as the
    // filters look at the row above.
    const std::uint8_t* RgbRow(std::uint32_t y, std::uint32_t slot) {
        const std::uint8_t* source = rows_.first + rows_.stride * y;
        if (rows_.layout == PixelLayout::Rgb) {
            return source;
        }
        std::uint8_t* rgb = rgbRows_.data() + slot * rowBytes_;
        if (rows_.layout == PixelLayout::Rgba) {
            for (std::uint32_t x = 0; x < rows_.width; ++x) {
                std::memcpy(rgb + std::size_t{x} * 3, source + std::size_t{x} * 4, 3);
            }
        } else {
            for (std::uint32_t x = 0; x < rows_.width; ++x) {
                rgb[std::size_t{x} * 3] = source[std::size_t{x} * 4 + 2];
                rgb[std::size_t{x} * 3 + 1] = source[std::size_t{x} * 4 + 1];
                rgb[std::size_t{x} * 3 + 2] = source[std::size_t{x} * 4];
            }
        }
        return rgb;
    }

    const PixelRows& rows_;
    std::size_t rowBytes_;
    std::vector<std::uint8_t> zeroRow_;
    std::vector<std::uint8_t> rgbRows_;
};

struct ZStreamDeleter {
    void operator()(z_stream* stream) const {
        deflateEnd(stream);
        delete stream;
    }
};

// Deflates one band with two engines and keeps the smaller result. libdeflate
// parses better on photos, textures and game scenes; zlib with short hash
// chains and its filtered-data strategy (short matches dropped) wins on text
// and flat UI, where longer searches only find farther, dearer matches. Each
// costs about a third of zlib's own level 7, so both together stay well under it.
class BandCompressor {
public:
    explicit BandCompressor(int level) : level_(level) {
        libdeflate_.reset(libdeflate_alloc_compressor(kLibdeflateLevel[static_cast<std::size_t>(level)]));
        if (!libdeflate_) {
            throw CodecError("PNG: out of memory for the compressor");
        }
    }

    DeflatedBand Compress(const std::vector<std::uint8_t>& filtered, bool last) {
        DeflatedBand band;
        band.filteredSize = filtered.size();
        band.adler = static_cast<std::uint32_t>(libdeflate_adler32(1, filtered.data(), filtered.size()));
        CompressWithLibdeflate(filtered.data(), filtered.size(), band.data);
        if (level_ >= kTwoEngineLevel) {
            CompressWithZlib(filtered.data(), filtered.size(), last);
            if (zlibOut_.size() < band.data.size()) {
                band.data.swap(zlibOut_);
                band.data.shrink_to_fit();
                return band;
            }
        }
        if (!last) {
            MakeJoinable(band.data, filtered.size());
        }
        band.data.shrink_to_fit();
        return band;
    }

private:
    // A band that others follow ends with a sync flush: an empty stored block
    // that leaves the stream at a byte boundary, with no final block.
    void CompressWithLibdeflate(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
        out.resize(libdeflate_deflate_compress_bound(libdeflate_.get(), size));
        const std::size_t used = libdeflate_deflate_compress(libdeflate_.get(), data, size, out.data(), out.size());
        if (used == 0) {
            throw CodecError("PNG: deflate output did not fit its bound");
        }
        out.resize(used);
    }

    void CompressWithZlib(const std::uint8_t* data, std::size_t size, bool last) {
        if (!zlib_) {
            zlib_.reset(new z_stream{});
            if (deflateInit2(zlib_.get(), level_, Z_DEFLATED, -15, kZlibMemLevel, Z_FILTERED) != Z_OK) {
                zlib_.reset();
                throw CodecError("PNG: zlib could not be initialised");
            }
        } else if (deflateReset(zlib_.get()) != Z_OK) {
            throw CodecError("PNG: zlib compression failed");
        }
        // After deflateInit2 and after every reset, which brings back the level's table.
        deflateTune(zlib_.get(), kZlibGoodLength, kZlibLazyLength, kZlibNiceLength, kZlibChainLength);
        z_stream& stream = *zlib_;
        zlibOut_.resize(deflateBound(&stream, static_cast<uLong>(size)) + 16);
        stream.next_in = data;
        stream.avail_in = static_cast<uInt>(size);
        stream.next_out = zlibOut_.data();
        stream.avail_out = static_cast<uInt>(zlibOut_.size());
        const int result = deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH);
        if (result != (last ? Z_STREAM_END : Z_OK) || stream.avail_in != 0 || stream.avail_out == 0) {
            throw CodecError("PNG: zlib compression failed");
        }
        zlibOut_.resize(zlibOut_.size() - stream.avail_out);
    }

    int level_;
    Compressor libdeflate_;
    std::unique_ptr<z_stream, ZStreamDeleter> zlib_;
    std::vector<std::uint8_t> zlibOut_;
};

std::vector<Band> CutIntoBands(const PixelRows& rows) {
    const std::size_t filteredRowBytes = std::size_t{rows.width} * kBytesPerPixel + 1;
    const std::size_t rowsPerBand = std::max<std::size_t>(1, kBandBytes / filteredRowBytes);
    const std::size_t bandCount = (rows.height + rowsPerBand - 1) / rowsPerBand;
    // Even bands, so that the last one is not a sliver.
    const std::size_t evenRows = (rows.height + bandCount - 1) / bandCount;
    std::vector<Band> bands;
    for (std::uint32_t row = 0; row < rows.height; row += static_cast<std::uint32_t>(evenRows)) {
        bands.push_back({row, static_cast<std::uint32_t>(std::min<std::size_t>(evenRows, rows.height - row))});
    }
    return bands;
}

std::vector<DeflatedBand> DeflateBands(const PixelRows& rows, const std::vector<Band>& bands, int level,
                                       unsigned threads) {
    std::vector<DeflatedBand> deflated(bands.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&]() {
        BandCompressor compressor(level);
        BandFilter filter(rows);
        std::vector<std::uint8_t> filtered;
        for (std::size_t i = next++; i < bands.size(); i = next++) {
            filter.Filter(bands[i], filtered);
            deflated[i] = compressor.Compress(filtered, i + 1 == bands.size());
        }
    };

    if (threads == 0) {
        threads = std::max(1u, std::thread::hardware_concurrency());
    }
    const std::size_t helperCount = std::min<std::size_t>(threads, bands.size()) - 1;
    std::vector<std::exception_ptr> failures(helperCount + 1);
    const auto guarded = [&](std::size_t slot) {
        try {
            work();
        } catch (...) {
            failures[slot] = std::current_exception();
            next = bands.size(); // the others stop after their current band
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (std::size_t slot = 1; slot <= helperCount; ++slot) {
            helpers.emplace_back(guarded, slot);
        }
        guarded(0);
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
    return deflated;
}

void CheckEncodable(const PixelRows& rows, int level) {
    if (rows.width == 0 || rows.height == 0) {
        throw CodecError("PNG: cannot encode an empty picture");
    }
    if (rows.width > png::kMaxDimension || rows.height > png::kMaxDimension) {
        throw CodecError("PNG: picture too large for the format");
    }
    const std::size_t pixelBytes = rows.layout == PixelLayout::Rgb ? 3 : 4;
    const std::size_t rowBytes = std::size_t{rows.width} * pixelBytes;
    if (rows.first == nullptr || rows.stride < rowBytes ||
        (rows.height - 1) > (std::numeric_limits<std::size_t>::max() - rowBytes) / rows.stride ||
        rows.stride * (rows.height - 1) + rowBytes > rows.size) {
        throw CodecError("PNG: pixel buffer does not match the picture size");
    }
    if (level < 0 || level > 9) {
        throw CodecError("PNG: compression level must be 0 to 9");
    }
}

std::uint8_t ZlibLevelFlags(int level) {
    // FLEVEL of the zlib header, as zlib itself writes it; the header's check
    // bits make the two bytes a multiple of 31.
    if (level < 2) {
        return 0x01;
    }
    if (level < 6) {
        return 0x5E;
    }
    return level == 6 ? 0x9C : 0xDA;
}

} // namespace

std::vector<std::uint8_t> EncodePng(const PixelRows& rows, int level, unsigned threads) {
    CheckEncodable(rows, level);
    const std::vector<Band> bands = CutIntoBands(rows);
    std::vector<DeflatedBand> deflated = DeflateBands(rows, bands, level, threads);

    std::size_t streamSize = 2 + 4;
    for (const DeflatedBand& band : deflated) {
        streamSize += band.data.size();
    }
    std::vector<std::uint8_t> file;
    file.reserve(png::kSignature.size() + 25 + streamSize + (streamSize / kIdatCapacity + 1) * 12 + 12);
    file.assign(png::kSignature.begin(), png::kSignature.end());

    std::array<std::uint8_t, 13> header{};
    png::StoreBigEndian32(header.data(), rows.width);
    png::StoreBigEndian32(header.data() + 4, rows.height);
    header[8] = 8; // bits per sample
    header[9] = png::kColourRgb;
    // Compression method, filter method and interlace method all stay 0.
    AppendChunk(file, png::kIhdr, header.data(), header.size());

    IdatWriter idat(file);
    const std::array<std::uint8_t, 2> zlibHeader = {0x78, ZlibLevelFlags(level)};
    idat.Write(zlibHeader.data(), zlibHeader.size());
    uLong adler = 1;
    for (DeflatedBand& band : deflated) {
        idat.Write(band.data.data(), band.data.size());
        adler = adler32_combine(adler, band.adler, static_cast<z_off_t>(band.filteredSize));
        std::vector<std::uint8_t>().swap(band.data);
    }
    std::array<std::uint8_t, 4> trailer{};
    png::StoreBigEndian32(trailer.data(), static_cast<std::uint32_t>(adler));
    idat.Write(trailer.data(), trailer.size());
    idat.CloseChunk();

    AppendChunk(file, png::kIend, nullptr, 0);
    return file;
}

std::vector<std::uint8_t> EncodePng(const Image& picture, int level, unsigned threads) {
    if (picture.channels != 3 && picture.channels != 4) {
        throw CodecError("PNG: can only encode RGB or RGBA pictures");
    }
    const std::size_t stride = picture.stride();
    if (picture.height != 0 &&
        (stride > std::numeric_limits<std::size_t>::max() / picture.height ||
         picture.pixels.size() != stride * picture.height)) {
        throw CodecError("PNG: pixel buffer does not match the picture size");
    }
    PixelRows rows;
    rows.width = picture.width;
    rows.height = picture.height;
    rows.stride = stride;
    rows.layout = picture.channels == 4 ? PixelLayout::Rgba : PixelLayout::Rgb;
    rows.first = picture.pixels.data();
    rows.size = picture.pixels.size();
    return EncodePng(rows, level, threads);
}

} // namespace mirulo::image
