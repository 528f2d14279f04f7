#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "image/LongMatchDeflate.h"

namespace mirulo::image {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kWindow = 32768;

// mt19937's output is the same on every standard library; its distributions
// and std::shuffle are not, so the inputs are drawn from it directly.
Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(random() >> 24);
    }
    return bytes;
}

// `size` bytes repeating `period` random ones; every `noiseEvery`-th byte (0:
// none) drawn at random, so matches break and the parse keeps choosing.
Bytes Periodic(std::size_t size, std::size_t period, std::size_t noiseEvery, std::uint32_t seed) {
    std::mt19937 random(seed);
    const Bytes pattern = RandomBytes(period, seed + 1);
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = pattern[i % period];
        if (noiseEvery != 0 && random() % noiseEvery == 0) {
            bytes[i] = static_cast<std::uint8_t>(random() >> 24);
        }
    }
    return bytes;
}

// Bytes 0..13 a Fibonacci number of times each (1, 2, 3, 5, ... 610; the end
// of block adds the other 1), scattered among bytes drawn evenly from 32
// others. Minimum-redundancy codes for these counts run 18 bits deep, so the
// code must be limited to the 15 deflate allows; 32 values drawn at random
// hardly repeat six bytes, so with any chain the block holds these literals.
Bytes SkewedAlphabet(std::size_t size, std::uint32_t seed) {
    Bytes bytes;
    std::size_t count = 1;
    std::size_t next = 2;
    for (std::uint8_t symbol = 0; symbol < 14; ++symbol) {
        bytes.insert(bytes.end(), count, symbol);
        const std::size_t sum = count + next;
        count = next;
        next = sum;
    }
    std::mt19937 random(seed);
    while (bytes.size() < size) {
        bytes.push_back(static_cast<std::uint8_t>(64 + random() % 32));
    }
    for (std::size_t i = bytes.size() - 1; i > 0; --i) {
        std::swap(bytes[i], bytes[random() % (i + 1)]);
    }
    return bytes;
}

Bytes Joined(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

// The history, then the data, in one allocation of exactly their size: a read
// past either end is one the address sanitizer sees.
struct Input {
    Bytes buffer;
    std::size_t history = 0;

    const std::uint8_t* data() const { return buffer.data() + history; }
    std::size_t size() const { return buffer.size() - history; }
};

Input WithHistory(const Bytes& history, const Bytes& data) {
    return {Joined({history, data}), history.size()};
}

std::size_t FirstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        if (a[i] != b[i]) {
            return i;
        }
    }
    return size;
}

struct Inflated {
    Bytes data;
    int status = Z_OK;
    std::size_t inputLeft = 0;
};

// What zlib makes of a raw deflate stream, its window primed with
// `dictionary` as a preset dictionary, given room for one byte more than
// `expected` so that output past it shows.
Inflated InflateRaw(const std::uint8_t* stream, std::size_t streamSize, const std::uint8_t* dictionary,
                    std::size_t dictionarySize, std::size_t expected) {
    z_stream z{};
    Inflated result;
    EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
    if (dictionarySize > 0) {
        EXPECT_EQ(inflateSetDictionary(&z, dictionary, static_cast<uInt>(dictionarySize)), Z_OK);
    }
    result.data.resize(expected + 1);
    z.next_in = const_cast<Bytef*>(stream);
    z.avail_in = static_cast<uInt>(streamSize);
    z.next_out = result.data.data();
    z.avail_out = static_cast<uInt>(result.data.size());
    result.status = inflate(&z, Z_SYNC_FLUSH);
    result.data.resize(z.total_out);
    result.inputLeft = z.avail_in;
    inflateEnd(&z);
    return result;
}

// The stream inflates back to the data with the history as dictionary. With
// `last` it ends exactly where the encoder said; else every byte is used, the
// data is all out and the stream is still open after an empty stored block.
void ExpectInflatesBack(const Input& input, bool last, const Bytes& out, std::size_t length) {
    ASSERT_LE(length, out.size());
    EXPECT_LE(length, LongMatchDeflater::Bound(input.size()));
    const Inflated inflated =
        InflateRaw(out.data(), length, input.buffer.data(), input.history, input.size());
    EXPECT_EQ(inflated.status, last ? Z_STREAM_END : Z_OK);
    EXPECT_EQ(inflated.inputLeft, 0u);
    ASSERT_EQ(inflated.data.size(), input.size());
    EXPECT_EQ(FirstDifference(inflated.data.data(), input.data(), input.size()), input.size())
        << "first byte that differs";
    if (!last) {
        ASSERT_GE(length, 4u);
        EXPECT_EQ(Bytes(out.begin() + static_cast<std::ptrdiff_t>(length) - 4,
                        out.begin() + static_cast<std::ptrdiff_t>(length)),
                  (Bytes{0x00, 0x00, 0xff, 0xff}));
    }
}

struct Case {
    const char* name;
    Input (*make)();
    // The most the stream may take for data of this size, where the case must
    // pack to less than its bound.
    std::size_t (*most)(std::size_t size);
};

// A stored block costs five bytes a piece, at most 64 KiB a piece.
std::size_t StoredSize(std::size_t size) {
    return size + 16 * (size / 65536 + 1);
}

const Case kCases[] = {
    {"Empty", [] { return Input{}; }, [](std::size_t) -> std::size_t { return 8; }},
    {"EmptyAfterHistory", [] { return WithHistory(RandomBytes(1000, 1), {}); },
     [](std::size_t) -> std::size_t { return 8; }},
    // Two blocks: the first one full with 32768 matches of 258 bytes.
    {"ZerosPastABlockOfLongestMatches",
     [] {
         return Input{Bytes(kWindow * 258 + 3001, 0), 0};
     },
     [](std::size_t size) { return size / 100; }},
    // Nothing to match: stored blocks, one per 32768 literals.
    {"RandomOverSeveralBlocks",
     [] {
         return Input{RandomBytes(150001, 2), 0};
     },
     StoredSize},
    {"RandomAfterRandomHistory", [] { return WithHistory(RandomBytes(5000, 3), RandomBytes(70000, 4)); },
     StoredSize},
    // Matches a hundred bytes back, broken every sixteen bytes or so: two
    // blocks of dynamic codes.
    {"NearRepeatsWithNoise",
     [] {
         return Input{Periodic(400000, 97, 16, 5), 0};
     },
     [](std::size_t size) { return size / 3; }},
    {"NearRepeats",
     [] {
         return Input{Periodic(200000, 101, 0, 6), 0};
     },
     [](std::size_t size) { return size / 50; }},
    {"FarRepeats",
     [] {
         return Input{Periodic(200000, 20000, 0, 7), 0};
     },
     [](std::size_t size) { return StoredSize(20000) + size / 50; }},
    // The farthest the chains reach.
    {"RepeatsAtTheWindowsEdge",
     [] {
         return Input{Periodic(120000, kWindow - 1, 0, 8), 0};
     },
     [](std::size_t size) { return StoredSize(kWindow) + size / 50; }},
    // Matches only in the history: the data is a piece of it.
    {"MatchesOnlyInHistory",
     [] {
         const Bytes history = RandomBytes(30000, 9);
         return WithHistory(history, Bytes(history.begin() + 5000, history.begin() + 25000));
     },
     [](std::size_t size) { return size / 50; }},
    // More history than a window: what lies within reach is matched, the
    // copy of its start (out of reach) is not.
    {"HistoryLongerThanAWindow",
     [] {
         const Bytes history = RandomBytes(50000, 10);
         return WithHistory(history, Joined({Bytes(history.begin() + 30000, history.end()),
                                             Bytes(history.begin(), history.begin() + 10000)}));
     },
     [](std::size_t) { return StoredSize(10000) + 20000 / 50; }},
    // The buffer starts exactly a window before the data.
    {"HistoryOfAWindowExactly",
     [] {
         const Bytes history = Periodic(kWindow, 300, 0, 11);
         return WithHistory(history, Periodic(50000, 300, 0, 11));
     },
     [](std::size_t size) { return size / 50; }},
    {"SkewedAlphabetPastFifteenBitCodes",
     [] {
         return Input{SkewedAlphabet(30000, 12), 0};
     },
     [](std::size_t size) { return size * 3 / 4; }},
    // Blocks of each kind after one of another, at any bit: dynamic, stored,
    // dynamic, dynamic, and a short last one of fixed codes.
    {"MixedBlocks",
     [] {
         return Input{Joined({Periodic(150000, 100, 30, 14), RandomBytes(60000, 13), Bytes(50000, 0),
                              SkewedAlphabet(40000, 15), RandomBytes(19683, 16), Periodic(600, 50, 0, 17)}),
                      0};
     },
     nullptr},
};

constexpr int kChainSettings[] = {32, 256};

class LongMatchDeflateCase : public testing::TestWithParam<std::tuple<Case, bool, int>> {};

TEST_P(LongMatchDeflateCase, InflatesBackToTheData) {
    const auto& [testCase, last, chainLinks] = GetParam();
    const Input input = testCase.make();
    LongMatchDeflater deflater;
    Bytes out;
    const std::size_t length =
        deflater.Compress(input.data(), input.history, input.size(), last, chainLinks, out);
    ExpectInflatesBack(input, last, out, length);
    if (testCase.most != nullptr) {
        EXPECT_LE(length, testCase.most(input.size()));
    }
}

std::string CaseName(const testing::TestParamInfo<LongMatchDeflateCase::ParamType>& info) {
    const auto& [testCase, last, chainLinks] = info.param;
    return std::string(testCase.name) + (last ? "_Last" : "_Open") + "_Chain" + std::to_string(chainLinks);
}

INSTANTIATE_TEST_SUITE_P(Inputs, LongMatchDeflateCase,
                         testing::Combine(testing::ValuesIn(kCases), testing::Bool(),
                                          testing::ValuesIn(kChainSettings)),
                         CaseName);

// Data shorter than the eight bytes the hash reads, and history and data
// around that reach: every split of short inputs, repeating or not.
TEST(LongMatchDeflate, ShortInputsAroundTheHashesReach) {
    const Bytes contents[] = {Bytes(24, 'a'), Periodic(24, 3, 0, 20), RandomBytes(24, 21)};
    LongMatchDeflater deflater;
    for (std::size_t content = 0; content < std::size(contents); ++content) {
        for (std::size_t history = 0; history <= 12; ++history) {
            for (std::size_t size = 0; size + history <= contents[content].size(); ++size) {
                for (const bool last : {true, false}) {
                    SCOPED_TRACE("content " + std::to_string(content) + ", history " +
                                 std::to_string(history) + ", size " + std::to_string(size) +
                                 (last ? ", last" : ", open"));
                    const Input input{
                        Bytes(contents[content].begin(),
                              contents[content].begin() + static_cast<std::ptrdiff_t>(history + size)),
                        history};
                    Bytes out;
                    const std::size_t length =
                        deflater.Compress(input.data(), input.history, input.size(), last, 32, out);
                    ExpectInflatesBack(input, last, out, length);
                }
            }
        }
    }
}

// As the PNG writer uses it: bands packed one after another, each with all
// before it as history and only the last one final, make one stream.
TEST(LongMatchDeflate, OpenBandsJoinIntoOneStream) {
    const Bytes data =
        Joined({Periodic(90000, 100, 25, 30), RandomBytes(40000, 31), Periodic(60000, 5000, 0, 32)});
    const std::size_t bandEnds[] = {1, 50000, 50000, 50007, 120000, 150000, data.size()};
    LongMatchDeflater deflater;
    Bytes stream;
    std::size_t bandStart = 0;
    for (const std::size_t bandEnd : bandEnds) {
        Bytes out;
        const std::size_t length = deflater.Compress(data.data() + bandStart, bandStart, bandEnd - bandStart,
                                                     bandEnd == data.size(), 32, out);
        stream.insert(stream.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(length));
        bandStart = bandEnd;
    }
    const Inflated inflated = InflateRaw(stream.data(), stream.size(), nullptr, 0, data.size());
    EXPECT_EQ(inflated.status, Z_STREAM_END);
    EXPECT_EQ(inflated.inputLeft, 0u);
    ASSERT_EQ(inflated.data.size(), data.size());
    EXPECT_EQ(FirstDifference(inflated.data.data(), data.data(), data.size()), data.size());
}

// `out` is only ever a place to write: what it held and its size change
// nothing, and neither does what the deflater packed before.
TEST(LongMatchDeflate, GivesTheSameStreamWhateverTheOutBufferAndThePackingBefore) {
    const Input input = WithHistory(Periodic(20000, 700, 50, 40), Periodic(100000, 700, 50, 40));
    Bytes reference;
    const std::size_t referenceLength =
        LongMatchDeflater().Compress(input.data(), input.history, input.size(), false, 32, reference);
    ExpectInflatesBack(input, false, reference, referenceLength);

    LongMatchDeflater reused;
    Bytes before;
    const Input other = WithHistory(RandomBytes(kWindow, 41), Periodic(200000, 1000, 10, 42));
    reused.Compress(other.data(), other.history, other.size(), true, 256, before);

    const std::size_t outSizes[] = {0, 3, referenceLength - 1, referenceLength, referenceLength + 100000};
    for (const std::size_t outSize : outSizes) {
        SCOPED_TRACE("out of " + std::to_string(outSize) + " bytes");
        Bytes out(outSize, 0xa5);
        const std::size_t length = reused.Compress(input.data(), input.history, input.size(), false, 32, out);
        ASSERT_EQ(length, referenceLength);
        ASSERT_GE(out.size(), length);
        EXPECT_TRUE(
            std::equal(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(length), reference.begin()));
    }
}

} // namespace
} // namespace mirulo::image
