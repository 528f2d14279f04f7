#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <functional>
#include <optional>

#include <jpeglib.h>

#include "JpegTestSupport.h"
#include "image/JpegReader.h"
#include "image/JpegWriter.h"

namespace mirulo::image {
namespace {

using testing::Bytes;
using testing::GradientPicture;
using testing::ReadFixture;
using Rgb = std::array<int, 3>;

// Decodes and also returns what the decoder printed to stderr (it must print nothing).
struct DecodeOutcome {
    std::optional<Image> image;
    std::string error;
    std::string stderrText;
};

DecodeOutcome Decode(const Bytes& bytes, const JpegLimits& limits = {}) {
    DecodeOutcome outcome;
    ::testing::internal::CaptureStderr();
    try {
        outcome.image = DecodeJpeg(bytes, limits);
    } catch (const CodecError& error) {
        outcome.error = error.what();
    }
    outcome.stderrText = ::testing::internal::GetCapturedStderr();
    return outcome;
}

Rgb PixelAt(const Image& picture, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* pixel = picture.row(y) + x * 3;
    return {pixel[0], pixel[1], pixel[2]};
}

// The fixtures show four flat 16x16 quadrants; their centres are far enough
// from the edges that chroma subsampling does not blur them.
void ExpectQuadrants(const Image& picture, const std::array<Rgb, 4>& colours, int tolerance) {
    ASSERT_EQ(picture.width, 32u);
    ASSERT_EQ(picture.height, 32u);
    ASSERT_EQ(picture.channels, 3u);
    ASSERT_EQ(picture.pixels.size(), 32u * 32u * 3u);
    for (std::uint32_t quadrant = 0; quadrant < 4; ++quadrant) {
        const std::uint32_t x = 8 + 16 * (quadrant % 2);
        const std::uint32_t y = 8 + 16 * (quadrant / 2);
        const Rgb actual = PixelAt(picture, x, y);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_NEAR(actual[i], colours[quadrant][i], tolerance)
                << "quadrant " << quadrant << " channel " << i;
        }
    }
}

constexpr std::array<Rgb, 4> kQuadrantColours = {Rgb{200, 40, 30}, Rgb{30, 180, 60}, Rgb{40, 60, 200},
                                                 Rgb{230, 210, 50}};
constexpr std::array<Rgb, 4> kQuadrantGreys = {Rgb{20, 20, 20}, Rgb{90, 90, 90}, Rgb{160, 160, 160},
                                               Rgb{240, 240, 240}};

struct FixtureCase {
    const char* file;
    std::array<Rgb, 4> colours;
};

class JpegFixture : public ::testing::TestWithParam<FixtureCase> {};

// Files written by ImageMagick and cjpeg from the same 32x32 quadrant picture.
TEST_P(JpegFixture, DecodesToTheQuadrantColours) {
    const DecodeOutcome outcome = Decode(ReadFixture(GetParam().file));
    ASSERT_TRUE(outcome.image) << outcome.error;
    ExpectQuadrants(*outcome.image, GetParam().colours, 3);
    EXPECT_EQ(outcome.stderrText, "");
}

INSTANTIATE_TEST_SUITE_P(OtherEncoders, JpegFixture,
                         ::testing::Values(FixtureCase{"quadrants-420.jpg", kQuadrantColours},
                                           FixtureCase{"quadrants-progressive.jpg", kQuadrantColours},
                                           FixtureCase{"quadrants-cmyk.jpg", kQuadrantColours}, // Adobe YCCK
                                           FixtureCase{"quadrants-grey.jpg", kQuadrantGreys}),
                         [](const auto& tested) {
                             std::string name = tested.param.file;
                             name = name.substr(0, name.find('.'));
                             std::erase(name, '-');
                             return name;
                         });

// Files that our own encoder does not write, made here with libjpeg itself.
Bytes CompressWithLibjpeg(const std::vector<std::uint8_t>& samples, JDIMENSION width, JDIMENSION height,
                          int components, J_COLOR_SPACE colourSpace,
                          const std::function<void(jpeg_compress_struct&)>& configure) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = colourSpace;
    jpeg_set_defaults(&cinfo);
    configure(cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data()) + static_cast<std::size_t>(cinfo.next_scanline) *
                                                                  width * static_cast<unsigned>(components);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes jpeg(buffer, buffer + size);
    std::free(buffer);
    return jpeg;
}

// Cyan ink, magenta and yellow ink, no ink, half black ink: one per quadrant.
// Adobe applications store such samples inverted and mark the file; other
// writers store plain ink amounts.
Bytes CmykQuadrants(bool adobeInverted) {
    const std::array<std::array<std::uint8_t, 4>, 4> inks = {
        std::array<std::uint8_t, 4>{255, 0, 0, 0}, {0, 255, 255, 0}, {0, 0, 0, 0}, {0, 0, 0, 128}};
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            for (std::uint8_t ink : inks[static_cast<std::size_t>((y / 16) * 2 + x / 16)]) {
                samples.push_back(adobeInverted ? static_cast<std::uint8_t>(255 - ink) : ink);
            }
        }
    }
    return CompressWithLibjpeg(samples, 32, 32, 4, JCS_CMYK, [&](jpeg_compress_struct& cinfo) {
        jpeg_set_quality(&cinfo, 100, TRUE);
        cinfo.write_Adobe_marker = adobeInverted ? TRUE : FALSE;
    });
}

// Big enough that libjpeg's coefficient buffers (about 200 KB) dwarf its other allocations.
Bytes ProgressiveGradient() {
    return CompressWithLibjpeg(GradientPicture(256, 256).pixels, 256, 256, 3, JCS_RGB,
                               [](jpeg_compress_struct& cinfo) { jpeg_simple_progression(&cinfo); });
}

TEST(JpegReader, ConvertsCmykWithAndWithoutAdobeInversion) {
    const std::array<Rgb, 4> colours = {Rgb{0, 255, 255}, Rgb{255, 0, 0}, Rgb{255, 255, 255},
                                        Rgb{127, 127, 127}};
    for (bool adobe : {false, true}) {
        SCOPED_TRACE(adobe ? "Adobe, inverted" : "plain ink");
        const DecodeOutcome outcome = Decode(CmykQuadrants(adobe));
        ASSERT_TRUE(outcome.image) << outcome.error;
        ExpectQuadrants(*outcome.image, colours, 2);
    }
}

// --- damaged and hostile files -------------------------------------------------

Bytes Baseline() {
    return EncodeJpeg(GradientPicture(64, 48));
}

std::size_t SofOffset(const Bytes& jpeg) {
    for (const testing::Segment& segment : testing::HeaderSegments(jpeg)) {
        if (segment.marker == 0xC0 || segment.marker == 0xC2) {
            return segment.offset;
        }
    }
    throw std::runtime_error("no SOF");
}

Bytes Cut(Bytes jpeg, std::size_t size) {
    jpeg.resize(size);
    return jpeg;
}

Bytes PseudoRandom(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    for (std::uint8_t& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(seed >> 16);
    }
    return bytes;
}

Bytes WithSize(Bytes jpeg, std::uint16_t width, std::uint16_t height) {
    const std::size_t sof = SofOffset(jpeg);
    jpeg[sof + 5] = static_cast<std::uint8_t>(height >> 8);
    jpeg[sof + 6] = static_cast<std::uint8_t>(height);
    jpeg[sof + 7] = static_cast<std::uint8_t>(width >> 8);
    jpeg[sof + 8] = static_cast<std::uint8_t>(width);
    return jpeg;
}

// An extended-sequential frame header with 12-bit samples.
Bytes TwelveBit() {
    Bytes jpeg = Baseline();
    const std::size_t sof = SofOffset(jpeg);
    jpeg[sof + 1] = 0xC1;
    jpeg[sof + 4] = 12;
    return jpeg;
}

struct DamagedCase {
    const char* name;
    std::function<Bytes()> make;
    const char* messagePart; // expected in the error text; "" for any text
};

class JpegReaderRefuses : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(JpegReaderRefuses, WithCodecErrorAndNoOutput) {
    const DecodeOutcome outcome = Decode(GetParam().make());
    EXPECT_FALSE(outcome.image);
    EXPECT_NE(outcome.error.find(GetParam().messagePart), std::string::npos) << outcome.error;
    EXPECT_EQ(outcome.stderrText, "");
}

INSTANTIATE_TEST_SUITE_P(
    DamagedFiles, JpegReaderRefuses,
    ::testing::Values(DamagedCase{"Empty", [] { return Bytes{}; }, "empty"},
                      DamagedCase{"Garbage", [] { return PseudoRandom(600, 7); }, "Not a JPEG file"},
                      DamagedCase{"GarbageAfterStartMarker",
                                  [] {
                                      Bytes bytes = PseudoRandom(600, 11);
                                      bytes[0] = 0xFF;
                                      bytes[1] = 0xD8;
                                      return bytes;
                                  },
                                  ""},
                      DamagedCase{"TruncatedInHeader",
                                  [] { return Cut(Baseline(), SofOffset(Baseline()) + 6); }, "truncated"},
                      DamagedCase{"TruncatedAfterScanHeader",
                                  [] {
                                      const Bytes jpeg = Baseline();
                                      return Cut(jpeg, testing::ScanOffsets(jpeg).front() + 14);
                                  },
                                  "truncated"},
                      DamagedCase{"TruncatedInsideScan",
                                  [] {
                                      const Bytes jpeg = Baseline();
                                      const std::size_t sos = testing::ScanOffsets(jpeg).front();
                                      return Cut(jpeg, sos + (jpeg.size() - sos) / 2);
                                  },
                                  "truncated"},
                      // Right after the first scan, which carries every component: without the
                      // later scans the picture would come out blurred.
                      DamagedCase{"TruncatedBetweenProgressiveScans",
                                  [] {
                                      const Bytes jpeg = ReadFixture("quadrants-progressive.jpg");
                                      return Cut(jpeg, testing::ScanOffsets(jpeg).at(1));
                                  },
                                  "truncated"},
                      DamagedCase{"TruncatedInsideProgressiveScan",
                                  [] {
                                      const Bytes jpeg = ReadFixture("quadrants-progressive.jpg");
                                      return Cut(jpeg, testing::ScanOffsets(jpeg).at(1) + 20);
                                  },
                                  "truncated"},
                      DamagedCase{"LargerThanJpegAllows", [] { return WithSize(Baseline(), 65535, 65535); },
                                  "65535 x 65535"},
                      DamagedCase{"ZeroWidth", [] { return WithSize(Baseline(), 0, 48); }, ""},
                      DamagedCase{"TwelveBitSamples", TwelveBit, "12-bit"}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST(JpegReader, ForgivesAMissingEndMarkerWhenNoPictureDataIsLost) {
    const Bytes jpeg = Baseline();
    const DecodeOutcome whole = Decode(jpeg);
    const DecodeOutcome withoutEnd = Decode(Cut(jpeg, jpeg.size() - 2));
    ASSERT_TRUE(whole.image) << whole.error;
    ASSERT_TRUE(withoutEnd.image) << withoutEnd.error;
    EXPECT_EQ(withoutEnd.image->pixels, whole.image->pixels);
    EXPECT_EQ(withoutEnd.stderrText, "");
}

TEST(JpegReader, SilentlySkipsStrayBytesBetweenMarkers) {
    const Bytes jpeg = Baseline();
    Bytes stray = jpeg;
    const std::size_t sof = SofOffset(jpeg);
    stray.insert(stray.begin() + static_cast<std::ptrdiff_t>(sof), {0x12, 0x34, 0x56});
    const DecodeOutcome clean = Decode(jpeg);
    const DecodeOutcome warned = Decode(stray);
    ASSERT_TRUE(clean.image) << clean.error;
    ASSERT_TRUE(warned.image) << warned.error;
    EXPECT_EQ(warned.image->pixels, clean.image->pixels);
    EXPECT_EQ(warned.stderrText, "");
}

// --- limits --------------------------------------------------------------------

// An 8x8 progressive file with 100 scans (cjpeg -scans).
Bytes ManyScans() {
    return ReadFixture("many-scans.jpg");
}

JpegLimits Limits(const std::function<void(JpegLimits&)>& change) {
    JpegLimits limits;
    change(limits);
    return limits;
}

struct LimitCase {
    const char* name;
    std::function<Bytes()> make;
    JpegLimits limits;
    const char* messagePart; // nullptr: the file decodes
};

class JpegLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(JpegLimit, IsEnforcedAtItsBoundary) {
    const LimitCase& c = GetParam();
    const DecodeOutcome outcome = Decode(c.make(), c.limits);
    if (c.messagePart == nullptr) {
        EXPECT_TRUE(outcome.image) << outcome.error;
    } else {
        EXPECT_FALSE(outcome.image);
        EXPECT_NE(outcome.error.find(c.messagePart), std::string::npos) << outcome.error;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, JpegLimit,
    ::testing::Values(
        LimitCase{"WidthOver", Baseline, Limits([](auto& l) { l.maxWidth = 63; }), "64 x 48"},
        LimitCase{"WidthAt", Baseline, Limits([](auto& l) { l.maxWidth = 64; }), nullptr},
        LimitCase{"HeightOver", Baseline, Limits([](auto& l) { l.maxHeight = 47; }), "64 x 48"},
        LimitCase{"PixelsOver", Baseline, Limits([](auto& l) { l.maxPixels = 64 * 48 - 1; }), "64 x 48"},
        LimitCase{"PixelsAt", Baseline, Limits([](auto& l) { l.maxPixels = 64 * 48; }), nullptr},
        LimitCase{"ScansOver", ManyScans, Limits([](auto& l) { l.maxScans = 99; }), "more than 99 scans"},
        LimitCase{"ScansAt", ManyScans, Limits([](auto& l) { l.maxScans = 100; }), nullptr},
        LimitCase{"WorkingMemoryOver", ProgressiveGradient,
                  Limits([](auto& l) { l.maxWorkingMemory = 150'000; }), "working memory"},
        LimitCase{"WorkingMemoryAmple", ProgressiveGradient,
                  Limits([](auto& l) { l.maxWorkingMemory = 1 << 20; }), nullptr}),
    [](const auto& tested) { return std::string(tested.param.name); });

} // namespace
} // namespace mirulo::image
