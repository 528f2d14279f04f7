// How the viewer fits a picture, and what the grey-scale and sepia copies are
// called.
#include <gtest/gtest.h>

#include "viewer/CopyNames.h"
#include "viewer/PictureFit.h"

namespace mirulo::viewer {
namespace {

TEST(FitPicture, NaturalSizeUpToTheAreaAndScaledDownWithAspectKeptBeyondIt) {
    struct Case {
        const char* what;
        int pictureWidth, pictureHeight, areaWidth, areaHeight;
        PictureFit expected;
    };
    // An 800 x 600 client area leaves 800 x 546 for the picture.
    const Case cases[] = {
        {"exactly the area", 800, 546, 800, 546, {false, 800, 546}},
        {"small: never enlarged", 120, 80, 800, 546, {false, 120, 80}},
        {"one pixel wider", 801, 546, 800, 546, {true, 800, 545}},  // 546 * 800 / 801 = 545.3
        {"one pixel taller", 800, 547, 800, 546, {true, 798, 546}}, // 800 * 546 / 547 = 798.5
        {"wide: width decides", 1920, 1080, 800, 546, {true, 800, 450}},
        {"tall: height decides", 1080, 1920, 800, 546, {true, 307, 546}}, // 1080 * 546 / 1920 = 307.1
        {"8K", 7680, 4320, 800, 546, {true, 800, 450}},
        {"same aspect as the area", 1600, 1092, 800, 546, {true, 800, 546}},
        {"a thin line stays visible", 100000, 2, 800, 546, {true, 800, 1}},
        {"no room left", 10, 10, 800, 0, {true, 0, 0}},
        {"no picture", 0, 0, 800, 546, {false, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitPicture(c.pictureWidth, c.pictureHeight, c.areaWidth, c.areaHeight), c.expected)
            << c.what;
    }
}

image::Image Picture(std::uint32_t width, std::uint32_t height, std::uint32_t channels,
                     std::vector<std::uint8_t> bytes) {
    image::Image picture;
    picture.width = width;
    picture.height = height;
    picture.channels = channels;
    picture.pixels = std::move(bytes);
    return picture;
}

TEST(RenderBgrx, NaturalSizeIsTheSamePixelsInBgrxOrder) {
    const image::Image rgba = Picture(2, 1, 4, {1, 2, 3, 0, 250, 251, 252, 9});
    EXPECT_EQ(RenderBgrx(rgba, 2, 1), (std::vector<std::uint8_t>{3, 2, 1, 255, 252, 251, 250, 255}));
}

TEST(RenderBgrx, ScaledDownEachPixelIsTheRoundedAverageOfItsShare) {
    // 3 x 2 to 2 x 1: columns {0} and {1, 2}, both rows.
    const image::Image rgb = Picture(3, 2, 3,
                                     {0, 0, 0, 100, 10, 0, 200, 20, 0, //
                                      255, 0, 0, 101, 11, 0, 201, 21, 1});
    const std::vector<std::uint8_t> out = RenderBgrx(rgb, 2, 1);
    // Left: red (0 + 255) / 2 = 127.5 -> 128. Right: red 602 / 4 = 150.5 -> 151,
    // green 62 / 4 = 15.5 -> 16, blue 1 / 4 -> 0.
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0, 0, 128, 255, 0, 16, 151, 255}));
}

TEST(RenderBgrx, RefusesToEnlarge) {
    const image::Image rgb = Picture(1, 1, 3, {1, 2, 3});
    EXPECT_THROW(RenderBgrx(rgb, 2, 1), std::invalid_argument);
}

TEST(CopyTargetPath, SuffixReplacesTheExtensionAndACopyIsNotCopiedTheSameWayAgain) {
    struct Case {
        const wchar_t* source;
        CopyKind kind;
        std::optional<std::wstring> expected;
    };
    const Case cases[] = {
        {L"C:\\s\\a.png", CopyKind::Grey, L"C:\\s\\a-モノ.png"},
        {L"C:\\s\\a.png", CopyKind::Sepia, L"C:\\s\\a-セピ.png"},
        {L"C:\\s\\a.jpg", CopyKind::Grey, L"C:\\s\\a-モノ.jpg"},
        {L"C:\\s\\a.jpg", CopyKind::Sepia, L"C:\\s\\a-セピ.jpg"},
        {L"C:\\s\\A.PNG", CopyKind::Grey, L"C:\\s\\A-モノ.png"},
        {L"C:\\s\\A.JPG", CopyKind::Sepia, L"C:\\s\\A-セピ.jpg"},
        // The repeat test compares the last 7 characters exactly: letter case counts.
        {L"C:\\s\\A-モノ.PNG", CopyKind::Grey, L"C:\\s\\A-モノ-モノ.png"},
        {L"C:\\s\\a-モノ.png", CopyKind::Grey, std::nullopt},
        {L"C:\\s\\a-モノ.png", CopyKind::Sepia, L"C:\\s\\a-モノ-セピ.png"},
        {L"C:\\s\\a-セピ.jpg", CopyKind::Sepia, std::nullopt},
        {L"C:\\s\\a-セピ.jpg", CopyKind::Grey, L"C:\\s\\a-セピ-モノ.jpg"},
        {L"C:\\s\\a.jpeg", CopyKind::Grey, std::nullopt},
        {L"C:\\s\\a.bmp", CopyKind::Sepia, std::nullopt},
        {L"C:\\s.png\\noextension", CopyKind::Grey, std::nullopt},
        {L"C:\\s\\a", CopyKind::Grey, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CopyTargetPath(c.source, c.kind), c.expected)
            << std::string(c.source, c.source + wcslen(c.source));
    }
}

} // namespace
} // namespace mirulo::viewer
