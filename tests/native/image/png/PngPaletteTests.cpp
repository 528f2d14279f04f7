// The grey-scale copy's PNG: grey levels from the integer weights, written as an
// 8-bit palette file (colour type 3) whose palette is the 256 greys in order.
#include <gtest/gtest.h>

#include "PngTestSupport.h"
#include "image/GreyScale.h"
#include "image/PngFormat.h"
#include "image/PngReader.h"
#include "image/PngWriter.h"

namespace mirulo::image::test {
namespace {

Image Pixels(std::uint32_t width, std::uint32_t height, std::uint32_t channels,
             std::vector<std::uint8_t> bytes) {
    Image picture;
    picture.width = width;
    picture.height = height;
    picture.channels = channels;
    picture.pixels = std::move(bytes);
    return picture;
}

TEST(GreyLevel, WeightsAddUpSoWhiteAndBlackKeepTheirLevel) {
    struct Case {
        std::uint8_t r, g, b, level;
    };
    const Case cases[] = {
        {255, 255, 255, 255}, {0, 0, 0, 0},         {255, 0, 0, 76},    {0, 255, 0, 149},
        {0, 0, 255, 28},      {128, 128, 128, 128}, {10, 200, 30, 123}, // (770 + 30000 + 870) >> 8
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GreyLevel(c.r, c.g, c.b), c.level) << int(c.r) << "," << int(c.g) << "," << int(c.b);
    }
}

TEST(GreyCopy, RgbaAndRgbGiveTheSameIndicesAndJpegGreyFillsAllThreeChannels) {
    const Image rgb = Pixels(2, 1, 3, {255, 255, 255, 10, 200, 30});
    const Image rgba = Pixels(2, 1, 4, {255, 255, 255, 0, 10, 200, 30, 77});
    EXPECT_EQ(ToGreyIndexed(rgb).indices, (std::vector<std::uint8_t>{255, 123}));
    EXPECT_EQ(ToGreyIndexed(rgba).indices, (std::vector<std::uint8_t>{255, 123}));

    Image inPlace = rgb;
    MakeGreyInPlace(inPlace);
    EXPECT_EQ(inPlace.pixels, (std::vector<std::uint8_t>{255, 255, 255, 123, 123, 123}));
}

TEST(PalettePng, HasColourType3AndTheGreyRampAsPaletteAndDecodesToTheLevels) {
    const Image source = MakePicture(37, 23, 3, Pattern::Desktop);
    const IndexedImage grey = ToGreyIndexed(source);
    const std::vector<std::uint8_t> file = EncodePng(grey);

    const std::vector<Chunk> chunks = SplitChunks(file);
    ASSERT_GE(chunks.size(), 4u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[0].data[8], 8);                   // bit depth
    EXPECT_EQ(chunks[0].data[9], png::kColourPalette); // colour type 3
    EXPECT_EQ(chunks[1].type, "PLTE");
    ASSERT_EQ(chunks[1].data.size(), 256u * 3);
    for (std::size_t i = 0; i < 256; ++i) {
        for (std::size_t c = 0; c < 3; ++c) {
            ASSERT_EQ(chunks[1].data[i * 3 + c], i) << "entry " << i;
        }
    }
    for (const Chunk& chunk : chunks) {
        EXPECT_NE(chunk.type, "tRNS");
    }

    const Image decoded = DecodePng(file);
    ASSERT_EQ(decoded.channels, 3u);
    ASSERT_EQ(decoded.width, source.width);
    ASSERT_EQ(decoded.height, source.height);
    for (std::size_t i = 0; i < grey.indices.size(); ++i) {
        const std::uint8_t* in = source.pixels.data() + i * 3;
        const std::uint8_t level = GreyLevel(in[0], in[1], in[2]);
        ASSERT_EQ(decoded.pixels[i * 3], level) << "pixel " << i;
        ASSERT_EQ(decoded.pixels[i * 3 + 1], level);
        ASSERT_EQ(decoded.pixels[i * 3 + 2], level);
    }
}

TEST(PalettePng, RefusesWhatWouldMakeAnInvalidFile) {
    IndexedImage picture;
    picture.width = 2;
    picture.height = 1;
    picture.indices = {0, 3};
    picture.palette = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    EXPECT_THROW(EncodePng(picture), CodecError) << "index beyond the palette";

    picture.indices = {0, 1, 2};
    EXPECT_THROW(EncodePng(picture), CodecError) << "buffer does not match the size";

    picture.indices = {0, 1};
    picture.palette.clear();
    EXPECT_THROW(EncodePng(picture), CodecError) << "no palette";

    picture.palette = GreyPalette();
    picture.width = 0;
    picture.indices.clear();
    EXPECT_THROW(EncodePng(picture), CodecError) << "empty picture";
}

} // namespace
} // namespace mirulo::image::test
