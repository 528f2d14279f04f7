#include <gtest/gtest.h>

#include <array>

#include "JpegTestSupport.h"
#include "image/JpegReader.h"
#include "image/JpegWriter.h"

namespace mirulo::image {
namespace {

using testing::Bytes;
using testing::GradientPicture;
using testing::HeaderSegments;
using testing::Segment;

// The example tables of the JPEG standard (Annex K), in natural order, that
// libjpeg scales by quality.
constexpr std::array<int, 64> kLuminanceBase = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55, //
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62, //
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92, //
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<int, 64> kChrominanceBase = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, //
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99, //
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, //
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
// DQT segments list the 64 values in zig-zag order: natural index of each position.
constexpr std::array<int, 64> kZigZag = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                         12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                         35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                         58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The DQT payload libjpeg must write for one table: 8-bit precision, values
// scaled by the quality factor and held to 1..255 for baseline files.
Bytes ExpectedDqt(int tableId, const std::array<int, 64>& base, int quality) {
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    Bytes payload{static_cast<std::uint8_t>(tableId)};
    for (int natural : kZigZag) {
        const int value = (base[static_cast<std::size_t>(natural)] * scale + 50) / 100;
        payload.push_back(static_cast<std::uint8_t>(std::clamp(value, 1, 255)));
    }
    return payload;
}

std::vector<Segment> SegmentsWithMarker(const std::vector<Segment>& segments, std::uint8_t marker) {
    std::vector<Segment> found;
    for (const Segment& segment : segments) {
        if (segment.marker == marker) {
            found.push_back(segment);
        }
    }
    return found;
}

struct RoundTripCase {
    const char* name;
    std::uint32_t width;
    std::uint32_t height;
    double maxMeanError;
    int maxError;
};

class JpegRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(JpegRoundTrip, DecodesCloseToTheOriginal) {
    const RoundTripCase& c = GetParam();
    const Image original = GradientPicture(c.width, c.height);
    const Image decoded = DecodeJpeg(EncodeJpeg(original));
    ASSERT_EQ(decoded.width, c.width);
    ASSERT_EQ(decoded.height, c.height);
    ASSERT_EQ(decoded.channels, 3u);
    const testing::PixelError error = testing::Compare(original, decoded);
    EXPECT_LE(error.mean, c.maxMeanError);
    EXPECT_LE(error.max, c.maxError);
}

// Sizes that are not whole 16x16 blocks exercise libjpeg's edge padding.
INSTANTIATE_TEST_SUITE_P(Sizes, JpegRoundTrip,
                         ::testing::Values(RoundTripCase{"Wide", 160, 90, 1.0, 8},
                                           RoundTripCase{"PartialBlocks", 37, 19, 2.0, 16},
                                           RoundTripCase{"SinglePixel", 1, 1, 3.0, 6},
                                           RoundTripCase{"OneRow", 300, 1, 2.0, 12}),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST(JpegWriter, WritesBaselineColourFileWithLibjpegDefaults) {
    const Bytes jpeg = EncodeJpeg(GradientPicture(40, 24));
    const std::vector<Segment> segments = HeaderSegments(jpeg);

    for (int sof : {0xC1, 0xC2, 0xC3, 0xC9, 0xCA, 0xCB}) {
        EXPECT_TRUE(SegmentsWithMarker(segments, static_cast<std::uint8_t>(sof)).empty())
            << "SOF marker 0x" << std::hex << sof;
    }
    const std::vector<Segment> sof0 = SegmentsWithMarker(segments, 0xC0);
    ASSERT_EQ(sof0.size(), 1u);
    // precision, height, width, component count, then id / sampling / table per component
    const Bytes expected = {8, 0, 24, 0, 40, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1};
    EXPECT_EQ(sof0[0].payload, expected);
    EXPECT_EQ(SegmentsWithMarker(segments, 0xE0).size(), 1u) << "JFIF marker";
    EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
}

class JpegQuality : public ::testing::TestWithParam<int> {};

TEST_P(JpegQuality, WritesTheStandardTablesScaledForTheQuality) {
    const int quality = GetParam();
    const Image picture = GradientPicture(16, 16);
    const Bytes jpeg = quality == 90 ? EncodeJpeg(picture) : EncodeJpeg(picture, quality);
    const std::vector<Segment> tables = SegmentsWithMarker(HeaderSegments(jpeg), 0xDB);
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0].payload, ExpectedDqt(0, kLuminanceBase, quality));
    EXPECT_EQ(tables[1].payload, ExpectedDqt(1, kChrominanceBase, quality));
}

// 90 through the default argument; 10 reaches the 255 cap of baseline tables.
INSTANTIATE_TEST_SUITE_P(Qualities, JpegQuality, ::testing::Values(90, 50, 75, 10, 1, 100));

struct RefusedCase {
    const char* name;
    Image picture;
    int quality;
};

class JpegWriterRefuses : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(JpegWriterRefuses, WithCodecError) {
    EXPECT_THROW(EncodeJpeg(GetParam().picture, GetParam().quality), CodecError);
}

Image WithChannels(Image picture, std::uint32_t channels) {
    picture.channels = channels;
    picture.pixels.resize(picture.stride() * picture.height);
    return picture;
}

Image WithoutLastByte(Image picture) {
    picture.pixels.pop_back();
    return picture;
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, JpegWriterRefuses,
    ::testing::Values(RefusedCase{"Rgba", WithChannels(GradientPicture(8, 8), 4), 90},
                      RefusedCase{"Grey", WithChannels(GradientPicture(8, 8), 1), 90},
                      RefusedCase{"Empty", Image{0, 0, 3, {}}, 90},
                      RefusedCase{"ZeroHeight", Image{5, 0, 3, {}}, 90},
                      RefusedCase{"ShortPixelBuffer", WithoutLastByte(GradientPicture(8, 8)), 90},
                      RefusedCase{"WiderThanJpegAllows", Image{65501, 1, 3, Bytes(65501 * 3)}, 90},
                      RefusedCase{"QualityZero", GradientPicture(8, 8), 0},
                      RefusedCase{"QualityAbove100", GradientPicture(8, 8), 101}),
    [](const auto& tested) { return std::string(tested.param.name); });

} // namespace
} // namespace mirulo::image
