// Damaged, hostile and unusual files, built chunk by chunk with the test's own
// writer so that each case holds exactly one fault.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "PngTestSupport.h"
#include "image/PngReader.h"
#include "image/PngWriter.h"

namespace mirulo::image::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kWidth = 8;
constexpr std::uint32_t kHeight = 4;

// Filtered image data of `rows` rows of `rowBytes` bytes, each with filter byte
// `filter` (the first row's may be replaced).
Bytes Rows(std::size_t rowBytes, std::size_t rows, std::uint8_t filter = 0) {
    Bytes raw;
    for (std::size_t r = 0; r < rows; ++r) {
        raw.push_back(filter);
        for (std::size_t i = 0; i < rowBytes; ++i) {
            raw.push_back(static_cast<std::uint8_t>(r * 31 + i * 7));
        }
    }
    return raw;
}

Bytes RgbRows(std::size_t rows = kHeight) {
    return Rows(kWidth * 3, rows);
}

// An 8x4 RGB file: IHDR, one IDAT, IEND.
std::vector<Chunk> RgbChunks(const Bytes& raw = RgbRows()) {
    return {MakeIhdr(kWidth, kHeight, 8, 2), {"IDAT", ZlibCompress(raw)}, {"IEND", {}}};
}

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes WithIhdrByte(std::size_t index, std::uint8_t value) {
    std::vector<Chunk> chunks = RgbChunks();
    chunks[0].data[index] = value;
    return BuildPng(chunks);
}

// Offset of the first byte of the n-th chunk's data in a built file.
std::size_t ChunkDataOffset(const std::vector<Chunk>& chunks, std::size_t n) {
    std::size_t offset = 8;
    for (std::size_t i = 0; i < n; ++i) {
        offset += 12 + chunks[i].data.size();
    }
    return offset + 8;
}

Bytes FlipByte(Bytes file, std::size_t offset) {
    file[offset] ^= 0x01;
    return file;
}

Bytes Truncated(Bytes file, std::size_t size) {
    file.resize(size);
    return file;
}

Bytes ZeroBomb(std::size_t inflatedSize) {
    return ZlibCompress(Bytes(inflatedSize, 0), 9);
}

struct CorruptCase {
    const char* name;
    std::function<Bytes()> file;
    const char* reason; // part of the expected message
};

const CorruptCase kCorruptCases[] = {
    {"EmptyInput", [] { return Bytes{}; }, "PNG: not a PNG file"},
    {"SignatureOnly", [] { return Truncated(BuildPng(RgbChunks()), 8); }, "PNG: truncated file"},
    {"WrongSignature", [] { return FlipByte(BuildPng(RgbChunks()), 1); }, "PNG: not a PNG file"},
    {"BadIhdrCrc", [] { return FlipByte(BuildPng(RgbChunks()), 8 + 8 + 13); }, "PNG: CRC error in IHDR"},
    {"BadIdatCrc", [] { return FlipByte(BuildPng(RgbChunks()), ChunkDataOffset(RgbChunks(), 1) + 3); },
     "PNG: CRC error in IDAT"},
    {"BadAncillaryCrc",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks.insert(chunks.begin() + 1, {"tEXt", {'a', 0, 'b'}});
         return FlipByte(BuildPng(chunks), ChunkDataOffset(chunks, 1) + 1);
     },
     "PNG: CRC error in tEXt"},
    {"BadAdler32",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks[1].data.back() ^= 0x40;
         return BuildPng(chunks);
     },
     "PNG: bad Adler-32"},
    {"TruncatedInIdat", [] { return Truncated(BuildPng(RgbChunks()), ChunkDataOffset(RgbChunks(), 1) + 5); },
     "PNG: truncated IDAT"},
    {"TruncatedInChunkHeader", [] { return Truncated(BuildPng(RgbChunks()), 8 + 25 + 5); },
     "PNG: truncated file"},
    {"MissingIend",
     [] {
         return BuildPng({MakeIhdr(kWidth, kHeight, 8, 2), {"IDAT", ZlibCompress(RgbRows())}});
     },
     "PNG: missing IEND"},
    {"MissingIdat",
     [] {
         return BuildPng({MakeIhdr(kWidth, kHeight, 8, 2), {"IEND", {}}});
     },
     "PNG: missing IDAT"},
    {"FirstChunkNotIhdr",
     [] {
         return BuildPng({{"IEND", {}}});
     },
     "PNG: missing IHDR"},
    {"ShortIhdr",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks[0].data.pop_back();
         return BuildPng(chunks);
     },
     "PNG: bad IHDR"},
    {"DuplicateIhdr",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks.insert(chunks.begin() + 1, chunks[0]);
         return BuildPng(chunks);
     },
     "PNG: duplicate IHDR"},
    {"WidthZero",
     [] {
         return BuildPng({MakeIhdr(0, 4, 8, 2), {"IDAT", ZlibCompress(Bytes{0})}, {"IEND", {}}});
     },
     "PNG: bad image size 0x4"},
    {"WidthTooBigForTheFormat",
     [] {
         return BuildPng({MakeIhdr(0x80000000u, 1, 8, 2), {"IDAT", {}}, {"IEND", {}}});
     },
     "PNG: bad image size 2147483648x1"},
    {"WidthAtFormatMaximum",
     [] {
         return BuildPng({MakeIhdr(0x7FFFFFFFu, 1, 8, 2), {"IDAT", {}}, {"IEND", {}}});
     },
     "PNG: image too large (2147483647x1)"},
    {"HeightBeyondLimit",
     [] {
         return BuildPng({MakeIhdr(1, 32769, 8, 0), {"IDAT", {}}, {"IEND", {}}});
     },
     "PNG: image too large (1x32769)"},
    {"TooManyPixels",
     [] {
         return BuildPng({MakeIhdr(32768, 16384, 1, 0), {"IDAT", {}}, {"IEND", {}}});
     },
     "PNG: image too large (32768x16384)"},
    {"BitDepthThreeForRgb", [] { return WithIhdrByte(8, 3); }, "PNG: bad bit depth 3 for colour type 2"},
    {"SixteenBitPalette",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks[0].data[8] = 16;
         chunks[0].data[9] = 3;
         return BuildPng(chunks);
     },
     "PNG: bad bit depth 16 for colour type 3"},
    {"ColourTypeFive", [] { return WithIhdrByte(9, 5); }, "PNG: bad bit depth 8 for colour type 5"},
    {"UnknownCompressionMethod", [] { return WithIhdrByte(10, 1); }, "PNG: unknown compression method"},
    {"UnknownFilterMethod", [] { return WithIhdrByte(11, 1); }, "PNG: unknown filter method"},
    {"UnknownInterlaceMethod", [] { return WithIhdrByte(12, 2); }, "PNG: unknown interlace method"},
    {"UnknownCriticalChunk",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks.insert(chunks.begin() + 1, {"ABCD", {1, 2}});
         return BuildPng(chunks);
     },
     "PNG: unknown critical chunk ABCD"},
    {"ChunkTypeWithDigit",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks.insert(chunks.begin() + 1, {"ab1d", {}});
         return BuildPng(chunks);
     },
     "PNG: bad chunk type"},
    {"ChunkLengthTopBitSet",
     [] {
         Bytes file = BuildPng(RgbChunks());
         file[8 + 25] = 0x80; // length of the IDAT chunk
         return file;
     },
     "PNG: bad length of IDAT chunk"},
    {"IdatSplitByAnotherChunk",
     [] {
         const Bytes stream = ZlibCompress(RgbRows());
         const Bytes first(stream.begin(), stream.begin() + 10), rest(stream.begin() + 10, stream.end());
         return BuildPng({MakeIhdr(kWidth, kHeight, 8, 2),
                          {"IDAT", first},
                          {"tEXt", {'k', 0, 'v'}},
                          {"IDAT", rest},
                          {"IEND", {}}});
     },
     "PNG: IDAT chunks are not consecutive"},
    {"PaletteImageWithoutPlte",
     [] {
         return BuildPng(
             {MakeIhdr(kWidth, kHeight, 8, 3), {"IDAT", ZlibCompress(Rows(kWidth, kHeight))}, {"IEND", {}}});
     },
     "PNG: missing PLTE"},
    {"PlteAfterIdat",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks.insert(chunks.begin() + 2, {"PLTE", {1, 2, 3}});
         return BuildPng(chunks);
     },
     "PNG: PLTE after IDAT"},
    {"PlteLengthNotTriplets",
     [] {
         return BuildPng({MakeIhdr(kWidth, kHeight, 8, 3),
                          {"PLTE", {1, 2, 3, 4}},
                          {"IDAT", ZlibCompress(Rows(kWidth, kHeight))},
                          {"IEND", {}}});
     },
     "PNG: bad PLTE"},
    {"StreamEndsARowEarly", [] { return BuildPng(RgbChunks(RgbRows(kHeight - 1))); },
     "PNG: truncated image data"},
    {"StreamCutOff",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks[1].data.resize(chunks[1].data.size() - 6);
         return BuildPng(chunks);
     },
     "PNG: truncated image data"},
    {"StreamHasAnExtraRow", [] { return BuildPng(RgbChunks(RgbRows(kHeight + 1))); },
     "PNG: too much image data"},
    {"StreamHasOneExtraByte", [] { return BuildPng(RgbChunks(Concat(RgbRows(), {0}))); },
     "PNG: too much image data"},
    {"BytesAfterTheStreamInItsIdat",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks[1].data.insert(chunks[1].data.end(), {0, 0, 0});
         return BuildPng(chunks);
     },
     "PNG: data after the end of the image data"},
    {"IdatAfterTheStreamEnd",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks.insert(chunks.begin() + 2, {"IDAT", {0x78}});
         return BuildPng(chunks);
     },
     "PNG: data after the end of the image data"},
    {"FilterTypeFive",
     [] {
         Bytes raw = RgbRows();
         raw[0] = 5;
         return BuildPng(RgbChunks(raw));
     },
     "PNG: bad filter type 5"},
    {"InvalidDeflateBlock",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks[1].data = {0x78, 0x9C, 0x07, 0x00, 0x00, 0x00, 0x00};
         return BuildPng(chunks);
     },
     "PNG: corrupt image data"},
    {"PresetDictionary",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks[1].data = {0x78, 0x20, 0, 0, 0, 1, 0x63, 0, 0, 0, 0, 0, 0};
         return BuildPng(chunks);
     },
     "PNG: corrupt image data (preset dictionary)"},
    // 64 MiB of zeros in about 64 KiB, for a 1000x1000 picture of 3 MB.
    {"ZlibBomb",
     [] {
         return BuildPng(
             {MakeIhdr(1000, 1000, 8, 2), {"IDAT", ZeroBomb(std::size_t{64} << 20)}, {"IEND", {}}});
     },
     "PNG: too much image data"},
    // 256 MiB of grey claimed by a few bytes: refused before allocating.
    {"HugePictureFromTinyData",
     [] {
         return BuildPng({MakeIhdr(16384, 16384, 8, 0), {"IDAT", ZeroBomb(1000)}, {"IEND", {}}});
     },
     "PNG: image data too short for 16384x16384"},
    {"ChunkFlood",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks.insert(chunks.begin() + 1, 1001, Chunk{"tEXt", {'k', 0, 'v'}});
         return BuildPng(chunks);
     },
     "PNG: too many ancillary chunks"},
    {"HugeAncillaryChunks",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks.insert(chunks.begin() + 1, 2, Chunk{"zTXt", Bytes(std::size_t{9} << 20, 'x')});
         return BuildPng(chunks);
     },
     "PNG: ancillary chunks too large"},
};

class PngCorruption : public testing::TestWithParam<CorruptCase> {};

TEST_P(PngCorruption, IsRefusedWithItsReason) {
    const Bytes file = GetParam().file();
    try {
        const Image image = DecodePng(file);
        FAIL() << "decoded a " << image.width << "x" << image.height << " picture";
    } catch (const CodecError& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().reason), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Files, PngCorruption, testing::ValuesIn(kCorruptCases),
                         [](const testing::TestParamInfo<CorruptCase>& c) { return c.param.name; });

TEST(PngLimits, CallerLimitsApply) {
    const Bytes file = EncodePng(MakePicture(40, 30, 3, Pattern::Ramp));
    const struct {
        const char* name;
        PngLimits limits;
    } cases[] = {
        {"width", PngLimits{.maxWidth = 39}},
        {"height", PngLimits{.maxHeight = 29}},
        {"pixels", PngLimits{.maxPixels = 40 * 30 - 1}},
        {"bytes", PngLimits{.maxImageBytes = 40 * 30 * 3 - 1}},
        {"ancillary chunks", PngLimits{.maxAncillaryChunks = 0}},
    };
    const Bytes withText = [&] {
        std::vector<Chunk> chunks = SplitChunks(file);
        chunks.insert(chunks.begin() + 1, {"tEXt", {'k', 0, 'v'}});
        return BuildPng(chunks);
    }();
    for (const auto& c : cases) {
        EXPECT_THROW(DecodePng(withText, c.limits), CodecError) << c.name;
    }
    EXPECT_EQ(DecodePng(withText, PngLimits{.maxWidth = 40,
                                            .maxHeight = 30,
                                            .maxPixels = 40 * 30,
                                            .maxImageBytes = 40 * 30 * 3,
                                            .maxAncillaryChunks = 1})
                  .width,
              40u);
}

// Files that bend the rules in ways a tolerant reader accepts.
struct TolerantCase {
    const char* name;
    std::function<Bytes()> file;
    std::uint32_t channels;
    std::vector<std::uint8_t> firstPixels; // the leading bytes of the decoded pixels
};

std::vector<Chunk> Gray16WithTransparent(std::uint16_t transparent) {
    // Two pixels, 0x1234 and 0x1235: both round to 0x12, only one is transparent.
    return {MakeIhdr(2, 1, 16, 0),
            {"tRNS", {static_cast<std::uint8_t>(transparent >> 8), static_cast<std::uint8_t>(transparent)}},
            {"IDAT", ZlibCompress(Bytes{0, 0x12, 0x34, 0x12, 0x35})},
            {"IEND", {}}};
}

const TolerantCase kTolerantCases[] = {
    {"BytesAfterIend",
     [] {
         return Concat(BuildPng(RgbChunks()), {1, 2, 3, 4, 5});
     },
     3,
     {0, 7, 14}},
    {"UnknownAncillaryChunk",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks.insert(chunks.begin() + 1, {"xYzw", {9, 9, 9}});
         return BuildPng(chunks);
     },
     3,
     {0, 7, 14}},
    {"EmptyAndTinyIdatChunks",
     [] {
         const Bytes stream = ZlibCompress(RgbRows());
         std::vector<Chunk> chunks = {MakeIhdr(kWidth, kHeight, 8, 2), {"IDAT", {}}};
         for (std::uint8_t byte : stream) {
             chunks.push_back({"IDAT", {byte}});
             chunks.push_back({"IDAT", {}});
         }
         chunks.push_back({"IEND", {}});
         return BuildPng(chunks);
     },
     3,
     {0, 7, 14}},
    {"TrnsOfWrongLengthIsIgnored",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks.insert(chunks.begin() + 1, {"tRNS", {0, 0}});
         return BuildPng(chunks);
     },
     3,
     {0, 7, 14}},
    {"TrnsAfterIdatIsIgnored",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks.insert(chunks.begin() + 2, {"tRNS", {0, 0, 0, 7, 0, 14}});
         return BuildPng(chunks);
     },
     3,
     {0, 7, 14}},
    {"RgbTrnsMakesMatchingPixelsTransparent",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks.insert(chunks.begin() + 1, {"tRNS", {0, 0, 0, 7, 0, 14}});
         return BuildPng(chunks);
     },
     4,
     {0, 7, 14, 0, 21, 28, 35, 255}},
    {"SuggestedPaletteInRgbFileIsIgnored",
     [] {
         std::vector<Chunk> chunks = RgbChunks();
         chunks.insert(chunks.begin() + 1, {"PLTE", {1, 2, 3}});
         return BuildPng(chunks);
     },
     3,
     {0, 7, 14}},
    {"PaletteIndexBeyondPaletteIsOpaqueBlack",
     [] {
         return BuildPng({MakeIhdr(2, 1, 8, 3),
                          {"PLTE", {10, 20, 30}},
                          {"IDAT", ZlibCompress(Bytes{0, 0, 5})},
                          {"IEND", {}}});
     },
     3,
     {10, 20, 30, 0, 0, 0}},
    {"Gray16TransparencyComparesAll16Bits",
     [] { return BuildPng(Gray16WithTransparent(0x1234)); },
     4,
     {0x12, 0x12, 0x12, 0, 0x12, 0x12, 0x12, 255}},
};

class PngTolerance : public testing::TestWithParam<TolerantCase> {};

TEST_P(PngTolerance, DecodesAnyway) {
    const TolerantCase& c = GetParam();

    const Image image = DecodePng(c.file());

    EXPECT_EQ(image.channels, c.channels);
    ASSERT_GE(image.pixels.size(), c.firstPixels.size());
    EXPECT_EQ(
        Bytes(image.pixels.begin(), image.pixels.begin() + static_cast<std::ptrdiff_t>(c.firstPixels.size())),
        c.firstPixels);
}

INSTANTIATE_TEST_SUITE_P(Files, PngTolerance, testing::ValuesIn(kTolerantCases),
                         [](const testing::TestParamInfo<TolerantCase>& c) { return c.param.name; });

TEST(PngReader, SubByteRowsAfterSubFilterCarryTheBytesBefore) {
    // Second row of the case above: 0x00 + 0x80 = 0x80 and 0x00 + 0x01 = 0x01
    // again, so it repeats the first row exactly.
    const Bytes file = BuildPng(
        {MakeIhdr(16, 2, 1, 0), {"IDAT", ZlibCompress(Bytes{0, 0x80, 0x01, 1, 0x80, 0x81})}, {"IEND", {}}});
    const Image image = DecodePng(file);
    for (std::uint32_t x = 0; x < 16; ++x) {
        const std::uint8_t expected = (x == 0 || x == 15) ? 255 : 0;
        EXPECT_EQ(image.row(0)[x * 3], expected) << x;
        EXPECT_EQ(image.row(1)[x * 3], expected) << x;
    }
}

} // namespace
} // namespace mirulo::image::test
