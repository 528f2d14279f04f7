#include "image/LongMatchDeflate.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "image/DeflateFormat.h"
#include "image/Image.h"

namespace mirulo::image {
namespace {

constexpr int kMinMatch = 6;
constexpr unsigned kMaxMatch = 258;
constexpr std::size_t kWindow = 32768;
// previous_ is a ring one window long, where each place takes the slot of the
// place a window before it: chains stop a byte short of the window, so that
// no link is ever read from a slot a newer place may have taken.
constexpr std::size_t kChainReach = kWindow - 1;
constexpr int kHashBits = 15;
// A pending match this long is taken without looking one byte on for a longer
// one; past one of kGoodLength, that look follows a quarter of the links.
// zlib's values for its levels 4 to 7.
constexpr int kLazyLength = 32;
constexpr int kGoodLength = 8;
// Symbols a block holds before its codes are made and it is written. Longer
// blocks than zlib's 16 K symbols pay their code tables less often; on tiles
// and scenes they were 0.1 % smaller, and the codes still follow the picture.
constexpr std::size_t kBlockSymbols = 32768;

// A symbol of a block: the distance (0 for a literal) above the low ten bits,
// which hold the literal byte or the match length.
constexpr unsigned kValueBits = 10;
constexpr std::uint32_t kValueMask = (1u << kValueBits) - 1;

using deflate_format::kCodeLengthCodes;
using deflate_format::kCodeLengthOrder;
using deflate_format::kDistanceBase;
using deflate_format::kDistanceCodes;
using deflate_format::kDistanceExtraBits;
using deflate_format::kEndOfBlock;
using deflate_format::kFirstLengthCode;
using deflate_format::kFixedLiteralLengths;
using deflate_format::kLengthBase;
using deflate_format::kLengthExtraBits;
using deflate_format::kLiteralLengthCodes;
using deflate_format::kMaxCodeLength;
using deflate_format::kMaxCodeLengthCodeLength;

struct CodeTables {
    std::array<std::uint8_t, kMaxMatch + 1> lengthCode{};
    // Distances up to 256 by distance - 1; longer ones by (distance - 1) / 128,
    // as every code past 256 spans whole multiples of 128.
    std::array<std::uint8_t, 256> nearDistanceCode{};
    std::array<std::uint8_t, 256> farDistanceCode{};

    constexpr CodeTables() {
        for (std::size_t code = 0; code < kLengthBase.size(); ++code) {
            for (unsigned length = kLengthBase[code];
                 length < kLengthBase[code] + (1u << kLengthExtraBits[code]) && length <= kMaxMatch;
                 ++length) {
                lengthCode[length] = static_cast<std::uint8_t>(code);
            }
        }
        lengthCode[kMaxMatch] = 28; // 258 has a code of its own, not 227 + 31
        for (std::size_t code = 0; code < kDistanceCodes; ++code) {
            for (unsigned distance = kDistanceBase[code];
                 distance < kDistanceBase[code] + (1u << kDistanceExtraBits[code]); ++distance) {
                if (distance <= 256) {
                    nearDistanceCode[distance - 1] = static_cast<std::uint8_t>(code);
                } else {
                    farDistanceCode[(distance - 1) >> 7] = static_cast<std::uint8_t>(code);
                }
            }
        }
    }

    std::size_t DistanceCode(std::uint32_t distance) const {
        return distance <= 256 ? nearDistanceCode[distance - 1] : farDistanceCode[(distance - 1) >> 7];
    }
};

constexpr CodeTables kTables;

std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// Code lengths of at most `limit` bits for symbols of the given counts (0 for
// the unused). Minimum-redundancy lengths by Moffat and Katajainen's in-place
// method, then, where they run past the limit, the rebalancing of JPEG's
// Annex K.3, which keeps the code complete. A lone symbol gets a partner, so
// that every code is complete.
template <std::size_t N>
void BuildCodeLengths(const std::array<std::uint32_t, N>& counts, std::size_t limit,
                      std::array<std::uint8_t, N>& lengths) {
    lengths.fill(0);
    std::array<std::size_t, N> symbols{};
    std::size_t used = 0;
    for (std::size_t symbol = 0; symbol < N; ++symbol) {
        if (counts[symbol] != 0) {
            symbols[used++] = symbol;
        }
    }
    if (used <= 1) {
        const std::size_t only = used == 1 ? symbols[0] : 0;
        lengths[only] = 1;
        lengths[only == 0 ? 1 : 0] = 1;
        return;
    }
    std::sort(
        symbols.begin(), symbols.begin() + static_cast<std::ptrdiff_t>(used),
        [&](std::size_t a, std::size_t b) { return counts[a] != counts[b] ? counts[a] < counts[b] : a < b; });
    std::array<std::uint32_t, N> work{};
    for (std::size_t i = 0; i < used; ++i) {
        work[i] = counts[symbols[i]];
    }
    // Moffat-Katajainen: the first pass forms the tree's inner nodes in
    // place, the second their depths, the third the leaves' depths. Inner
    // nodes are referred to by index, leaves by count, both in work[].
    work[0] += work[1];
    std::size_t root = 0;
    std::size_t leaf = 2;
    for (std::size_t next = 1; next < used - 1; ++next) {
        if (leaf >= used || work[root] < work[leaf]) {
            work[next] = work[root];
            work[root++] = static_cast<std::uint32_t>(next);
        } else {
            work[next] = work[leaf++];
        }
        if (leaf >= used || (root < next && work[root] < work[leaf])) {
            work[next] += work[root];
            work[root++] = static_cast<std::uint32_t>(next);
        } else {
            work[next] += work[leaf++];
        }
    }
    work[used - 2] = 0;
    for (std::size_t next = used - 2; next-- > 0;) {
        work[next] = work[work[next]] + 1;
    }
    std::size_t available = 1;
    std::size_t inner = 0;
    std::uint32_t depth = 0;
    std::size_t innerLeft = used - 1; // inner nodes not yet placed at a depth, the deepest last
    std::size_t next = used;          // leaves are given depths from the back
    while (available > 0) {
        while (innerLeft > 0 && work[innerLeft - 1] == depth) {
            ++inner;
            --innerLeft;
        }
        while (available > inner) {
            work[--next] = depth;
            --available;
        }
        available = 2 * inner;
        ++depth;
        inner = 0;
    }
    // work[i] is now the length of symbols[i], longest first.
    std::array<std::size_t, N + 1> perLength{};
    for (std::size_t i = 0; i < used; ++i) {
        ++perLength[work[i]];
    }
    for (std::size_t length = used; length > limit; --length) {
        while (perLength[length] > 0) {
            std::size_t shorter = length - 2;
            while (perLength[shorter] == 0) {
                --shorter;
            }
            perLength[length] -= 2;
            perLength[length - 1] += 1;
            perLength[shorter + 1] += 2;
            perLength[shorter] -= 1;
        }
    }
    std::size_t symbol = used; // the most frequent take the shortest
    for (std::size_t length = 1; length <= limit; ++length) {
        for (std::size_t k = 0; k < perLength[length]; ++k) {
            lengths[symbols[--symbol]] = static_cast<std::uint8_t>(length);
        }
    }
}

// Canonical codes for the lengths, bit-reversed, as deflate sends codes from
// their first bit.
template <std::size_t N>
void CanonicalCodes(const std::array<std::uint8_t, N>& lengths, std::array<std::uint16_t, N>& codes) {
    std::array<unsigned, kMaxCodeLength + 1> perLength{};
    for (const std::uint8_t length : lengths) {
        ++perLength[length];
    }
    perLength[0] = 0;
    std::array<unsigned, kMaxCodeLength + 1> next{};
    unsigned code = 0;
    for (std::size_t length = 1; length <= kMaxCodeLength; ++length) {
        code = (code + perLength[length - 1]) << 1;
        next[length] = code;
    }
    for (std::size_t symbol = 0; symbol < N; ++symbol) {
        const std::uint8_t length = lengths[symbol];
        codes[symbol] = 0;
        if (length == 0) {
            continue;
        }
        unsigned value = next[length]++;
        unsigned reversed = 0;
        for (unsigned bit = 0; bit < length; ++bit) {
            reversed = (reversed << 1) | (value & 1u);
            value >>= 1;
        }
        codes[symbol] = static_cast<std::uint16_t>(reversed);
    }
}

} // namespace

struct LongMatchDeflater::BitWriter {
    std::vector<std::uint8_t>& out;
    std::size_t used = 0;
    std::uint64_t pending = 0;
    unsigned pendingBits = 0;

    // Room for `bytes` more, on top of what is pending.
    void Reserve(std::size_t bytes) {
        const std::size_t needed = used + bytes + 16;
        if (out.size() < needed) {
            out.resize(std::max(needed, out.size() + out.size() / 2));
        }
    }
    // At most 32 bits at a time.
    void Put(std::uint32_t value, unsigned count) {
        pending |= static_cast<std::uint64_t>(value) << pendingBits;
        pendingBits += count;
        if (pendingBits >= 32) {
            const auto word = static_cast<std::uint32_t>(pending);
            const std::uint8_t bytes[4] = {
                static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24)};
            std::memcpy(out.data() + used, bytes, 4);
            used += 4;
            pending >>= 32;
            pendingBits -= 32;
        }
    }
    void AlignToByte() {
        while (pendingBits > 0) {
            out[used++] = static_cast<std::uint8_t>(pending);
            pending >>= 8;
            pendingBits = pendingBits > 8 ? pendingBits - 8 : 0;
        }
        pending = 0;
        pendingBits = 0;
    }
    void PutBytes(const std::uint8_t* bytes, std::size_t count) {
        std::memcpy(out.data() + used, bytes, count);
        used += count;
    }
};

LongMatchDeflater::LongMatchDeflater() : head_(std::size_t{1} << kHashBits, -1), previous_(kWindow, 0) {
    symbols_.reserve(kBlockSymbols + 1);
}

std::size_t LongMatchDeflater::Bound(std::size_t size) {
    // Every block costs at most its bytes stored: five bytes a 64 KiB piece, and
    // a block holds at least kBlockSymbols bytes but the last.
    return size + 5 * (size / 65535 + size / kBlockSymbols + 2) + 16;
}

std::uint32_t LongMatchDeflater::HashAt(std::size_t position) const {
    constexpr std::uint64_t kSixBytes = (std::uint64_t{1} << (8 * kMinMatch)) - 1;
    return static_cast<std::uint32_t>(((Load64(base_ + position) & kSixBytes) * 0x9E3779B97F4A7C15ull) >>
                                      (64 - kHashBits));
}

void LongMatchDeflater::Insert(std::size_t position) {
    std::int32_t& head = head_[HashAt(position)];
    const std::size_t distance = head < 0 ? 0 : position - static_cast<std::size_t>(head);
    previous_[position & (kWindow - 1)] = distance <= kChainReach ? static_cast<std::uint16_t>(distance) : 0;
    head = static_cast<std::int32_t>(position);
}

void LongMatchDeflater::FindMatch(std::size_t position, int longerThan, int chainLinks, int& length,
                                  int& distance) const {
    length = 0;
    distance = 0;
    const std::int32_t head = head_[HashAt(position)];
    if (head < 0) {
        return;
    }
    const std::uint8_t* current = base_ + position;
    const int maxLength = static_cast<int>(std::min<std::size_t>(kMaxMatch, end_ - position));
    int best = longerThan;
    int links = longerThan >= kGoodLength ? chainLinks / 4 : chainLinks;
    std::size_t back = position - static_cast<std::size_t>(head);
    while (back <= kChainReach && links-- > 0 && best < maxLength) {
        const std::uint8_t* candidate = current - back;
        if (candidate[best] == current[best]) {
            int matched = 0;
            while (matched + 8 <= maxLength) {
                const std::uint64_t differ = Load64(candidate + matched) ^ Load64(current + matched);
                if (differ != 0) {
                    matched += __builtin_ctzll(differ) >> 3;
                    break;
                }
                matched += 8;
            }
            if (matched + 8 > maxLength) {
                while (matched < maxLength && candidate[matched] == current[matched]) {
                    ++matched;
                }
            }
            if (matched > best) {
                best = matched;
                length = matched;
                distance = static_cast<int>(back);
            }
        }
        const std::uint16_t step = previous_[(position - back) & (kWindow - 1)];
        if (step == 0) {
            break;
        }
        back += step;
    }
    if (length < kMinMatch) {
        length = 0;
    }
}

std::size_t LongMatchDeflater::Compress(const std::uint8_t* data, std::size_t history, std::size_t size,
                                        bool last, int chainLinks, std::vector<std::uint8_t>& out) {
    history = std::min(history, kWindow);
    if (history + size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw CodecError("PNG: band too large to deflate");
    }
    base_ = data - history;
    end_ = history + size;
    std::fill(head_.begin(), head_.end(), -1);
    // A match needs eight readable bytes where it starts: the hash reads them.
    const std::size_t searchEnd = end_ >= 8 ? end_ - 8 : 0;
    const bool searchable = end_ >= 8;
    for (std::size_t position = 0; position < history && searchable && position <= searchEnd; ++position) {
        Insert(position);
    }
    BitWriter bits{out};
    symbols_.clear();
    std::size_t position = history;
    std::size_t blockStart = history;
    // zlib's lazy parse: a match found at one place is held while the next
    // place is searched, and taken only if that one finds no longer match.
    bool pending = false;
    int pendingLength = 0;
    int pendingDistance = 0;
    while (position < end_) {
        int length = 0;
        int distance = 0;
        if (searchable && position <= searchEnd) {
            if (!(pending && pendingLength >= kLazyLength)) {
                FindMatch(position, std::max(pending ? pendingLength : 0, kMinMatch - 1), chainLinks, length,
                          distance);
            }
            Insert(position);
        }
        if (pending && pendingLength >= kMinMatch && length <= pendingLength) {
            symbols_.push_back((static_cast<std::uint32_t>(pendingDistance) << kValueBits) |
                               static_cast<std::uint32_t>(pendingLength));
            const std::size_t matchEnd = position - 1 + static_cast<std::size_t>(pendingLength);
            for (std::size_t covered = position + 1; covered < matchEnd && covered <= searchEnd && searchable;
                 ++covered) {
                Insert(covered);
            }
            position = matchEnd;
            pending = false;
            pendingLength = 0;
        } else {
            if (pending) {
                symbols_.push_back(base_[position - 1]);
            }
            pending = true;
            pendingLength = length;
            pendingDistance = distance;
            ++position;
        }
        if (symbols_.size() >= kBlockSymbols) {
            // The pending place is not in a symbol yet: it opens the next block.
            const std::size_t blockEnd = pending ? position - 1 : position;
            WriteBlock(bits, blockStart, blockEnd, false);
            blockStart = blockEnd;
        }
    }
    if (pending) {
        // The data ended while a place waited: past the search's end, no match
        // is pending, only its literal.
        if (pendingLength >= kMinMatch) {
            symbols_.push_back((static_cast<std::uint32_t>(pendingDistance) << kValueBits) |
                               static_cast<std::uint32_t>(pendingLength));
        } else {
            symbols_.push_back(base_[position - 1]);
        }
    }
    WriteBlock(bits, blockStart, end_, last);
    bits.Reserve(8);
    if (!last) {
        // An empty stored block: the stream stops at a byte boundary, open.
        bits.Put(0, 3);
        bits.AlignToByte();
        const std::uint8_t emptyStored[4] = {0x00, 0x00, 0xff, 0xff};
        bits.PutBytes(emptyStored, sizeof emptyStored);
    } else {
        bits.AlignToByte();
    }
    return bits.used;
}

void LongMatchDeflater::WriteBlock(BitWriter& bits, std::size_t blockStart, std::size_t blockEnd,
                                   bool final) {
    std::array<std::uint32_t, kLiteralLengthCodes> literalCounts{};
    std::array<std::uint32_t, kDistanceCodes> distanceCounts{};
    for (const std::uint32_t symbol : symbols_) {
        const std::uint32_t distance = symbol >> kValueBits;
        const std::uint32_t value = symbol & kValueMask;
        if (distance == 0) {
            ++literalCounts[value];
        } else {
            ++literalCounts[kFirstLengthCode + kTables.lengthCode[value]];
            ++distanceCounts[kTables.DistanceCode(distance)];
        }
    }
    literalCounts[kEndOfBlock] = 1;
    std::array<std::uint8_t, kLiteralLengthCodes> literalLengths{};
    std::array<std::uint8_t, kDistanceCodes> distanceLengths{};
    BuildCodeLengths(literalCounts, kMaxCodeLength, literalLengths);
    BuildCodeLengths(distanceCounts, kMaxCodeLength, distanceLengths);
    std::size_t literalCodesSent = kLiteralLengthCodes;
    while (literalCodesSent > kFirstLengthCode && literalLengths[literalCodesSent - 1] == 0) {
        --literalCodesSent;
    }
    std::size_t distanceCodesSent = kDistanceCodes;
    while (distanceCodesSent > 1 && distanceLengths[distanceCodesSent - 1] == 0) {
        --distanceCodesSent;
    }

    // The two codes' lengths, run-length coded: 16 repeats the length before
    // 3-6 times, 17 and 18 give 3-10 and 11-138 zeros.
    std::array<std::uint8_t, kLiteralLengthCodes + kDistanceCodes> allLengths{};
    std::copy_n(literalLengths.begin(), literalCodesSent, allLengths.begin());
    std::copy_n(distanceLengths.begin(), distanceCodesSent,
                allLengths.begin() + static_cast<std::ptrdiff_t>(literalCodesSent));
    const std::size_t lengthCount = literalCodesSent + distanceCodesSent;
    struct LengthSymbol {
        std::uint8_t symbol;
        std::uint8_t extra;
    };
    std::array<LengthSymbol, kLiteralLengthCodes + kDistanceCodes> lengthSymbols{};
    std::size_t lengthSymbolCount = 0;
    std::array<std::uint32_t, kCodeLengthCodes> lengthCodeCounts{};
    const auto add = [&](std::size_t symbol, std::size_t extra) {
        lengthSymbols[lengthSymbolCount++] = {static_cast<std::uint8_t>(symbol),
                                              static_cast<std::uint8_t>(extra)};
        ++lengthCodeCounts[symbol];
    };
    for (std::size_t i = 0; i < lengthCount;) {
        const std::uint8_t length = allLengths[i];
        std::size_t run = 1;
        while (i + run < lengthCount && allLengths[i + run] == length) {
            ++run;
        }
        i += run;
        if (length == 0) {
            while (run >= 11) {
                const std::size_t taken = std::min<std::size_t>(run, 138);
                add(18, taken - 11);
                run -= taken;
            }
            if (run >= 3) {
                add(17, run - 3);
                run = 0;
            }
        } else {
            add(length, 0);
            --run;
            while (run >= 3) {
                const std::size_t taken = std::min<std::size_t>(run, 6);
                add(16, taken - 3);
                run -= taken;
            }
        }
        for (; run > 0; --run) {
            add(length, 0);
        }
    }
    std::array<std::uint8_t, kCodeLengthCodes> lengthCodeLengths{};
    BuildCodeLengths(lengthCodeCounts, kMaxCodeLengthCodeLength, lengthCodeLengths);
    std::size_t lengthCodesSent = kCodeLengthCodes;
    while (lengthCodesSent > 4 && lengthCodeLengths[kCodeLengthOrder[lengthCodesSent - 1]] == 0) {
        --lengthCodesSent;
    }
    const auto repeatBits = [](std::size_t symbol) -> unsigned {
        return symbol == 16 ? 2 : symbol == 17 ? 3 : symbol == 18 ? 7 : 0;
    };

    // What each way of writing the block costs, in bits.
    std::uint64_t dynamicBits = 3 + 5 + 5 + 4 + 3 * std::uint64_t{lengthCodesSent};
    for (std::size_t i = 0; i < lengthSymbolCount; ++i) {
        const std::size_t symbol = lengthSymbols[i].symbol;
        dynamicBits += lengthCodeLengths[symbol] + repeatBits(symbol);
    }
    std::uint64_t fixedBits = 3;
    for (std::size_t symbol = 0; symbol < kLiteralLengthCodes; ++symbol) {
        const std::uint64_t extra =
            symbol >= kFirstLengthCode ? kLengthExtraBits[symbol - kFirstLengthCode] : 0;
        dynamicBits += literalCounts[symbol] * (literalLengths[symbol] + extra);
        fixedBits += literalCounts[symbol] * (kFixedLiteralLengths[symbol] + extra);
    }
    for (std::size_t symbol = 0; symbol < kDistanceCodes; ++symbol) {
        dynamicBits +=
            std::uint64_t{distanceCounts[symbol]} * (distanceLengths[symbol] + kDistanceExtraBits[symbol]);
        fixedBits += std::uint64_t{distanceCounts[symbol]} *
                     (deflate_format::kFixedDistanceLength + kDistanceExtraBits[symbol]);
    }
    // A stored block holds at most 65,535 bytes. A block of more is mostly
    // matches of six bytes or more, which the fixed codes always write in
    // fewer bits than storing them, so it is never stored.
    const std::size_t rawBytes = blockEnd - blockStart;
    constexpr std::size_t kMaxStoredBytes = 65535;
    const std::uint64_t storedBits = 8 * (std::uint64_t{rawBytes} + 5) + 8;

    if (rawBytes <= kMaxStoredBytes && storedBits < dynamicBits && storedBits < fixedBits) {
        bits.Reserve(storedBits / 8 + 8);
        bits.Put(final ? 1 : 0, 3);
        bits.AlignToByte();
        const std::uint8_t header[4] = {
            static_cast<std::uint8_t>(rawBytes), static_cast<std::uint8_t>(rawBytes >> 8),
            static_cast<std::uint8_t>(~rawBytes), static_cast<std::uint8_t>(~rawBytes >> 8)};
        bits.PutBytes(header, sizeof header);
        bits.PutBytes(base_ + blockStart, rawBytes);
        symbols_.clear();
        return;
    }

    std::array<std::uint16_t, 288> literalCodes{};
    std::array<std::uint16_t, kDistanceCodes> distanceCodes{};
    std::array<std::uint8_t, 288> usedLiteralLengths{};
    std::array<std::uint8_t, kDistanceCodes> usedDistanceLengths{};
    if (fixedBits <= dynamicBits) {
        bits.Reserve(fixedBits / 8 + 8);
        bits.Put(final ? 1 : 0, 1);
        bits.Put(1, 2);
        usedLiteralLengths = kFixedLiteralLengths;
        usedDistanceLengths.fill(deflate_format::kFixedDistanceLength);
    } else {
        bits.Reserve(dynamicBits / 8 + 8);
        bits.Put(final ? 1 : 0, 1);
        bits.Put(2, 2);
        bits.Put(static_cast<std::uint32_t>(literalCodesSent - kFirstLengthCode), 5);
        bits.Put(static_cast<std::uint32_t>(distanceCodesSent - 1), 5);
        bits.Put(static_cast<std::uint32_t>(lengthCodesSent - 4), 4);
        for (std::size_t i = 0; i < lengthCodesSent; ++i) {
            bits.Put(lengthCodeLengths[kCodeLengthOrder[i]], 3);
        }
        std::array<std::uint16_t, kCodeLengthCodes> lengthCodes{};
        CanonicalCodes(lengthCodeLengths, lengthCodes);
        for (std::size_t i = 0; i < lengthSymbolCount; ++i) {
            const LengthSymbol& entry = lengthSymbols[i];
            bits.Put(lengthCodes[entry.symbol], lengthCodeLengths[entry.symbol]);
            if (repeatBits(entry.symbol) != 0) {
                bits.Put(entry.extra, repeatBits(entry.symbol));
            }
        }
        std::copy(literalLengths.begin(), literalLengths.end(), usedLiteralLengths.begin());
        usedDistanceLengths = distanceLengths;
    }
    CanonicalCodes(usedLiteralLengths, literalCodes);
    CanonicalCodes(usedDistanceLengths, distanceCodes);
    for (const std::uint32_t symbol : symbols_) {
        const std::uint32_t distance = symbol >> kValueBits;
        const std::uint32_t value = symbol & kValueMask;
        if (distance == 0) {
            bits.Put(literalCodes[value], usedLiteralLengths[value]);
            continue;
        }
        const std::size_t lengthCode = kTables.lengthCode[value];
        bits.Put(literalCodes[kFirstLengthCode + lengthCode],
                 usedLiteralLengths[kFirstLengthCode + lengthCode]);
        if (kLengthExtraBits[lengthCode] != 0) {
            bits.Put(value - kLengthBase[lengthCode], kLengthExtraBits[lengthCode]);
        }
        const std::size_t distanceCode = kTables.DistanceCode(distance);
        bits.Put(distanceCodes[distanceCode], usedDistanceLengths[distanceCode]);
        if (kDistanceExtraBits[distanceCode] != 0) {
            bits.Put(distance - kDistanceBase[distanceCode], kDistanceExtraBits[distanceCode]);
        }
    }
    bits.Put(literalCodes[kEndOfBlock], usedLiteralLengths[kEndOfBlock]);
    symbols_.clear();
}

} // namespace mirulo::image
