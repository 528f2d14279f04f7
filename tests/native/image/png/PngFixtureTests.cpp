// Files written by ImageMagick (see fixtures/make-fixtures.py) in every colour
// type, bit depth and interlace method. Their pixels follow the same formulas
// as in the script, so the expected values here do not come from our codec.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "PngFixtureFiles.h"
#include "image/PngReader.h"

namespace mirulo::image::test {
namespace {

using Rgba16 = std::array<std::uint32_t, 4>;

std::uint32_t Level(std::uint32_t x, std::uint32_t y, std::uint32_t c, std::uint32_t levels) {
    return (7 * x + 11 * y + x * y + 5 * c * (x + 1)) % levels;
}

std::uint32_t Wide(std::uint32_t x, std::uint32_t y, std::uint32_t c) {
    return (4099 * x + 30011 * y + 333 * x * y + 1237 * c) & 0xFFFF;
}

enum class Kind { Gray, GrayTrns, Rgb, RgbTrns, Palette, PaletteTrns, GrayAlpha, Rgba };

// The pixel at (x, y) as 16-bit RGBA, as make-fixtures.py gave it to ImageMagick.
Rgba16 SourcePixel(Kind kind, std::uint32_t depth, std::uint32_t x, std::uint32_t y) {
    switch (kind) {
    case Kind::Gray: {
        const std::uint32_t levels = 1u << (depth == 16 ? 0 : depth);
        const std::uint32_t g = depth == 16 ? Wide(x, y, 0) : Level(x, y, 0, levels) * 65535 / (levels - 1);
        return {g, g, g, 65535};
    }
    case Kind::GrayTrns: {
        const std::uint32_t g = Level(x, y, 0, 16) * 17 * 257;
        return {g, g, g, g == 0 ? 0u : 65535u};
    }
    case Kind::Rgb:
        if (depth == 16) {
            return {Wide(x, y, 0), Wide(x, y, 1), Wide(x, y, 2), 65535};
        }
        return {Level(x, y, 0, 256) * 257, Level(x, y, 1, 256) * 257, Level(x, y, 2, 256) * 257, 65535};
    case Kind::RgbTrns:
        if (Level(x, y, 0, 4) == 0) {
            return {0, 0, 0, 0};
        }
        return {Level(x, y, 0, 4) * 85 * 257, Level(x, y, 1, 4) * 85 * 257, Level(x, y, 2, 4) * 85 * 257,
                65535};
    case Kind::Palette:
    case Kind::PaletteTrns: {
        constexpr std::uint32_t kAlpha[] = {255, 0, 128, 255, 64};
        const std::uint32_t size = depth == 1 ? 2 : depth == 2 ? 4 : depth == 4 ? 13 : 40;
        const std::uint32_t i = Level(x, y, 0, size);
        const std::uint32_t alpha = kind == Kind::PaletteTrns ? kAlpha[i % 5] : 255;
        if (alpha == 0) {
            return {0, 0, 0, 0};
        }
        return {((i * 73 + 20) & 255) * 257, ((i * 151 + 90) & 255) * 257, ((i * 37 + 200) & 255) * 257,
                alpha * 257};
    }
    case Kind::GrayAlpha: {
        const std::uint32_t g = depth == 16 ? Wide(x, y, 0) : Level(x, y, 0, 256) * 257;
        const std::uint32_t a = depth == 16 ? Wide(x, y, 3) : Level(x, y, 3, 256) * 257;
        return {g, g, g, a};
    }
    case Kind::Rgba:
        if (depth == 16) {
            return {Wide(x, y, 0), Wide(x, y, 1), Wide(x, y, 2), Wide(x, y, 3)};
        }
        return {Level(x, y, 0, 256) * 257, Level(x, y, 1, 256) * 257, Level(x, y, 2, 256) * 257,
                Level(x, y, 3, 256) * 257};
    }
    return {};
}

struct FixtureCase {
    const char* file;
    Kind kind;
    std::uint8_t bitDepth;
    std::uint8_t colourType;
    bool interlaced;
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t channels; // of the decoded picture
};

const FixtureCase kFixtures[] = {
    {"gray1.png", Kind::Gray, 1, 0, false, 13, 9, 3},
    {"gray2.png", Kind::Gray, 2, 0, false, 13, 9, 3},
    {"gray4.png", Kind::Gray, 4, 0, false, 13, 9, 3},
    {"gray8.png", Kind::Gray, 8, 0, false, 13, 9, 3},
    {"gray16.png", Kind::Gray, 16, 0, false, 13, 9, 3},
    {"gray8-trns.png", Kind::GrayTrns, 8, 0, false, 13, 9, 4},
    {"rgb8.png", Kind::Rgb, 8, 2, false, 13, 9, 3},
    {"rgb16.png", Kind::Rgb, 16, 2, false, 13, 9, 3},
    {"rgb8-trns.png", Kind::RgbTrns, 8, 2, false, 13, 9, 4},
    {"palette1.png", Kind::Palette, 1, 3, false, 13, 9, 3},
    {"palette2-trns.png", Kind::PaletteTrns, 2, 3, false, 13, 9, 4},
    {"palette4.png", Kind::Palette, 4, 3, false, 13, 9, 3},
    {"palette8-trns.png", Kind::PaletteTrns, 8, 3, false, 13, 9, 4},
    {"gray-alpha8.png", Kind::GrayAlpha, 8, 4, false, 13, 9, 4},
    {"gray-alpha16.png", Kind::GrayAlpha, 16, 4, false, 13, 9, 4},
    {"rgba8.png", Kind::Rgba, 8, 6, false, 13, 9, 4},
    {"rgba16.png", Kind::Rgba, 16, 6, false, 13, 9, 4},
    {"rgb8-1x1.png", Kind::Rgb, 8, 2, false, 1, 1, 3},
    {"gray1-adam7.png", Kind::Gray, 1, 0, true, 13, 9, 3},
    {"gray16-adam7.png", Kind::Gray, 16, 0, true, 13, 9, 3},
    {"gray8-trns-adam7.png", Kind::GrayTrns, 8, 0, true, 13, 9, 4},
    {"rgb8-adam7.png", Kind::Rgb, 8, 2, true, 13, 9, 3},
    {"palette4-trns-adam7.png", Kind::PaletteTrns, 4, 3, true, 13, 9, 4},
    {"gray-alpha8-adam7.png", Kind::GrayAlpha, 8, 4, true, 13, 9, 4},
    {"rgba16-adam7.png", Kind::Rgba, 16, 6, true, 13, 9, 4},
    // Several Adam7 passes are empty at this size.
    {"rgba8-adam7-3x2.png", Kind::Rgba, 8, 6, true, 3, 2, 4},
};

class PngFixture : public testing::TestWithParam<FixtureCase> {};

TEST_P(PngFixture, HeaderIsWhatTheFileClaims) {
    const FixtureCase& c = GetParam();
    const std::span<const std::uint8_t> file = FixtureBytes(c.file);
    ASSERT_FALSE(file.empty()) << "fixture missing: " << c.file;

    const PngInfo info = ReadPngHeader(file);

    EXPECT_EQ(info.width, c.width);
    EXPECT_EQ(info.height, c.height);
    EXPECT_EQ(info.bitDepth, c.bitDepth);
    EXPECT_EQ(info.colourType, c.colourType);
    EXPECT_EQ(info.interlaced, c.interlaced);
}

TEST_P(PngFixture, DecodesToTheSourcePixels) {
    const FixtureCase& c = GetParam();
    const std::span<const std::uint8_t> file = FixtureBytes(c.file);
    ASSERT_FALSE(file.empty()) << "fixture missing: " << c.file;

    const Image decoded = DecodePng(file);

    ASSERT_EQ(decoded.width, c.width);
    ASSERT_EQ(decoded.height, c.height);
    ASSERT_EQ(decoded.channels, c.channels);
    ASSERT_EQ(decoded.pixels.size(), std::size_t{c.width} * c.height * c.channels);
    int mismatches = 0;
    for (std::uint32_t y = 0; y < c.height; ++y) {
        for (std::uint32_t x = 0; x < c.width; ++x) {
            const Rgba16 source = SourcePixel(c.kind, c.bitDepth, x, y);
            for (std::uint32_t ch = 0; ch < c.channels; ++ch) {
                // 16-bit samples round to the nearest 8-bit value.
                const auto expected = static_cast<int>((source[ch] * 255 + 32767) / 65535);
                const int actual = decoded.row(y)[std::size_t{x} * c.channels + ch];
                if (actual != expected && ++mismatches <= 5) {
                    ADD_FAILURE() << "pixel (" << x << "," << y << ") channel " << ch << ": " << actual
                                  << " != " << expected;
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(ImageMagickFiles, PngFixture, testing::ValuesIn(kFixtures),
                         [](const testing::TestParamInfo<FixtureCase>& c) {
                             std::string name = c.param.file;
                             name = name.substr(0, name.size() - 4);
                             for (char& ch : name) {
                                 if (ch == '-') {
                                     ch = '_';
                                 }
                             }
                             return name;
                         });

TEST(PngFixtures, EveryFixtureFileIsInTheTable) {
    for (const FixtureFile& file : AllFixtureFiles()) {
        bool listed = false;
        for (const FixtureCase& c : kFixtures) {
            listed = listed || std::string(c.file) == file.name;
        }
        EXPECT_TRUE(listed) << file.name;
    }
}

} // namespace
} // namespace mirulo::image::test
