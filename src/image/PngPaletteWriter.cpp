// Palette pictures (the grey-scale copies): one byte per pixel, streamed
// through one zlib deflate. The truecolour writer cuts its rows into bands for
// several threads; a palette picture is a third of the data and is written off
// the capture path, so the plain stream is enough here.
#include "image/PngWriter.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#define ZLIB_CONST
#include <zlib.h>

#include "image/PngChunks.h"
#include "image/PngFormat.h"

namespace mirulo::image {
namespace {

// IDAT payload size. Large chunks keep the per-chunk overhead (12 bytes) out of
// the file size; every decoder handles them, since the format allows 2^31-1.
constexpr std::size_t kIdatCapacity = std::size_t{256} * 1024;

// memLevel 9 doubles zlib's hash table over the default 8: fewer hash collisions
// make the level-7 match search faster on screen content and cost 128 KiB.
constexpr int kDeflateMemLevel = 9;
constexpr int kDeflateWindowBits = 15;

// zlib counts input in 32-bit units; a single row can in theory be larger.
constexpr std::size_t kMaxDeflatePiece = std::size_t{1} << 30;

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
// Needs begin >= Bpp so that each byte has a left neighbour.
template <std::size_t Bpp>
void AddFilterCosts(const std::uint8_t* row, const std::uint8_t* above, std::size_t begin, std::size_t end,
                    FilterCosts& costs) {
    while (begin < end) {
        const std::size_t stop = begin + std::min(end - begin, kScoreBlock);
        std::uint32_t none = 0, sub = 0, up = 0, average = 0, paeth = 0;
        for (std::size_t i = begin; i < stop; ++i) {
            const int value = row[i];
            const int left = row[i - Bpp];
            const int upper = above[i];
            const int upperLeft = above[i - Bpp];
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

template <std::size_t Bpp>
png::Filter ChooseFilter(const std::uint8_t* row, const std::uint8_t* above, std::size_t rowBytes) {
    FilterCosts costs{};
    // The first pixel has no left neighbour: left and upper-left count as 0,
    // which makes Sub equal None and Paeth equal Up there.
    for (std::size_t i = 0; i < Bpp && i < rowBytes; ++i) {
        const int value = row[i];
        const int upper = above[i];
        costs[0] += ResidualCost(value, 0);
        costs[1] += ResidualCost(value, 0);
        costs[2] += ResidualCost(value, upper);
        costs[3] += ResidualCost(value, upper >> 1);
        costs[4] += ResidualCost(value, upper);
    }
    AddFilterCosts<Bpp>(row, above, Bpp, rowBytes, costs);
    // Ties go to the simpler filter, as the first minimum wins.
    int best = 0;
    for (int filter = 1; filter < png::kFilterCount; ++filter) {
        if (costs[static_cast<std::size_t>(filter)] < costs[static_cast<std::size_t>(best)]) {
            best = filter;
        }
    }
    return static_cast<png::Filter>(best);
}

template <std::size_t Bpp>
void ApplyFilter(png::Filter filter, const std::uint8_t* row, const std::uint8_t* above, std::size_t rowBytes,
                 std::uint8_t* out) {
    constexpr std::size_t bpp = Bpp;
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

// Streams the deflate output straight into IDAT chunks at the end of the file,
// so the compressed data is never copied.
class IdatWriter {
public:
    IdatWriter(std::vector<std::uint8_t>& file, int level) : file_(file) {
        if (deflateInit2(&stream_, level, Z_DEFLATED, kDeflateWindowBits, kDeflateMemLevel, Z_FILTERED) !=
            Z_OK) {
            throw CodecError("PNG: zlib could not be initialised");
        }
    }
    ~IdatWriter() { deflateEnd(&stream_); }
    IdatWriter(const IdatWriter&) = delete;
    IdatWriter& operator=(const IdatWriter&) = delete;

    void Write(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            const std::size_t piece = std::min(size, kMaxDeflatePiece);
            stream_.next_in = data;
            stream_.avail_in = static_cast<uInt>(piece);
            Run(Z_NO_FLUSH);
            data += piece;
            size -= piece;
        }
    }

    void Finish() {
        stream_.next_in = nullptr;
        stream_.avail_in = 0;
        Run(Z_FINISH);
        CloseChunk();
    }

private:
    void Run(int flush) {
        for (;;) {
            if (!chunkOpen_ || chunkUsed_ == kIdatCapacity) {
                CloseChunk();
                OpenChunk();
            }
            stream_.next_out = file_.data() + chunkStart_ + 8 + chunkUsed_;
            stream_.avail_out = static_cast<uInt>(kIdatCapacity - chunkUsed_);
            const int result = deflate(&stream_, flush);
            chunkUsed_ = kIdatCapacity - stream_.avail_out;
            if (result == Z_STREAM_ERROR) {
                throw CodecError("PNG: zlib compression failed");
            }
            if (flush == Z_FINISH ? result == Z_STREAM_END
                                  : stream_.avail_in == 0 && stream_.avail_out != 0) {
                return;
            }
        }
    }

    void OpenChunk() {
        chunkStart_ = file_.size();
        file_.resize(chunkStart_ + 8 + kIdatCapacity);
        chunkUsed_ = 0;
        chunkOpen_ = true;
    }

    void CloseChunk() {
        if (!chunkOpen_) {
            return;
        }
        chunkOpen_ = false;
        if (chunkUsed_ == 0) {
            file_.resize(chunkStart_);
            return;
        }
        std::uint8_t* chunk = file_.data() + chunkStart_;
        png::StoreBigEndian32(chunk, static_cast<std::uint32_t>(chunkUsed_));
        png::StoreBigEndian32(chunk + 4, png::kIdat);
        const auto crc = static_cast<std::uint32_t>(crc32_z(0, chunk + 4, 4 + chunkUsed_));
        file_.resize(chunkStart_ + 12 + chunkUsed_);
        png::StoreBigEndian32(file_.data() + chunkStart_ + 8 + chunkUsed_, crc);
    }

    std::vector<std::uint8_t>& file_;
    z_stream stream_{};
    bool chunkOpen_ = false;
    std::size_t chunkStart_ = 0;
    std::size_t chunkUsed_ = 0;
};

} // namespace

std::vector<std::uint8_t> EncodePng(const IndexedImage& picture, int zlibLevel) {
    if (picture.width == 0 || picture.height == 0) {
        throw CodecError("PNG: cannot encode an empty picture");
    }
    if (picture.width > png::kMaxDimension || picture.height > png::kMaxDimension) {
        throw CodecError("PNG: picture too large for the format");
    }
    if (picture.indices.size() / picture.width != picture.height ||
        picture.indices.size() % picture.width != 0) {
        throw CodecError("PNG: pixel buffer does not match the picture size");
    }
    if (picture.palette.empty() || picture.palette.size() > 256) {
        throw CodecError("PNG: a palette needs 1 to 256 entries");
    }
    if (zlibLevel < 0 || zlibLevel > 9) {
        throw CodecError("PNG: compression level must be 0 to 9");
    }
    // An index beyond the palette makes the file invalid for every decoder.
    std::array<bool, 256> used{};
    for (const std::uint8_t index : picture.indices) {
        used[index] = true;
    }
    for (std::size_t i = picture.palette.size(); i < used.size(); ++i) {
        if (used[i]) {
            throw CodecError("PNG: a pixel refers to a colour beyond the palette");
        }
    }

    const std::size_t rowBytes = picture.width;
    std::vector<std::uint8_t> file;
    file.reserve(rowBytes * picture.height / 4 + kIdatCapacity + 64 + 3 * 256);
    file.assign(png::kSignature.begin(), png::kSignature.end());

    png::AppendHeader(file, picture.width, picture.height, png::kColourPalette);

    std::vector<std::uint8_t> palette;
    palette.reserve(picture.palette.size() * 3);
    for (const auto& entry : picture.palette) {
        palette.insert(palette.end(), entry.begin(), entry.end());
    }
    png::AppendChunk(file, png::kPlte, palette.data(), palette.size());

    {
        // The grey copies are palettes in level order, so neighbouring indices
        // are neighbouring colours and the filters pay off as they do for
        // truecolour rows.
        IdatWriter idat(file, zlibLevel);
        std::vector<std::uint8_t> filtered(rowBytes + 1);
        const std::vector<std::uint8_t> zeroRow(rowBytes, 0);
        const std::uint8_t* above = zeroRow.data();
        for (std::uint32_t y = 0; y < picture.height; ++y) {
            const std::uint8_t* row = picture.indices.data() + rowBytes * y;
            const png::Filter filter = ChooseFilter<1>(row, above, rowBytes);
            filtered[0] = static_cast<std::uint8_t>(filter);
            ApplyFilter<1>(filter, row, above, rowBytes, filtered.data() + 1);
            idat.Write(filtered.data(), filtered.size());
            above = row;
        }
        idat.Finish();
    }

    png::AppendChunk(file, png::kIend, nullptr, 0);
    return file;
}

} // namespace mirulo::image
