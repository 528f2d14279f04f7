#include "image/PngWriter.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <numeric>
#include <thread>

#include <libdeflate.h>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#define ZLIB_CONST
#include <zlib.h>

#include "image/DeflateFormat.h"
#include "image/LongMatchDeflate.h"
#include "image/PngChunks.h"
#include "image/PngFilter.h"
#include "image/PngFormat.h"
#include "image/WorkerPool.h"

namespace mirulo::image {
namespace {

constexpr std::size_t kBytesPerPixel = 3;

// A filtered row: its filter-type byte, then the pixels as RGB.
std::size_t FilteredRowBytes(std::uint32_t width) {
    return std::size_t{width} * kBytesPerPixel + 1;
}

// IDAT payload size. Large chunks keep the per-chunk overhead (12 bytes) out of
// the file size; every decoder handles them, since the format allows 2^31-1.
constexpr std::size_t kIdatCapacity = std::size_t{256} * 1024;

// Filtered bytes per band. Bands are deflated on their own, a 1920x1080
// picture giving six to share between the cores; a zlib pass starts from the
// band before's last 32 KiB as its preset dictionary, so at a band's start
// only libdeflate, which takes none, loses its history.
constexpr std::size_t kBandBytes = std::size_t{1} << 20;
// deflate's window: the history a band's zlib pass is given.
constexpr std::size_t kWindowBytes = std::size_t{32} * 1024;

// From this level on, each band is also tried with zlib (see BandCompressor).
constexpr int kTwoEngineLevel = 7;
// Which zlib pass may beat libdeflate on a band is found on a probe: a slice
// of the band, 1/kProbeDivisor of it from its middle (at least kMinProbeBytes,
// or the whole band), that libdeflate and each pass pack. A pass runs on the
// whole band only if it packed the probe smaller; the smallest result is kept.
// On the fitting pictures a thirty-second gave the bytes of a sixteenth within
// 0.1 % but on two (desktop-tiled 0.6 %) for 6 % less work, and on the
// desktop a sixty-fourth the same bytes for no less work.
constexpr std::size_t kProbeDivisor = 32;
constexpr std::size_t kMinProbeBytes = std::size_t{16} * 1024;

// Where a band's middle probe lies: whole rows from the band's middle, as many
// as hold 1/kProbeDivisor of it (at least kMinProbeBytes, at most the band).
// The plan's probes and the band's passes take the same rows, so that the
// band needs no packing of its own to know what libdeflate makes of them.
struct ProbeRows {
    std::size_t first = 0;
    std::size_t count = 0;
};

ProbeRows MiddleProbeRows(std::size_t bandRows, std::size_t rowBytes) {
    const std::size_t bandBytes = rowBytes * bandRows;
    const std::size_t probeBytes = std::min(bandBytes, std::max(kMinProbeBytes, bandBytes / kProbeDivisor));
    const std::size_t count = std::min(bandRows, (probeBytes + rowBytes - 1) / rowBytes);
    return {(bandRows - count) / 2, count};
}
// The short search is tried only on bands that libdeflate packs to at most
// 1/kSearchPassDivisor of their size: on noisier bands it costs twice
// libdeflate's time and its probe wins by a hair, when it wins.
constexpr std::size_t kSearchPassDivisor = 8;
// libdeflate one level up is tried on bands whose probe zlib's run-only pass
// packs to at least kFarMatchRatio times libdeflate's size: there the matches
// are far from runs (tiles repeated along the row), and that level costs about
// what this one does. Set on the fit half, between its tiles (6.3 to 25 times,
// every band) and everything else (at most 2.4, text): on text, desktops,
// photos and game scenes the next level costs two to three times this one.
constexpr std::size_t kFarMatchRatio = 4;
// libdeflate's pass is skipped on a band where a zlib pass packs two probes
// (the middle one and rows spread over the band) each smaller by more than a
// twentieth (see ChooseZlibOnly). Set on the fit half: the smallest margin at
// which no picture's file grew by more than 0.05 % against running every pass
// (a twenty-fifth cost ui-japanese 0.35 %, a fiftieth document 6.6 %: there the
// zlib passes won the probes by a few bytes of blank rows). On the check half
// no file grew.
constexpr std::size_t kClearWinDivisor = 20;
// Except on bands that libdeflate packs to more than 1/kNoisyDivisor of their
// size: sensor noise, dithered dark scenes. There matches are few and short,
// the bytes are the entropy coder's, and rows anywhere in the band pack alike,
// so a zlib pass that packs both probes smaller at all skips libdeflate's
// pass. Set on the fit half as the smallest divisor at which no picture's
// file grew (at a third, licorice grew 0.08 % and ui-files-2560 0.65 %: their
// smooth gradients pack to a third and the probes mislead by a few bytes).
constexpr std::size_t kNoisyDivisor = 2;
// Nor on a probe libdeflate packs to fewer bytes than this: a block's header
// and code tables take about as much, so such a probe is blank rows that say
// nothing of the rest of the band. On a page of text both probes can be
// blank, and a zlib pass then wins them by a few bytes of header (the
// document's file grew 6 % when one band skipped libdeflate on such a word).
// Any value from 64 to 256 changed no file of the fit half.
constexpr std::size_t kBlankProbeBytes = 128;
constexpr std::size_t kSpreadSlices = 4;
// The long-match pass (LongMatchDeflater) looks this many links down a chain
// of the same six bytes on bands of far matches (kFarMatchRatio), and
// kNearChainLinks elsewhere. On repeated tiles the repeat a row or two up lies
// a hundred links or more down the chain (tiles-repeat-3840: 565,882 bytes at
// 256 links, 568,191 at 32, libdeflate's level 8 569,565, at about level 7's
// time); on smooth skies, rendered scenes and photos the chains are of short
// repeats, and 256 links cost 1.5 to 3 times libdeflate's level 7 (the dark
// night sky, game-bluerock), where 32 cost 0.5 to 0.6 times.
constexpr int kFarChainLinks = 256;
constexpr int kNearChainLinks = 32;
// The long-match pass's trial ends when it packs the middle probe larger than
// libdeflate by more than a kLongMatchLossDivisor-th, before the spread rows
// are packed by both (see LongMatchesWin).
constexpr std::size_t kLongMatchLossDivisor = 64;
// The short search: zlib's level-7 table with the hash chain cut from 256 to
// 16 links, Z_FILTERED. It wins on many bands of desktops, where text meets
// pictures.
constexpr int kZlibGoodLength = 8;
constexpr int kZlibLazyLength = 32;
constexpr int kZlibNiceLength = 128;
constexpr int kZlibChainLength = 16;
// Both zlib passes share one stream with memLevel 8: blocks of 16 K symbols,
// which follow the change of filter from row to row. A second stream at
// memLevel 9 for the short search gained under 0.1 % on tiles and desktops
// and cost 0.75 MB on a 1080p capture's peak.
constexpr int kZlibMemLevel = 8;

using png::FilterCosts;
using png::kResidualCostCap;

inline std::uint32_t ResidualCost(std::uint8_t residual) {
    const auto negated = static_cast<std::uint8_t>(-residual);
    const std::uint8_t magnitude = residual < negated ? residual : negated;
    return magnitude < kResidualCostCap ? magnitude : kResidualCostCap;
}

// Residuals of every filter for bytes [begin, end) of a row, into `residuals`
// (one row per filter), their costs added to `costs`. Needs begin >=
// kBytesPerPixel so that each byte has a left neighbour.
void FilterBytes(const std::uint8_t* row, const std::uint8_t* above, std::size_t begin, std::size_t end,
                 const std::array<std::uint8_t*, png::kFilterCount>& residuals, FilterCosts& costs) {
    for (std::size_t i = begin; i < end; ++i) {
        const int value = row[i];
        const int left = row[i - kBytesPerPixel];
        const int upper = above[i];
        const int upperLeft = above[i - kBytesPerPixel];
        const std::array<int, png::kFilterCount> predictions = {0, left, upper, (left + upper) >> 1,
                                                                png::PaethPredictor(left, upper, upperLeft)};
        for (std::size_t filter = 0; filter < predictions.size(); ++filter) {
            const auto residual = static_cast<std::uint8_t>(value - predictions[filter]);
            residuals[filter][i] = residual;
            costs[filter] += ResidualCost(residual);
        }
    }
}

#if defined(__SSE2__) || defined(_M_X64)
// The same for 16 bytes at a time, [begin, the last whole 16 bytes); returns
// where it stopped. Same residuals and costs as FilterBytes, so the choice of
// filters, and the file, do not depend on which one ran.
std::size_t FilterBytesSse2(const std::uint8_t* row, const std::uint8_t* above, std::size_t begin,
                            std::size_t end, const std::array<std::uint8_t*, png::kFilterCount>& residuals,
                            FilterCosts& costs) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i cap = _mm_set1_epi8(static_cast<char>(kResidualCostCap));
    const __m128i lowBit = _mm_set1_epi8(1);
    // Plain arrays: GCC drops the vector type's alignment in a std::array.
    __m128i sums[png::kFilterCount] = {zero, zero, zero, zero, zero};
    const auto magnitude16 = [&](__m128i x) { return _mm_max_epi16(x, _mm_sub_epi16(zero, x)); };
    // Paeth on 16-bit lanes: left if |up - upLeft| is least, else up if
    // |left - upLeft| <= |left + up - 2 upLeft|, else upLeft.
    const auto paeth = [&](__m128i left, __m128i up, __m128i upLeft) {
        const __m128i upDelta = _mm_sub_epi16(up, upLeft);
        const __m128i leftDelta = _mm_sub_epi16(left, upLeft);
        const __m128i distLeft = magnitude16(upDelta);
        const __m128i distUp = magnitude16(leftDelta);
        const __m128i distUpLeft = magnitude16(_mm_add_epi16(upDelta, leftDelta));
        const __m128i notLeft =
            _mm_or_si128(_mm_cmpgt_epi16(distLeft, distUp), _mm_cmpgt_epi16(distLeft, distUpLeft));
        const __m128i notUp = _mm_cmpgt_epi16(distUp, distUpLeft);
        const __m128i upOrUpLeft = _mm_or_si128(_mm_and_si128(notUp, upLeft), _mm_andnot_si128(notUp, up));
        return _mm_or_si128(_mm_and_si128(notLeft, upOrUpLeft), _mm_andnot_si128(notLeft, left));
    };
    std::size_t i = begin;
    for (; i + 16 <= end; i += 16) {
        const auto load = [](const std::uint8_t* p) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        };
        const __m128i value = load(row + i);
        const __m128i left = load(row + i - kBytesPerPixel);
        const __m128i up = load(above + i);
        const __m128i upLeft = load(above + i - kBytesPerPixel);
        // avg_epu8 rounds up; the filter rounds down.
        const __m128i average =
            _mm_sub_epi8(_mm_avg_epu8(left, up), _mm_and_si128(_mm_xor_si128(left, up), lowBit));
        const __m128i paethLow = paeth(_mm_unpacklo_epi8(left, zero), _mm_unpacklo_epi8(up, zero),
                                       _mm_unpacklo_epi8(upLeft, zero));
        const __m128i paethHigh = paeth(_mm_unpackhi_epi8(left, zero), _mm_unpackhi_epi8(up, zero),
                                        _mm_unpackhi_epi8(upLeft, zero));
        const __m128i filtered[png::kFilterCount] = {
            value, _mm_sub_epi8(value, left), _mm_sub_epi8(value, up), _mm_sub_epi8(value, average),
            _mm_sub_epi8(value, _mm_packus_epi16(paethLow, paethHigh))};
        for (std::size_t filter = 0; filter < png::kFilterCount; ++filter) {
            const __m128i residual = filtered[filter];
            _mm_storeu_si128(reinterpret_cast<__m128i*>(residuals[filter] + i), residual);
            const __m128i cost = _mm_min_epu8(_mm_min_epu8(residual, _mm_sub_epi8(zero, residual)), cap);
            sums[filter] = _mm_add_epi64(sums[filter], _mm_sad_epu8(cost, zero));
        }
    }
    for (std::size_t filter = 0; filter < png::kFilterCount; ++filter) {
        costs[filter] +=
            static_cast<std::uint64_t>(_mm_cvtsi128_si64(sums[filter])) +
            static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums[filter], sums[filter])));
    }
    return i;
}
#endif

// Every filter's residuals for the row, into `scratch` (a row per filter), and
// their costs.
FilterCosts FilterEveryWay(const std::uint8_t* row, const std::uint8_t* above, std::size_t rowBytes,
                           std::uint8_t* scratch, png::FilterKernel kernel = png::FastestFilterKernel()) {
    std::array<std::uint8_t*, png::kFilterCount> residuals{};
    for (std::size_t filter = 0; filter < residuals.size(); ++filter) {
        residuals[filter] = scratch + filter * rowBytes;
    }
    FilterCosts costs{};
    // The first pixel has no left neighbour: left and upper-left count as 0,
    // which makes Sub equal None and Paeth equal Up there.
    const std::size_t first = std::min(rowBytes, kBytesPerPixel);
    for (std::size_t i = 0; i < first; ++i) {
        const int value = row[i];
        const int upper = above[i];
        const std::array<int, png::kFilterCount> predictions = {0, 0, upper, upper >> 1, upper};
        for (std::size_t filter = 0; filter < predictions.size(); ++filter) {
            const auto residual = static_cast<std::uint8_t>(value - predictions[filter]);
            residuals[filter][i] = residual;
            costs[filter] += ResidualCost(residual);
        }
    }
    std::size_t done = first;
#if defined(__x86_64__)
    if (kernel == png::FilterKernel::Avx2) {
        done = png::FilterBytesAvx2(row, above, done, rowBytes, residuals, costs);
    }
#endif
#if defined(__SSE2__) || defined(_M_X64)
    if (kernel != png::FilterKernel::Plain) {
        done = FilterBytesSse2(row, above, done, rowBytes, residuals, costs);
    }
#endif
    FilterBytes(row, above, done, rowBytes, residuals, costs);
    return costs;
}

} // namespace

png::FilterCosts png::FilterEveryWayWith(FilterKernel kernel, const std::uint8_t* row,
                                         const std::uint8_t* above, std::size_t rowBytes,
                                         std::uint8_t* scratch) {
    return FilterEveryWay(row, above, rowBytes, scratch, kernel);
}

void png::BgrxRowToRgb(FilterKernel kernel, const std::uint8_t* bgrx, std::uint8_t* rgb,
                       std::uint32_t width) {
    std::uint32_t x = 0;
#if defined(__x86_64__)
    if (kernel == FilterKernel::Avx2) {
        x = BgrxToRgbAvx2(bgrx, rgb, width);
    }
#endif
    for (; x < width; ++x) {
        rgb[std::size_t{x} * 3] = bgrx[std::size_t{x} * 4 + 2];
        rgb[std::size_t{x} * 3 + 1] = bgrx[std::size_t{x} * 4 + 1];
        rgb[std::size_t{x} * 3 + 2] = bgrx[std::size_t{x} * 4];
    }
}

namespace {

// The filter whose residuals cost least; ties go to the simpler filter.
std::size_t CheapestFilter(const FilterCosts& costs) {
    std::size_t best = 0;
    for (std::size_t filter = 1; filter < costs.size(); ++filter) {
        if (costs[filter] < costs[best]) {
            best = filter;
        }
    }
    return best;
}

// Gives the row the filter whose residuals cost least and writes them to
// `out`. `scratch` holds a row per filter.
png::Filter FilterRow(const std::uint8_t* row, const std::uint8_t* above, std::size_t rowBytes,
                      std::uint8_t* scratch, std::uint8_t* out) {
    const std::size_t best = CheapestFilter(FilterEveryWay(row, above, rowBytes, scratch));
    std::memcpy(out, scratch + best * rowBytes, rowBytes);
    return static_cast<png::Filter>(best);
}

// What the row costs with the filter FilterRow would give it.
std::uint64_t RowCost(const std::uint8_t* row, const std::uint8_t* above, std::size_t rowBytes,
                      std::uint8_t* scratch) {
    const FilterCosts costs = FilterEveryWay(row, above, rowBytes, scratch);
    return costs[CheapestFilter(costs)];
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
        // libdeflate's CRC-32 uses carry-less multiplication where the processor
        // has it: on a 4K scene of 15 MB, zlib's took 6 ms after the last band.
        const auto crc = static_cast<std::uint32_t>(libdeflate_crc32(0, chunk + 4, 4 + chunkUsed_));
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

// Walks a raw deflate stream block by block, decoding every code but writing
// no bytes: where its final block starts, where the stream ends, and how many
// bytes it decodes to. Text and flat UI are mostly long matches, which a
// walker skips where inflate has to copy them out byte by byte.
class DeflateWalk {
public:
    DeflateWalk(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // Throws CodecError for a stream that is not valid deflate data.
    void Run() {
        bool final = false;
        while (!final) {
            Refill();
            const std::uint64_t blockStart = ConsumedBits();
            final = Bits(1) != 0;
            if (final) {
                finalBlockBit_ = blockStart;
            }
            switch (Bits(2)) {
            case 0:
                SkipStored();
                break;
            case 1:
                if (fixedLiterals_.maxSymbol == 0) {
                    fixedLiterals_.Build(deflate_format::kFixedLiteralLengths.data(),
                                         static_cast<unsigned>(deflate_format::kFixedLiteralLengths.size()));
                    std::array<std::uint8_t, deflate_format::kDistanceCodes> distances{};
                    distances.fill(deflate_format::kFixedDistanceLength);
                    fixedDistances_.Build(distances.data(), static_cast<unsigned>(distances.size()));
                }
                WalkCodes(fixedLiterals_, fixedDistances_);
                break;
            case 2:
                ReadDynamicCodes();
                WalkCodes(literals_, distances_);
                break;
            default:
                Fail();
            }
        }
        endBit_ = ConsumedBits();
        if (endBit_ > std::uint64_t{size_} * 8) {
            Fail();
        }
    }

    std::uint64_t finalBlockBit() const { return finalBlockBit_; }
    std::uint64_t endBit() const { return endBit_; }
    std::uint64_t decodedSize() const { return decoded_; }

private:
    // Canonical Huffman decoding: codes up to kFastBits long through a table
    // indexed by the next bits of the stream, longer ones code length by code
    // length, as they are rare.
    static constexpr unsigned kFastBits = 10;
    struct Code {
        std::array<std::uint16_t, std::size_t{1} << kFastBits> fast{}; // symbol << 4 | length; 0: longer
        std::array<std::uint16_t, 16> counts{};
        std::array<std::uint16_t, 288> sorted{};
        unsigned maxSymbol = 0; // 0: not built

        void Build(const std::uint8_t* lengths, unsigned symbolCount) {
            counts.fill(0);
            fast.fill(0);
            for (unsigned symbol = 0; symbol < symbolCount; ++symbol) {
                ++counts[lengths[symbol]];
            }
            counts[0] = 0;
            std::array<std::uint16_t, 16> offsets{};
            std::array<std::uint32_t, 16> next{};
            std::uint32_t code = 0;
            int left = 1;
            for (unsigned length = 1; length < 16; ++length) {
                left = left * 2 - counts[length];
                if (left < 0) {
                    Fail(); // over-subscribed
                }
                offsets[length] = static_cast<std::uint16_t>(offsets[length - 1] + counts[length - 1]);
                code = (code + counts[length - 1]) << 1;
                next[length] = code;
            }
            for (unsigned symbol = 0; symbol < symbolCount; ++symbol) {
                const unsigned length = lengths[symbol];
                if (length == 0) {
                    continue;
                }
                sorted[offsets[length]++] = static_cast<std::uint16_t>(symbol);
                const std::uint32_t value = next[length]++;
                if (length <= kFastBits) {
                    std::uint32_t reversed = 0;
                    for (unsigned bit = 0; bit < length; ++bit) {
                        reversed |= ((value >> bit) & 1u) << (length - 1 - bit);
                    }
                    for (std::uint32_t i = reversed; i < fast.size(); i += std::uint32_t{1} << length) {
                        fast[i] = static_cast<std::uint16_t>(symbol << 4 | length);
                    }
                }
            }
            maxSymbol = symbolCount;
        }
    };

    [[noreturn]] static void Fail() { throw CodecError("PNG: deflate gave a band that does not decode"); }

    std::uint64_t ConsumedBits() const { return std::uint64_t{position_} * 8 - bitCount_; }

    // Keeps at least 56 bits buffered: one length and one distance code with
    // their extra bits need 48. Past the end, zeros come in; Run() checks that
    // none of them was used.
    void Refill() {
        while (bitCount_ <= 56) {
            const std::uint64_t byte = position_ < size_ ? data_[position_] : 0;
            bits_ |= byte << bitCount_;
            ++position_;
            bitCount_ += 8;
        }
    }

    std::uint32_t Bits(unsigned count) {
        const auto value = static_cast<std::uint32_t>(bits_ & ((std::uint64_t{1} << count) - 1));
        bits_ >>= count;
        bitCount_ -= count;
        return value;
    }

    unsigned Decode(const Code& code) {
        const std::uint16_t entry = code.fast[bits_ & ((1u << kFastBits) - 1)];
        if (entry != 0) {
            Bits(entry & 15u);
            return entry >> 4;
        }
        int value = 0, first = 0, index = 0;
        for (unsigned length = 1; length < 16; ++length) {
            value |= static_cast<int>(Bits(1));
            const int count = code.counts[length];
            if (value - count < first) {
                return code.sorted[static_cast<std::size_t>(index + value - first)];
            }
            index += count;
            first = (first + count) << 1;
            value <<= 1;
        }
        Fail();
    }

    void SkipStored() {
        Bits(bitCount_ % 8);
        const std::uint32_t length = Bits(16);
        if (Bits(16) != (~length & 0xFFFFu)) {
            Fail();
        }
        std::uint32_t left = length;
        while (left > 0 && bitCount_ >= 8) {
            Bits(8);
            --left;
        }
        position_ += left;
        decoded_ += length;
    }

    void ReadDynamicCodes() {
        const unsigned literalCount = Bits(5) + 257;
        const unsigned distanceCount = Bits(5) + 1;
        const unsigned lengthCodeCount = Bits(4) + 4;
        std::array<std::uint8_t, 19> lengthCodes{};
        for (unsigned i = 0; i < lengthCodeCount; ++i) {
            Refill();
            lengthCodes[deflate_format::kCodeLengthOrder[i]] = static_cast<std::uint8_t>(Bits(3));
        }
        Code lengthCode;
        lengthCode.Build(lengthCodes.data(), 19);
        std::array<std::uint8_t, 320> lengths{};
        unsigned filled = 0;
        while (filled < literalCount + distanceCount) {
            Refill();
            const unsigned symbol = Decode(lengthCode);
            if (symbol < 16) {
                lengths[filled++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            std::uint8_t repeated = 0;
            unsigned times = 0;
            if (symbol == 16) {
                if (filled == 0) {
                    Fail();
                }
                repeated = lengths[filled - 1];
                times = 3 + Bits(2);
            } else if (symbol == 17) {
                times = 3 + Bits(3);
            } else {
                times = 11 + Bits(7);
            }
            if (filled + times > literalCount + distanceCount) {
                Fail();
            }
            std::fill_n(lengths.begin() + filled, times, repeated);
            filled += times;
        }
        if (literalCount > 286 || distanceCount > 30 || lengths[256] == 0) {
            Fail();
        }
        literals_.Build(lengths.data(), literalCount);
        distances_.Build(lengths.data() + literalCount, distanceCount);
    }

    void WalkCodes(const Code& literals, const Code& distances) {
        using deflate_format::kDistanceBase;
        using deflate_format::kDistanceExtraBits;
        using deflate_format::kLengthBase;
        using deflate_format::kLengthExtraBits;
        for (;;) {
            Refill();
            const unsigned symbol = Decode(literals);
            if (symbol < 256) {
                ++decoded_;
                continue;
            }
            if (symbol == 256) {
                return;
            }
            const unsigned lengthIndex = symbol - 257;
            if (lengthIndex >= kLengthBase.size()) {
                Fail();
            }
            const std::uint32_t length = kLengthBase[lengthIndex] + Bits(kLengthExtraBits[lengthIndex]);
            const unsigned distanceIndex = Decode(distances);
            if (distanceIndex >= kDistanceBase.size()) {
                Fail();
            }
            const std::uint32_t distance =
                kDistanceBase[distanceIndex] + Bits(kDistanceExtraBits[distanceIndex]);
            if (distance > decoded_) {
                Fail();
            }
            decoded_ += length;
        }
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    std::uint64_t bits_ = 0;
    unsigned bitCount_ = 0;
    std::uint64_t decoded_ = 0;
    std::uint64_t finalBlockBit_ = 0;
    std::uint64_t endBit_ = 0;
    Code fixedLiterals_, fixedDistances_, literals_, distances_;
};

// libdeflate ends every stream with a final block. A band that others follow
// must not: find where its final block starts, clear that block's BFINAL bit,
// and end the band with an empty stored block, which pads the stream to a byte
// boundary where the next band's first block can start. Walking the band also
// checks that it is valid deflate data of exactly the filtered size.
void MakeJoinable(std::vector<std::uint8_t>& band, std::size_t filteredSize) {
    DeflateWalk walk(band.data(), band.size());
    walk.Run();
    const std::uint64_t finalBlockBit = walk.finalBlockBit();
    const std::uint64_t endBit = walk.endBit();
    if (walk.decodedSize() != filteredSize) {
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

// How a picture's rows are filtered. Adaptive gives each row the filter whose
// capped residuals cost least. That sum sees the bytes, not the matches
// deflate finds: where a picture repeats downwards (stacked tiles, the snow
// and ice of a game scene), rows filtered by Up repeat the rows above them
// and pack smaller, though their sums are larger. Which one a picture takes is
// decided by the bytes libdeflate gives on a few rows of each band (ChoosePlan).
enum class FilterPlan : std::uint8_t { Adaptive, Up };

// Converts rows to RGB where needed and filters them, a band at a time. Its
// buffers are sized for the widest picture so far and kept for the next.
class BandFilter {
public:
    // Fills `out` with the band's filtered rows (filter byte, then the row),
    // after as many of the rows before the band as fill deflate's window: the
    // same bytes the band before ends with, as a row's filter depends only on
    // it, the row above and the picture's plan. Returns where the band starts
    // in `out`.
    std::size_t Filter(const PixelRows& rows, const Band& band, std::vector<std::uint8_t>& out,
                       FilterPlan plan = FilterPlan::Adaptive) {
        const std::size_t rowBytes = Prepare(rows);
        const std::uint32_t historyRows = static_cast<std::uint32_t>(
            std::min<std::size_t>(band.firstRow, (kWindowBytes + rowBytes) / (rowBytes + 1)));
        out.resize(std::size_t{historyRows + band.rowCount} * (rowBytes + 1));
        FilterRows(rows, band.firstRow - historyRows, historyRows + band.rowCount, plan, out.data());
        return std::size_t{historyRows} * (rowBytes + 1);
    }

    // Rows [firstRow, firstRow + count) filtered by `plan` into `out`, which
    // holds count * (row bytes + 1).
    void FilterRows(const PixelRows& rows, std::uint32_t firstRow, std::uint32_t count, FilterPlan plan,
                    std::uint8_t* out) {
        if (count == 0) {
            return;
        }
        const std::size_t rowBytes = Prepare(rows);
        const std::uint8_t* above = firstRow == 0 ? zeroRow_.data() : RgbRow(rows, firstRow - 1, 1);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* row = RgbRow(rows, firstRow + i, i % 2);
            if (plan == FilterPlan::Up) {
                out[0] = static_cast<std::uint8_t>(png::Filter::Up);
                for (std::size_t x = 0; x < rowBytes; ++x) {
                    out[1 + x] = static_cast<std::uint8_t>(row[x] - above[x]);
                }
            } else {
                out[0] = static_cast<std::uint8_t>(FilterRow(row, above, rowBytes, scratch_.data(), out + 1));
            }
            out += rowBytes + 1;
            above = row;
        }
    }

    // The filtered cost of one row in every `kCostSampleStride`: a cheap guess
    // at how long the band takes to deflate, to start the slow bands first.
    std::uint64_t SampledCost(const PixelRows& rows, const Band& band) {
        const std::size_t rowBytes = Prepare(rows);
        std::uint64_t cost = 0;
        for (std::uint32_t i = 0; i < band.rowCount; i += kCostSampleStride) {
            const std::uint32_t y = band.firstRow + i;
            const std::uint8_t* above = y == 0 ? zeroRow_.data() : RgbRow(rows, y - 1, 1);
            cost += RowCost(RgbRow(rows, y, 0), above, rowBytes, scratch_.data());
        }
        return cost;
    }

private:
    static constexpr std::uint32_t kCostSampleStride = 16;

    std::size_t Prepare(const PixelRows& rows) {
        const std::size_t rowBytes = std::size_t{rows.width} * kBytesPerPixel;
        if (zeroRow_.size() < rowBytes) {
            zeroRow_.assign(rowBytes, 0);
            rgbRows_.resize(2 * rowBytes);
            scratch_.resize(png::kFilterCount * rowBytes);
        }
        return rowBytes;
    }

    // Row y as RGB; converted rows alternate between two buffers, as the
    // filters look at the row above.
    const std::uint8_t* RgbRow(const PixelRows& rows, std::uint32_t y, std::uint32_t slot) {
        const std::uint8_t* source = rows.first + rows.stride * y;
        if (rows.layout == PixelLayout::Rgb) {
            return source;
        }
        std::uint8_t* rgb = rgbRows_.data() + slot * std::size_t{rows.width} * kBytesPerPixel;
        if (rows.layout == PixelLayout::Rgba) {
            for (std::uint32_t x = 0; x < rows.width; ++x) {
                std::memcpy(rgb + std::size_t{x} * 3, source + std::size_t{x} * 4, 3);
            }
        } else {
            png::BgrxRowToRgb(png::FastestFilterKernel(), source, rgb, rows.width);
        }
        return rgb;
    }

    std::vector<std::uint8_t> zeroRow_;
    std::vector<std::uint8_t> rgbRows_;
    std::vector<std::uint8_t> scratch_;
};

struct ZStreamDeleter {
    void operator()(z_stream* stream) const {
        deflateEnd(stream);
        delete stream;
    }
};

// Deflates one band with libdeflate and, from level 7 on, with the zlib passes
// that beat it on a probe of the band, and keeps the smallest result: zlib's
// run-only matching (runs of one byte, mostly filtered zeros, in small blocks
// whose codes follow the change of filter from row to row), which wins on
// photos, wallpapers, game scenes and flat pictures at a fraction of the cost,
// and the short search, from the band before's last 32 KiB, which wins on many
// bands of desktops. Where the long-match pass (LongMatchDeflater) wins the
// probes instead, it packs the band in libdeflate's place: photos, rendered
// scenes, wallpapers, repeated tiles. Which passes run depends on the band's
// bytes only, so the output stays the same for any number of threads.
class BandCompressor {
public:
    explicit BandCompressor(int level) : level_(level) {
        // libdeflate runs at the zlib level asked for: its parsing at a level is
        // stronger than zlib's and its blocks are split and coded better, so the
        // same effort gives smaller files than zlib at that level in less time.
        libdeflate_.reset(libdeflate_alloc_compressor(level));
        if (!libdeflate_) {
            throw CodecError("PNG: out of memory for the compressor");
        }
    }

    int level() const noexcept { return level_; }

    // What libdeflate packs `data` to, at the level.
    std::size_t PackedSize(const std::uint8_t* data, std::size_t size) {
        return CompressWithLibdeflate(data, size);
    }

    // `data` holds `history` bytes that the band before ended with, then the
    // band's `size` bytes, rows of `rowBytes` filtered bytes each.
    // `packedProbe` is what libdeflate packed the band's middle probe to when
    // the plan was chosen (0: not packed yet).
    DeflatedBand Compress(const std::uint8_t* data, std::size_t history, std::size_t size,
                          std::size_t rowBytes, bool last, std::size_t packedProbe = 0) {
        const std::uint8_t* band = data + history;
        DeflatedBand result;
        result.filteredSize = size;
        result.adler = static_cast<std::uint32_t>(libdeflate_adler32(1, band, size));
        const bool twoEngines = level_ >= kTwoEngineLevel;
        const std::size_t wholeRowBytes = rowBytes == 0 || size % rowBytes != 0 ? size : rowBytes;
        const ProbeRows probeRows = MiddleProbeRows(size / wholeRowBytes, wholeRowBytes);
        const std::size_t probeSize = probeRows.count * wholeRowBytes;
        const std::uint8_t* probe = band + probeRows.first * wholeRowBytes;
        const bool probing = twoEngines && probeSize < size;
        // The probe's smallest size so far: what a pass must beat to run in full.
        std::size_t bestProbe = 0;
        if (probing) {
            bestProbe = packedProbe != 0 ? packedProbe : CompressWithLibdeflate(probe, probeSize);
        }
        std::size_t runsProbe = 0;
        std::size_t searchProbe = 0;
        SpreadProbe spread;
        libdeflate_compressor* engine = libdeflate_.get();
        bool longMatches = false;
        int chainLinks = kNearChainLinks;
        if (probing) {
            runsProbe = CompressWithZlib(Reset(Z_RLE, false, nullptr, 0), probe, probeSize, true);
            // Where the matches are far from runs of one byte (tiles repeated
            // along the row), libdeflate's next level finds longer ones at
            // about the cost of this one, and is taken if it packs the probe
            // smaller. Elsewhere (text, photos) it costs two to three times.
            const bool farMatches = runsProbe >= kFarMatchRatio * bestProbe;
            if (farMatches && level_ < 12) {
                const std::size_t strongerProbe = CompressWithLibdeflate(Stronger(), probe, probeSize);
                if (strongerProbe < bestProbe) {
                    engine = Stronger();
                    bestProbe = strongerProbe;
                }
            }
            if (engine == libdeflate_.get()) {
                const ZlibOnly zlibOnly = ChooseZlibOnly(band, size, rowBytes, probe, probeSize, bestProbe,
                                                         runsProbe, searchProbe, spread);
                if (zlibOnly.runs || zlibOnly.search) {
                    return CompressWithZlibOnly(std::move(result), band, history, size, last, zlibOnly);
                }
            }
            // On noisy bands (kNoisyDivisor) matches are few and short, and the
            // long-match pass packs them as libdeflate does, within 0.1 %, in
            // twice its time: not tried there.
            const bool noisy = bestProbe * kNoisyDivisor > probeSize;
            chainLinks = farMatches ? kFarChainLinks : kNearChainLinks;
            longMatches = !noisy && LongMatchesWin(engine, band, size, rowBytes, probe, probeSize, chainLinks,
                                                   bestProbe, spread);
        }
        const std::size_t packed = longMatches
                                       ? CompressWithLongMatches(band, history, size, last, chainLinks)
                                       : CompressWithLibdeflate(engine, band, size);
        if (!probing) {
            bestProbe = packed;
        }
        // Room for MakeJoinable's few bytes, so that they need no new buffer.
        result.data.reserve(packed + 8);
        result.data.assign(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(packed));
        // The long-match pass and zlib's end open, at a byte boundary.
        bool joinable = longMatches;
        if (twoEngines) {
            // A pass that wins the middle probe must also win the rows spread
            // over the band, the two together: on a page of text the middle
            // can be a stretch of blank rows that a zlib pass packs a few
            // bytes smaller, and on repeated tiles a few rows where the short
            // search finds a match the next level does not, and the full
            // pass then runs only to lose. The spread rows are packed by the
            // level the band was packed at.
            std::size_t bestSpread = longMatches ? spread.longMatches : 0;
            const auto tryPass = [&](int strategy, bool shortChains, std::size_t dictionary,
                                     std::size_t probePacked, std::size_t SpreadProbe::*spreadPacked) {
                std::size_t passSpread = 0;
                if (probing) {
                    if (probePacked == 0) {
                        probePacked = CompressWithZlib(Reset(strategy, shortChains, nullptr, 0), probe,
                                                       probeSize, true);
                    }
                    if (probePacked >= bestProbe) {
                        return;
                    }
                    if (GatherSpread(engine, band, size, rowBytes, spread)) {
                        if (bestSpread == 0) {
                            bestSpread = spread.libdeflate;
                        }
                        if (spread.*spreadPacked == 0) {
                            spread.*spreadPacked = CompressWithZlib(Reset(strategy, shortChains, nullptr, 0),
                                                                    spread_.data(), spread.size, true);
                        }
                        passSpread = spread.*spreadPacked;
                        if (probePacked + passSpread >= bestProbe + bestSpread) {
                            return;
                        }
                    }
                }
                const std::size_t zlibPacked = CompressWithZlib(
                    Reset(strategy, shortChains, band - dictionary, dictionary), band, size, last);
                bestProbe = probing ? probePacked : std::min(bestProbe, zlibPacked);
                if (passSpread != 0) {
                    bestSpread = passSpread;
                }
                if (zlibPacked < result.data.size()) {
                    result.data.assign(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(zlibPacked));
                    joinable = true;
                }
            };
            const std::size_t dictionary = std::min(history, kWindowBytes);
            tryPass(Z_RLE, false, 0, runsProbe, &SpreadProbe::runs);
            if (packed * kSearchPassDivisor <= size) {
                tryPass(Z_FILTERED, true, dictionary, searchProbe, &SpreadProbe::search);
            }
        }
        if (!joinable && !last) {
            MakeJoinable(result.data, size);
        }
        return result;
    }

private:
    using ZStream = std::unique_ptr<z_stream, ZStreamDeleter>;

    // The zlib passes that run in full on a band libdeflate's pass is skipped
    // for; neither: libdeflate's pass runs as usual.
    struct ZlibOnly {
        bool runs = false;
        bool search = false;
    };

    // What each engine packs a band's spread rows to (0: not packed yet).
    struct SpreadProbe {
        bool gathered = false;
        std::size_t size = 0;
        std::size_t libdeflate = 0; // at the band's libdeflate level
        std::size_t runs = 0;
        std::size_t search = 0;
        std::size_t longMatches = 0;
    };

    // `a` is smaller than `b` by more than a `divisor`-th of `a`; with no
    // divisor (0), smaller at all.
    static bool ClearlySmaller(std::size_t a, std::size_t b, std::size_t divisor) {
        return a + (divisor == 0 ? 0 : a / divisor) < b;
    }

    // Skips libdeflate's pass, the costliest, where a zlib pass packs both the
    // probe from the band's middle and rows from all over the band clearly
    // smaller: photos, wallpapers and desktops, where libdeflate's pass ran on
    // every band only to be thrown away. A middle alone can be a blank stretch
    // of a text page that says nothing of the rest, hence the second probe.
    // Then each zlib pass runs whose two probes together come close to the
    // best pass's. On noisy bands any win counts (kNoisyDivisor). `searchProbe`
    // receives the short search's middle probe when it was packed, so that it
    // is not packed twice.
    ZlibOnly ChooseZlibOnly(const std::uint8_t* band, std::size_t size, std::size_t rowBytes,
                            const std::uint8_t* probe, std::size_t probeSize, std::size_t libdeflateProbe,
                            std::size_t runsProbe, std::size_t& searchProbe, SpreadProbe& spread) {
        ZlibOnly chosen;
        const std::size_t margin = libdeflateProbe * kNoisyDivisor > probeSize ? 0 : kClearWinDivisor;
        const bool searchTried = libdeflateProbe * kSearchPassDivisor <= probeSize;
        if (searchTried) {
            searchProbe = CompressWithZlib(Reset(Z_FILTERED, true, nullptr, 0), probe, probeSize, true);
        }
        if (libdeflateProbe < kBlankProbeBytes ||
            !ClearlySmaller(searchTried ? std::min(runsProbe, searchProbe) : runsProbe, libdeflateProbe,
                            margin)) {
            return chosen;
        }
        if (!GatherSpread(libdeflate_.get(), band, size, rowBytes, spread) ||
            spread.libdeflate < kBlankProbeBytes) {
            return chosen;
        }
        const std::size_t libdeflateSpread = spread.libdeflate;
        spread.runs = CompressWithZlib(Reset(Z_RLE, false, nullptr, 0), spread_.data(), spread.size, true);
        const std::size_t runsSpread = spread.runs;
        if (searchTried) {
            spread.search =
                CompressWithZlib(Reset(Z_FILTERED, true, nullptr, 0), spread_.data(), spread.size, true);
        }
        const std::size_t searchSpread =
            searchTried ? spread.search : std::numeric_limits<std::size_t>::max();
        if (!ClearlySmaller(std::min(runsSpread, searchSpread), libdeflateSpread, margin)) {
            return chosen;
        }
        const std::size_t runsBoth = runsProbe + runsSpread;
        const std::size_t searchBoth =
            searchTried ? searchProbe + searchSpread : std::numeric_limits<std::size_t>::max();
        const std::size_t best = std::min(runsBoth, searchBoth);
        chosen.runs = !ClearlySmaller(best, runsBoth, margin);
        chosen.search = searchTried && !ClearlySmaller(best, searchBoth, margin);
        return chosen;
    }

    // Whether the long-match pass should pack the band instead of libdeflate:
    // it must pack the middle probe and the spread rows, the two together,
    // smaller. A middle it loses clearly (by a twentieth) ends the trial
    // before the spread rows are packed: text and flat UI, whose short
    // repeats it does not take. A blank middle says nothing, and the spread
    // rows decide alone: on the tiles, three bands whose middles were sky
    // went to libdeflate at 0.4 % more. Takes the middle's size as the band's
    // best when it wins.
    bool LongMatchesWin(libdeflate_compressor* engine, const std::uint8_t* band, std::size_t size,
                        std::size_t rowBytes, const std::uint8_t* probe, std::size_t probeSize,
                        int chainLinks, std::size_t& bestProbe, SpreadProbe& spread) {
        const bool blankMiddle = bestProbe < kBlankProbeBytes;
        std::size_t middle = 0;
        if (!blankMiddle) {
            middle = CompressWithLongMatches(probe, 0, probeSize, true, chainLinks);
            if (ClearlySmaller(bestProbe, middle, kLongMatchLossDivisor)) {
                return false;
            }
        }
        if (!GatherSpread(engine, band, size, rowBytes, spread) || spread.libdeflate < kBlankProbeBytes) {
            return false;
        }
        spread.longMatches = CompressWithLongMatches(spread_.data(), 0, spread.size, true, chainLinks);
        if (blankMiddle ? spread.longMatches >= spread.libdeflate
                        : middle + spread.longMatches >= bestProbe + spread.libdeflate) {
            return false;
        }
        if (!blankMiddle) {
            bestProbe = middle;
        }
        return true;
    }

    std::size_t CompressWithLongMatches(const std::uint8_t* data, std::size_t history, std::size_t size,
                                        bool last, int chainLinks) {
        if (!longMatches_) {
            longMatches_ = std::make_unique<LongMatchDeflater>();
        }
        return longMatches_->Compress(data, history, size, last, chainLinks, out_);
    }

    // Gathers the spread rows into spread_ and has `engine`, the band's
    // libdeflate level, pack them, once a band; false when the band is too
    // short to spread them.
    bool GatherSpread(libdeflate_compressor* engine, const std::uint8_t* band, std::size_t size,
                      std::size_t rowBytes, SpreadProbe& spread) {
        if (!spread.gathered) {
            spread.gathered = true;
            spread.size = GatherSpreadRows(band, size, rowBytes);
            if (spread.size != 0) {
                spread.libdeflate = CompressWithLibdeflate(engine, spread_.data(), spread.size);
            }
        }
        return spread.size != 0;
    }

    // Rows from kSpreadSlices places evenly over the band, together about as
    // many bytes as the middle probe, into spread_; 0 when the band is too
    // short to spread them.
    std::size_t GatherSpreadRows(const std::uint8_t* band, std::size_t size, std::size_t rowBytes) {
        if (rowBytes == 0 || size % rowBytes != 0) {
            return 0;
        }
        const std::size_t rows = size / rowBytes;
        const std::size_t rowsPerSlice =
            std::max<std::size_t>(1, size / kProbeDivisor / (kSpreadSlices * rowBytes));
        if (rowsPerSlice * kSpreadSlices >= rows) {
            return 0;
        }
        spread_.resize(rowsPerSlice * kSpreadSlices * rowBytes);
        std::uint8_t* to = spread_.data();
        for (std::size_t slice = 0; slice < kSpreadSlices; ++slice) {
            const std::size_t first =
                std::min(rows * (2 * slice + 1) / (2 * kSpreadSlices), rows - rowsPerSlice);
            std::memcpy(to, band + first * rowBytes, rowsPerSlice * rowBytes);
            to += rowsPerSlice * rowBytes;
        }
        return spread_.size();
    }

    DeflatedBand CompressWithZlibOnly(DeflatedBand result, const std::uint8_t* band, std::size_t history,
                                      std::size_t size, bool last, const ZlibOnly& passes) {
        const auto keep = [&](std::size_t packed) {
            if (result.data.empty() || packed < result.data.size()) {
                result.data.assign(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(packed));
            }
        };
        if (passes.runs) {
            keep(CompressWithZlib(Reset(Z_RLE, false, nullptr, 0), band, size, last));
        }
        if (passes.search) {
            const std::size_t dictionary = std::min(history, kWindowBytes);
            keep(CompressWithZlib(Reset(Z_FILTERED, true, band - dictionary, dictionary), band, size, last));
        }
        return result;
    }

    // Every engine writes to one buffer that lives as long as the compressor;
    // each result is copied out at its compressed size before the next.
    std::size_t CompressWithLibdeflate(const std::uint8_t* data, std::size_t size) {
        return CompressWithLibdeflate(libdeflate_.get(), data, size);
    }

    std::size_t CompressWithLibdeflate(libdeflate_compressor* compressor, const std::uint8_t* data,
                                       std::size_t size) {
        out_.resize(std::max(out_.size(), libdeflate_deflate_compress_bound(compressor, size)));
        const std::size_t used =
            libdeflate_deflate_compress(compressor, data, size, out_.data(), out_.size());
        if (used == 0) {
            throw CodecError("PNG: deflate output did not fit its bound");
        }
        return used;
    }

    // A stream made on first use and reset for every later use, starting from
    // `dictionary` (the bytes just before the data) when there is one.
    z_stream& Reset(int strategy, bool shortChains, const std::uint8_t* dictionary,
                    std::size_t dictionarySize) {
        ZStream& stream = zlib_;
        if (!stream) {
            stream.reset(new z_stream{});
            if (deflateInit2(stream.get(), level_, Z_DEFLATED, -15, kZlibMemLevel, strategy) != Z_OK) {
                stream.reset();
                throw CodecError("PNG: zlib could not be initialised");
            }
        } else if (deflateReset(stream.get()) != Z_OK ||
                   deflateParams(stream.get(), level_, strategy) != Z_OK) {
            throw CodecError("PNG: zlib compression failed");
        }
        if (shortChains) {
            // After deflateInit2 and after every reset, which brings back the level's table.
            deflateTune(stream.get(), kZlibGoodLength, kZlibLazyLength, kZlibNiceLength, kZlibChainLength);
        }
        if (dictionarySize > 0 &&
            deflateSetDictionary(stream.get(), dictionary, static_cast<uInt>(dictionarySize)) != Z_OK) {
            throw CodecError("PNG: zlib compression failed");
        }
        return *stream;
    }

    // A band that others follow ends with a sync flush: an empty stored block
    // that leaves the stream at a byte boundary, with no final block.
    std::size_t CompressWithZlib(z_stream& stream, const std::uint8_t* data, std::size_t size, bool last) {
        out_.resize(std::max<std::size_t>(out_.size(), deflateBound(&stream, static_cast<uLong>(size)) + 16));
        stream.next_in = data;
        stream.avail_in = static_cast<uInt>(size);
        stream.next_out = out_.data();
        stream.avail_out = static_cast<uInt>(out_.size());
        const int result = deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH);
        if (result != (last ? Z_STREAM_END : Z_OK) || stream.avail_in != 0 || stream.avail_out == 0) {
            throw CodecError("PNG: zlib compression failed");
        }
        return out_.size() - stream.avail_out;
    }

    // libdeflate one level up, made on first use: only pictures of far
    // matches need it.
    libdeflate_compressor* Stronger() {
        if (!stronger_) {
            stronger_.reset(libdeflate_alloc_compressor(level_ + 1));
            if (!stronger_) {
                throw CodecError("PNG: out of memory for the compressor");
            }
        }
        return stronger_.get();
    }

    int level_;
    Compressor libdeflate_;
    Compressor stronger_;
    ZStream zlib_;
    // Made on first use, by the first band libdeflate's pass is not skipped for.
    std::unique_ptr<LongMatchDeflater> longMatches_;
    std::vector<std::uint8_t> out_;
    std::vector<std::uint8_t> spread_;
};

std::vector<Band> CutIntoBands(const PixelRows& rows) {
    const std::size_t filteredRowBytes = FilteredRowBytes(rows.width);
    const std::size_t rowsPerBand = std::max<std::size_t>(1, kBandBytes / filteredRowBytes);
    std::size_t bandCount = (rows.height + rowsPerBand - 1) / rowsPerBand;
    // An even number of them: two processors (or four) then end together,
    // where with an odd number one packs a band alone at the end while the
    // other waits (the eleven bands of a 2560x1440 picture took 0.52-0.60 of
    // their CPU time as wall time, 24 bands of a 4K one 0.49-0.52).
    if (bandCount > 1 && bandCount % 2 != 0 && bandCount < rows.height) {
        ++bandCount;
    }
    // Bands of even height, so that the last one is not a sliver.
    const std::size_t evenRows = (rows.height + bandCount - 1) / bandCount;
    std::vector<Band> bands;
    for (std::uint32_t row = 0; row < rows.height; row += static_cast<std::uint32_t>(evenRows)) {
        bands.push_back(
            {row, static_cast<std::uint32_t>(std::min<std::size_t>(evenRows, rows.height - row))});
    }
    return bands;
}

// What each thread of a run keeps from one picture to the next, until the pool
// has been without work for a while: its compressors, with their tables, and
// its buffers. Pages the system has to find and clear on first touch cost more
// than some bands' whole deflate.
struct Workspace {
    BandFilter filter;
    std::vector<std::uint8_t> filtered;
    std::unique_ptr<BandCompressor> compressor;

    BandCompressor& CompressorFor(int level) {
        if (!compressor || compressor->level() != level) {
            compressor.reset();
            compressor = std::make_unique<BandCompressor>(level);
        }
        return *compressor;
    }
};

// The workspace of a run's slot (WorkerPool::Run). A pool thread keeps its own
// in thread_local storage, which goes when the thread ends. The calling
// thread's (slot 0) is kept apart, not in that thread: the window's thread
// that saves a capture lives as long as the program, and would otherwise hold
// it for good. Only runs use it, one at a time, and the pool lets it go when
// its threads have ended after their idle time.
Workspace& WorkspaceFor(std::size_t slot) {
    if (slot != 0) {
        thread_local Workspace workspace;
        return workspace;
    }
    // Never destroyed, as the pool is not: a pool thread may release it while
    // the process exits.
    static auto* const callers = [] {
        auto* kept = new std::unique_ptr<Workspace>;
        WorkerPool::Shared().SetIdleRelease([kept] { kept->reset(); });
        return kept;
    }();
    if (!*callers) {
        *callers = std::make_unique<Workspace>();
    }
    return **callers;
}

// What libdeflate packs a band's middle probe to by each plan.
struct ProbeSizes {
    std::size_t adaptive = 0;
    std::size_t up = 0;
    // How long libdeflate took on them: the best guess there is at how long
    // the band will take, to start the slow bands first. Only the order of
    // the bands depends on it, never their bytes.
    std::chrono::steady_clock::duration packing{};
};

ProbeSizes PackProbe(const PixelRows& rows, const Band& band, Workspace& workspace,
                     BandCompressor& compressor) {
    const std::size_t filteredRowBytes = FilteredRowBytes(rows.width);
    const ProbeRows probe = MiddleProbeRows(band.rowCount, filteredRowBytes);
    const auto probeRows = static_cast<std::uint32_t>(probe.count);
    const std::uint32_t firstRow = band.firstRow + static_cast<std::uint32_t>(probe.first);
    const std::size_t size = std::size_t{probeRows} * filteredRowBytes;
    // In the band's own buffer, filled before the band: no buffer more.
    std::vector<std::uint8_t>& buffer = workspace.filtered;
    buffer.resize(size);
    ProbeSizes sizes;
    workspace.filter.FilterRows(rows, firstRow, probeRows, FilterPlan::Adaptive, buffer.data());
    const auto start = std::chrono::steady_clock::now();
    sizes.adaptive = compressor.PackedSize(buffer.data(), size);
    sizes.packing = std::chrono::steady_clock::now() - start;
    workspace.filter.FilterRows(rows, firstRow, probeRows, FilterPlan::Up, buffer.data());
    sizes.up = compressor.PackedSize(buffer.data(), size);
    return sizes;
}

// The picture's plan: Up if the probes of all its bands pack smaller by it.
// One plan for the whole picture, not one a band: a band filtered otherwise
// than the band before finds nothing in that band's last rows, which can cost
// more than a band's plan gains (a picture repeating a strip of rows would
// pay for the strip again at every change of plan). The probes together are
// a thirty-second of the picture, from every band, so the few rows of one
// band that point the wrong way (on tiles a few rows tall they do) are
// outweighed by the rest. With more than one thread, also puts the bands
// whose probe took libdeflate longest first in `order`. `packedProbes`
// receives what each band's probe packed to by the plan chosen.
FilterPlan ChoosePlan(const PixelRows& rows, const std::vector<Band>& bands, int level,
                      std::size_t threadCount, std::vector<std::size_t>& order,
                      std::vector<std::size_t>& packedProbes) {
    packedProbes.assign(bands.size(), 0);
    if (level < kTwoEngineLevel) {
        return FilterPlan::Adaptive;
    }
    std::vector<ProbeSizes> sizes(bands.size());
    std::atomic<std::size_t> next{0};
    WorkerPool::Shared().Run(threadCount, [&](std::size_t slot) {
        Workspace& workspace = WorkspaceFor(slot);
        try {
            BandCompressor& compressor = workspace.CompressorFor(level);
            for (std::size_t i = next++; i < bands.size(); i = next++) {
                sizes[i] = PackProbe(rows, bands[i], workspace, compressor);
            }
        } catch (...) {
            next = bands.size();
            throw;
        }
    });
    if (threadCount > 1) {
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return sizes[a].packing > sizes[b].packing; });
    }
    std::size_t adaptive = 0;
    std::size_t up = 0;
    for (const ProbeSizes& band : sizes) {
        adaptive += band.adaptive;
        up += band.up;
    }
    const FilterPlan plan = up < adaptive ? FilterPlan::Up : FilterPlan::Adaptive;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        packedProbes[i] = plan == FilterPlan::Up ? sizes[i].up : sizes[i].adaptive;
    }
    return plan;
}

// Puts the costliest bands first (by a sample of their filtered rows), so that
// no thread is left with a slow band when the others have run out: the last
// band to start decides when the picture is done. Only for the levels that
// take no probes: where ChoosePlan probes, it orders the bands by how long
// the probes took, as the residuals say little of how long libdeflate
// searches (on a smooth wallpaper it searches long).
void SortSlowestFirst(const PixelRows& rows, const std::vector<Band>& bands,
                      std::vector<std::size_t>& order) {
    BandFilter sampler;
    std::vector<std::uint64_t> costs(bands.size());
    for (std::size_t i = 0; i < bands.size(); ++i) {
        costs[i] = sampler.SampledCost(rows, bands[i]);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return costs[a] > costs[b]; });
}

std::vector<DeflatedBand> DeflateBands(const PixelRows& rows, const std::vector<Band>& bands, int level,
                                       unsigned threads) {
    std::vector<DeflatedBand> deflated(bands.size());
    if (threads == 0) {
        threads = std::max(1u, std::thread::hardware_concurrency());
    }
    const std::size_t threadCount = std::min<std::size_t>(threads, bands.size());
    std::vector<std::size_t> order(bands.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::vector<std::size_t> packedProbes;
    const FilterPlan plan = ChoosePlan(rows, bands, level, threadCount, order, packedProbes);
    if (threadCount > 1 && level < kTwoEngineLevel) {
        SortSlowestFirst(rows, bands, order);
    }
    std::atomic<std::size_t> next{0};
    const std::size_t filteredRowBytes = FilteredRowBytes(rows.width);
    // Each band's result depends on its bytes only, so the order the threads
    // take them in changes nothing in the file.
    const std::function<void(std::size_t)> work = [&](std::size_t slot) {
        Workspace& workspace = WorkspaceFor(slot);
        try {
            BandCompressor& compressor = workspace.CompressorFor(level);
            for (std::size_t taken = next++; taken < order.size(); taken = next++) {
                const std::size_t i = order[taken];
                const std::size_t history = workspace.filter.Filter(rows, bands[i], workspace.filtered, plan);
                deflated[i] = compressor.Compress(workspace.filtered.data(), history,
                                                  workspace.filtered.size() - history, filteredRowBytes,
                                                  i + 1 == bands.size(), packedProbes[i]);
            }
        } catch (...) {
            next = order.size(); // the others stop after their current band
            throw;
        }
    };
    WorkerPool::Shared().Run(threadCount, work);
    return deflated;
}

// Has every thread of a run build what it keeps for a picture of `width` pixels a
// row at `level`, by filtering and packing a band of a flat picture of that
// width: compressors, tables and buffers at a band's full size, their pages
// touched.
void WarmUpWorkspaces(std::uint32_t width, int level, unsigned threads) {
    PixelRows rows;
    rows.width = width;
    rows.layout = PixelLayout::Rgb;
    rows.stride = std::size_t{width} * kBytesPerPixel;
    const std::size_t rowsPerBand = std::max<std::size_t>(1, kBandBytes / FilteredRowBytes(width));
    // Two bands, so that the second starts from the first's rows as bands do.
    rows.height = static_cast<std::uint32_t>(std::min<std::size_t>(2 * rowsPerBand, png::kMaxDimension));
    const std::vector<std::uint8_t> pixels(rows.stride * rows.height, 0x80);
    rows.first = pixels.data();
    rows.size = pixels.size();
    const std::vector<Band> bands = CutIntoBands(rows);
    const Band& band = bands.back();
    if (threads == 0) {
        threads = std::max(1u, std::thread::hardware_concurrency());
    }
    WorkerPool::Shared().Run(threads, [&](std::size_t slot) {
        Workspace& workspace = WorkspaceFor(slot);
        BandCompressor& compressor = workspace.CompressorFor(level);
        const std::size_t history = workspace.filter.Filter(rows, band, workspace.filtered);
        (void)compressor.Compress(workspace.filtered.data(), history, workspace.filtered.size() - history,
                                  FilteredRowBytes(width), bands.size() == 1);
    });
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

    png::AppendHeader(file, rows.width, rows.height, png::kColourRgb);

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

    png::AppendChunk(file, png::kIend, nullptr, 0);
    return file;
}

void WarmUpPngEncoder(std::uint32_t width, int level, unsigned threads) {
    if (width == 0 || width > png::kMaxDimension || level < 0 || level > 9) {
        return;
    }
    WarmUpWorkspaces(width, level, threads);
}

std::vector<std::uint8_t> EncodePng(const Image& picture, int level, unsigned threads) {
    if (picture.channels != 3 && picture.channels != 4) {
        throw CodecError("PNG: can only encode RGB or RGBA pictures");
    }
    const std::size_t stride = picture.stride();
    if (picture.height != 0 && (stride > std::numeric_limits<std::size_t>::max() / picture.height ||
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
