#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "PngTestSupport.h"
#include "image/PngReader.h"
#include "image/PngWriter.h"

namespace mirulo::image::test {
namespace {

struct RoundTripCase {
    const char* name;
    std::uint32_t width;
    std::uint32_t height;
    Pattern pattern;
};

const RoundTripCase kRoundTripCases[] = {
    {"OnePixel", 1, 1, Pattern::Noise},
    {"OneColumn", 1, 9, Pattern::Ramp},
    {"OneRow", 9, 1, Pattern::SmoothNoise},
    {"TwoByTwo", 2, 2, Pattern::Noise},
    {"OddFlat", 3, 5, Pattern::Flat},
    {"OddRamp", 31, 17, Pattern::Ramp},
    {"OddStripes", 33, 7, Pattern::ColumnStripes},
    {"SmoothPhotoLike", 77, 41, Pattern::SmoothNoise},
    {"Noise", 64, 64, Pattern::Noise},
    {"DesktopLike", 301, 97, Pattern::Desktop},
    {"WideRow", 4099, 3, Pattern::Desktop},
    {"WideNoise", 5001, 2, Pattern::Noise},
    // Raw data larger than one IDAT chunk.
    {"SpansSeveralIdatChunks", 700, 200, Pattern::Noise},
    // Larger than one deflate band: bands are joined into one stream, from
    // either engine (text-like content and noise favour different ones).
    {"SeveralBandsDesktop", 1100, 1000, Pattern::Desktop},
    {"SeveralBandsSmooth", 1000, 1100, Pattern::SmoothNoise},
    {"SeveralBandsNoise", 800, 1000, Pattern::Noise},
    // Filtered by Up as a whole (see below): bands start from Up-filtered rows.
    {"SeveralBandsDiagonalNoise", 1000, 1400, Pattern::DiagonalNoise},
    // Matches far from runs: some bands packed by libdeflate's next level.
    {"SeveralBandsTileMap", 1000, 1400, Pattern::TileMap},
    // Packed by zlib's run-only pass alone: libdeflate's is not run at all.
    {"SeveralBandsWallpaper", 1000, 1400, Pattern::Wallpaper},
    // Noise libdeflate packs to more than half: the run-only pass packs the
    // probes a hair smaller, and is the only pass run.
    {"SeveralBandsDarkGrain", 1000, 1400, Pattern::DarkGrain},
    // A row longer than a band: every row is a band of its own.
    {"RowLongerThanABand", 400000, 3, Pattern::SmoothNoise},
};

// Bands of every kind in one picture: each band is packed by libdeflate or by
// a zlib pass that beat it on a probe of the band (text, UI, photo, noise), so
// the stream joins bands ended in both ways, and bands of each after each other.
Image MakeMixedPicture() {
    constexpr std::uint32_t kWidth = 1000; // 2900 rows: 9 bands of 323 rows
    struct Part {
        Pattern pattern;
        std::uint32_t height;
    };
    // The band across the desktop and the flat part (rows 323 to 645) packs like
    // UI with some text, for which the zlib pass with a short search is probed.
    const Part parts[] = {{Pattern::Desktop, 460},       {Pattern::Flat, 760},
                          {Pattern::SmoothNoise, 420},   {Pattern::Noise, 420},
                          {Pattern::ColumnStripes, 420}, {Pattern::SmoothNoise, 420}};
    Image picture = MakePicture(kWidth, 0, 3, Pattern::Flat);
    for (const Part& part : parts) {
        const Image pixels = MakePicture(kWidth, part.height, 3, part.pattern);
        picture.pixels.insert(picture.pixels.end(), pixels.pixels.begin(), pixels.pixels.end());
        picture.height += part.height;
    }
    return picture;
}

class PngRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(PngRoundTrip, DecodesToTheSamePixels) {
    const RoundTripCase& c = GetParam();
    const Image picture = MakePicture(c.width, c.height, 3, c.pattern);

    PngLimits limits;
    limits.maxWidth = c.width; // wider than the reader takes by default
    const Image decoded = DecodePng(EncodePng(picture), limits);

    EXPECT_EQ(decoded.width, c.width);
    EXPECT_EQ(decoded.height, c.height);
    EXPECT_EQ(decoded.channels, 3u);
    EXPECT_TRUE(decoded.pixels == picture.pixels);
}

TEST_P(PngRoundTrip, WritesOnlyIhdrIdatAndIendWithTruecolourHeader) {
    const RoundTripCase& c = GetParam();
    const std::vector<std::uint8_t> file = EncodePng(MakePicture(c.width, c.height, 3, c.pattern));

    const std::vector<Chunk> chunks = SplitChunks(file); // checks every CRC
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_EQ(chunks.front().type, "IHDR");
    EXPECT_EQ(chunks.front().data, MakeIhdr(c.width, c.height, 8, 2).data);
    for (std::size_t i = 1; i + 1 < chunks.size(); ++i) {
        EXPECT_EQ(chunks[i].type, "IDAT") << "chunk " << i;
        EXPECT_FALSE(chunks[i].data.empty()) << "chunk " << i;
    }
    EXPECT_EQ(chunks.back().type, "IEND");
    EXPECT_TRUE(chunks.back().data.empty());
    // One zlib stream of filter byte + row for every row, nothing after it.
    const std::size_t rawSize = std::size_t{c.height} * (std::size_t{c.width} * 3 + 1);
    EXPECT_EQ(ZlibInflate(JoinedImageData(chunks), rawSize).size(), rawSize);
}

INSTANTIATE_TEST_SUITE_P(Pictures, PngRoundTrip, testing::ValuesIn(kRoundTripCases),
                         [](const testing::TestParamInfo<RoundTripCase>& c) { return c.param.name; });

// The round trips above only prove each filter's encoding if they use it.
TEST(PngWriter, RoundTripPicturesUseEveryFilterType) {
    std::set<int> used;
    for (const RoundTripCase& c : kRoundTripCases) {
        const std::vector<Chunk> chunks =
            SplitChunks(EncodePng(MakePicture(c.width, c.height, 3, c.pattern)));
        const std::size_t stride = std::size_t{c.width} * 3 + 1;
        const std::vector<std::uint8_t> raw = ZlibInflate(JoinedImageData(chunks), stride * c.height);
        for (std::size_t row = 0; row < c.height; ++row) {
            used.insert(raw[row * stride]);
        }
    }
    EXPECT_EQ(used, (std::set<int>{0, 1, 2, 3, 4}));
}

// Where each row repeats the one above shifted by a pixel, Sub and Up leave the
// same residuals but for the first pixel, and the adaptive rule mixes them, so
// that a row rarely repeats the filtered row above; filtered by Up, every row
// does, and libdeflate packs the picture smaller: every row is filtered by Up.
TEST(PngWriter, FiltersEveryRowByUpWhereThatPacksSmaller) {
    const Image picture = MakePicture(1000, 1400, 3, Pattern::DiagonalNoise);
    const std::size_t stride = std::size_t{picture.width} * 3 + 1;
    const std::vector<std::uint8_t> raw =
        ZlibInflate(JoinedImageData(SplitChunks(EncodePng(picture))), stride * picture.height);
    std::set<int> used;
    for (std::size_t row = 0; row < picture.height; ++row) {
        used.insert(raw[row * stride]);
    }
    EXPECT_EQ(used, std::set<int>{2});
    // Below the levels that try both, the adaptive rule alone.
    const std::vector<std::uint8_t> fast =
        ZlibInflate(JoinedImageData(SplitChunks(EncodePng(picture, 6))), stride * picture.height);
    EXPECT_NE(fast[stride], 2);
}

TEST(PngWriter, DropsAlphaOfRgbaPictures) {
    const Image rgba = MakePicture(37, 11, 4, Pattern::SmoothNoise);

    const Image decoded = DecodePng(EncodePng(rgba));

    ASSERT_EQ(decoded.channels, 3u);
    ASSERT_EQ(decoded.pixels.size(), std::size_t{37} * 11 * 3);
    for (std::size_t i = 0; i < std::size_t{37} * 11; ++i) {
        for (std::size_t c = 0; c < 3; ++c) {
            ASSERT_EQ(decoded.pixels[i * 3 + c], rgba.pixels[i * 4 + c]) << "pixel " << i;
        }
    }
    EXPECT_EQ(SplitChunks(EncodePng(rgba)).front().data, MakeIhdr(37, 11, 8, 2).data);
}

TEST(PngWriter, EveryZlibLevelGivesTheSamePicture) {
    const Image picture = MakePicture(50, 20, 3, Pattern::Desktop);
    for (int level = 0; level <= 9; ++level) {
        EXPECT_TRUE(DecodePng(EncodePng(picture, level)).pixels == picture.pixels) << "level " << level;
    }
}

TEST(PngWriter, CompressesScreenContentWell) {
    const Image picture = MakePicture(640, 480, 3, Pattern::Desktop);
    EXPECT_LT(EncodePng(picture).size(), picture.pixels.size() / 8);
}

TEST(PngWriter, JoinsBandsOfEveryKindIntoOneStream) {
    const Image picture = MakeMixedPicture();

    const std::vector<std::uint8_t> file = EncodePng(picture);

    EXPECT_TRUE(DecodePng(file).pixels == picture.pixels);
    // zlib's own inflate reads it as one stream, to its end and checksum.
    const std::size_t rawSize = std::size_t{picture.height} * (std::size_t{picture.width} * 3 + 1);
    EXPECT_EQ(ZlibInflate(JoinedImageData(SplitChunks(file)), rawSize).size(), rawSize);
}

// A band packed by zlib starts from the rows the band before ended with: on a
// picture that repeats a strip of noise smaller than deflate's window (where
// the short search packs the probe a few bytes smaller than libdeflate), every
// band after the first finds its first rows there, so the file holds the
// strip's noise about once (and 6 KB of matches a band), not once in each of
// the six bands (about 110 KB).
TEST(PngWriter, BandsStartFromTheBandBeforesRows) {
    constexpr std::uint32_t kWidth = 1000;
    constexpr std::uint32_t kStripRows = 4; // 12 KB of noise
    const Image strip = MakePicture(kWidth, kStripRows, 3, Pattern::Noise);
    Image picture = MakePicture(kWidth, 0, 3, Pattern::Flat);
    while (picture.height < 1800) { // 5.4 MB: six bands
        picture.pixels.insert(picture.pixels.end(), strip.pixels.begin(), strip.pixels.end());
        picture.height += kStripRows;
    }

    const std::vector<std::uint8_t> file = EncodePng(picture);

    EXPECT_TRUE(DecodePng(file).pixels == picture.pixels);
    EXPECT_LT(file.size(), strip.pixels.size() * 5);
}

TEST(PngWriter, GivesTheSameBytesForAnyThreadCount) {
    for (const Image& picture : {MakePicture(1200, 900, 3, Pattern::Desktop),
                                 MakePicture(1200, 900, 3, Pattern::SmoothNoise), MakeMixedPicture()}) {
        const std::vector<std::uint8_t> one = EncodePng(picture, 7, 1);
        EXPECT_TRUE(EncodePng(picture, 7, 2) == one);
        EXPECT_TRUE(EncodePng(picture, 7, 5) == one);
    }
}

// The encoding threads keep their buffers and compressors from one picture to
// the next. Whatever came before (a wider picture, another level, a refused
// picture, more threads, a warm-up for another width), a picture must come out
// whole and the same.
TEST(PngWriter, GivesTheSameBytesWhateverWasEncodedBefore) {
    const Image wide = MakePicture(3000, 700, 3, Pattern::SmoothNoise);
    const Image narrow = MakeMixedPicture();
    const std::vector<std::uint8_t> first = EncodePng(narrow, 7, 1);
    EXPECT_TRUE(DecodePng(first).pixels == narrow.pixels);

    EncodePng(wide, 9);
    EXPECT_TRUE(EncodePng(narrow, 7) == first);
    EXPECT_THROW(EncodePng(MakePicture(4, 4, 3, Pattern::Flat), 10), CodecError);
    EncodePng(wide, 1, 3);
    EXPECT_TRUE(EncodePng(narrow, 7, 1) == first);
    EXPECT_TRUE(EncodePng(narrow, 7, 3) == first);
    WarmUpPngEncoder(5000, 6);
    WarmUpPngEncoder(0); // nothing to warm up for
    EXPECT_TRUE(EncodePng(narrow, 7) == first);
}

// Pictures are encoded from several threads at once (a capture while a copy is
// saved): each gets its own file.
TEST(PngWriter, EncodesFromSeveralThreadsAtOnce) {
    const Image pictures[] = {MakeMixedPicture(), MakePicture(1200, 900, 3, Pattern::Desktop),
                              MakePicture(900, 1200, 3, Pattern::SmoothNoise)};
    std::vector<std::vector<std::uint8_t>> expected;
    for (const Image& picture : pictures) {
        expected.push_back(EncodePng(picture, 7, 1));
    }
    std::vector<std::vector<std::uint8_t>> files(std::size(pictures));
    {
        std::vector<std::jthread> encoders;
        for (std::size_t i = 0; i < std::size(pictures); ++i) {
            encoders.emplace_back([&, i] { files[i] = EncodePng(pictures[i], 7, 2); });
        }
    }
    for (std::size_t i = 0; i < std::size(pictures); ++i) {
        EXPECT_TRUE(files[i] == expected[i]) << "picture " << i;
    }
}

// Three 4K monitors side by side come close to an 8K picture: 100 MB of RGB.
TEST(PngWriter, EncodesAnEightKPicture) {
    const Image picture = MakePicture(7680, 4320, 3, Pattern::Desktop);

    const Image decoded = DecodePng(EncodePng(picture));

    EXPECT_EQ(decoded.width, 7680u);
    EXPECT_EQ(decoded.height, 4320u);
    EXPECT_TRUE(decoded.pixels == picture.pixels);
}

// Captures hand over a Windows DIB: blue, green, red, an unused byte, and
// rows that may be padded. The file must be the one their RGB copy gives.
TEST(PngWriter, EncodesEveryPixelLayoutLikeItsRgbCopy) {
    const Image rgb = MakePicture(333, 400, 3, Pattern::Desktop);
    const std::size_t pixels = std::size_t{rgb.width} * rgb.height;
    const std::vector<std::uint8_t> expected = EncodePng(rgb);

    struct LayoutCase {
        const char* name;
        PixelLayout layout;
        std::size_t padding; // bytes after each row
    };
    const LayoutCase cases[] = {
        {"RGBA", PixelLayout::Rgba, 0},
        {"BGRX", PixelLayout::Bgrx, 0},
        {"BGRX with padded rows", PixelLayout::Bgrx, 12},
        {"RGB with padded rows", PixelLayout::Rgb, 5},
    };
    for (const LayoutCase& c : cases) {
        const std::size_t pixelBytes = c.layout == PixelLayout::Rgb ? 3 : 4;
        const std::size_t stride = std::size_t{rgb.width} * pixelBytes + c.padding;
        std::vector<std::uint8_t> buffer(stride * rgb.height, 0xEE);
        for (std::size_t i = 0; i < pixels; ++i) {
            std::uint8_t* to = buffer.data() + (i / rgb.width) * stride + (i % rgb.width) * pixelBytes;
            const std::uint8_t* from = rgb.pixels.data() + i * 3;
            const bool bgr = c.layout == PixelLayout::Bgrx;
            to[0] = from[bgr ? 2 : 0];
            to[1] = from[1];
            to[2] = from[bgr ? 0 : 2];
        }
        PixelRows rows;
        rows.width = rgb.width;
        rows.height = rgb.height;
        rows.stride = stride;
        rows.layout = c.layout;
        rows.first = buffer.data();
        rows.size = buffer.size();
        EXPECT_TRUE(EncodePng(rows) == expected) << c.name;
        // The last row needs no padding after it.
        rows.size = buffer.size() - c.padding;
        EXPECT_TRUE(EncodePng(rows) == expected) << c.name << ", last row unpadded";
        rows.size -= 1;
        EXPECT_THROW(EncodePng(rows), CodecError) << c.name << ", last row cut short";
    }
}

struct BadInput {
    const char* name;
    Image picture;
    int level;
};

Image Resized(Image picture, std::size_t size) {
    picture.pixels.resize(size);
    return picture;
}

Image WithShape(std::uint32_t width, std::uint32_t height, std::uint32_t channels) {
    Image picture;
    picture.width = width;
    picture.height = height;
    picture.channels = channels;
    picture.pixels.resize(std::size_t{width} * height * channels);
    return picture;
}

TEST(PngWriter, RefusesWhatCannotBeEncoded) {
    const Image good = MakePicture(4, 3, 3, Pattern::Noise);
    const BadInput cases[] = {
        {"grey input", WithShape(4, 3, 1), 7},
        {"grey+alpha input", WithShape(4, 3, 2), 7},
        {"five channels", WithShape(4, 3, 5), 7},
        {"zero width", WithShape(0, 3, 3), 7},
        {"zero height", WithShape(4, 0, 3), 7},
        {"short pixel buffer", Resized(good, good.pixels.size() - 1), 7},
        {"long pixel buffer", Resized(good, good.pixels.size() + 3), 7},
        {"level below 0", good, -1},
        {"level above 9", good, 10},
    };
    for (const BadInput& c : cases) {
        EXPECT_THROW(EncodePng(c.picture, c.level), CodecError) << c.name;
    }
}

} // namespace
} // namespace mirulo::image::test
