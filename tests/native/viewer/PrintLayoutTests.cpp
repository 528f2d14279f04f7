// Where a printed picture lands on the page, the printer list's short names, the
// job title and the rows handed to the printer.
#include <gtest/gtest.h>

#include "viewer/PrintLayout.h"

namespace mirulo::viewer {
namespace {

TEST(PrintPlacement, MarginsAndScaleFollowTheWideRule) {
    struct Case {
        const char* what;
        int w, h, pageWidth, pageHeight;
        bool wide;
        PrintPlacement expected;
    };
    const Case cases[] = {
        {"square picture fits by height", 1000, 1000, 3000, 2000, false, {90, 60, 1880, 1880}},
        {"16:9 is wider than 3:2: fits by width", 1600, 900, 3000, 2000, true, {90, 60, 2820, 1586}},
        {"same aspect as the page: by height", 1500, 1000, 3000, 2000, false, {90, 60, 2820, 1880}},
        {"very wide", 7680, 1080, 3000, 2000, true, {90, 60, 2820, 396}},  // 1080 * 2820 / 7680 = 396.6
        {"very tall", 1080, 7680, 3000, 2000, false, {90, 60, 264, 1880}}, // 1080 * 1880 / 7680 = 264.4
        // A4 landscape at 300 dpi as cups-pdf gives it: 105.24, 74.37, 2330.26.
        {"A4 landscape, 16:9", 1600, 900, 3508, 2479, true, {105, 74, 3298, 1855}}, // 3297.52 -> 3298
        {"A4 landscape, 4:3", 1024, 768, 3508, 2479, false, {105, 74, 3106, 2330}}, // 1024 * 2330 / 768 =
                                                                                    // 3106.7
        // Halves round away from zero: 92.25, 52.5, 2890.5 (1626.2 truncated).
        {"halves round up", 1600, 900, 3075, 1750, true, {92, 53, 2891, 1626}},
        {"one pixel", 1, 1, 3000, 2000, false, {90, 60, 1880, 1880}},
        // 1 * 1880 / 7680 truncates to nothing; the line keeps one device pixel.
        {"a thin line stays on the page", 1, 7680, 3000, 2000, false, {90, 60, 1, 1880}},
        {"a thin wide line too", 7680, 1, 3000, 2000, true, {90, 60, 2820, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(IsWideNotSquare(c.w, c.h, c.pageWidth, c.pageHeight), c.wide);
        EXPECT_EQ(PlacePrintedPicture(c.w, c.h, c.pageWidth, c.pageHeight, c.wide), c.expected);
    }
}

// Whatever its shape, the picture chosen by the wide rule stays inside the
// printable area; without the rule a picture a little wider than the page
// would run off its right edge.
TEST(PrintPlacement, NoPictureRunsPastThePrintableArea) {
    const int pages[][2] = {{3000, 2000}, {3508, 2479}, {2479, 3508}, {4961, 3508}, {101, 99}, {3075, 50}};
    const int sizes[] = {1, 2, 3, 7, 99, 100, 101, 900, 1080, 1600, 1920, 2000, 3000, 7680, 65535};
    for (const auto& page : pages) {
        for (const int w : sizes) {
            for (const int h : sizes) {
                const bool wide = IsWideNotSquare(w, h, page[0], page[1]);
                const PrintPlacement p = PlacePrintedPicture(w, h, page[0], page[1], wide);
                ASSERT_LE(p.left + p.width, page[0])
                    << w << " x " << h << " on " << page[0] << " x " << page[1];
                ASSERT_LE(p.top + p.height, page[1])
                    << w << " x " << h << " on " << page[0] << " x " << page[1];
                ASSERT_GE(p.width, 1);
                ASSERT_GE(p.height, 1);
            }
        }
    }
    // The fault the rule prevents: by height, a 1.1 × page-aspect picture is too wide.
    const PrintPlacement byHeight = PlacePrintedPicture(3300, 2000, 3000, 2000, false);
    EXPECT_GT(byHeight.left + byHeight.width, 3000);
    EXPECT_TRUE(IsWideNotSquare(3300, 2000, 3000, 2000));
}

TEST(PrintPlacement, MulDivRoundsHalvesAwayFromZeroThroughA64BitProduct) {
    EXPECT_EQ(MulDivRounded(3075, 94, 100), 2891);
    EXPECT_EQ(MulDivRounded(-3, 1, 2), -2);
    EXPECT_EQ(MulDivRounded(2000000000, 94, 100), 1880000000);
    EXPECT_EQ(MulDivRounded(5, 3, 0), -1);
}

TEST(PrinterNames, ShortNameIsThePartAfterTheLastBackslash) {
    EXPECT_EQ(ShortPrinterName(L"\\\\server\\office"), L"office");
    EXPECT_EQ(ShortPrinterName(L"MiruloPDF"), L"MiruloPDF");
    EXPECT_EQ(ShortPrinterName(L"Microsoft Print to PDF"), L"Microsoft Print to PDF");
    EXPECT_EQ(ShortPrinterName(L"\\\\server\\"), L"");
}

TEST(PrintJob, TitleFromTheLocalClock) {
    EXPECT_EQ(PrintJobTitle({2024, 10, 18, 1, 31, 13, 999}), L"PRINT_2024-10-18_01-31-13");
    EXPECT_EQ(PrintJobTitle({2025, 1, 2, 23, 0, 9, 0}), L"PRINT_2025-01-02_23-00-09");
}

TEST(PrintJob, RowsAreBottomUpBgrPaddedToFourBytes) {
    image::Image picture;
    picture.width = 2;
    picture.height = 2;
    picture.channels = 4;
    picture.pixels = {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 0, 10, 11, 12, 0};
    const std::vector<std::uint8_t> rows = BottomUpBgr24(picture);
    // 2 pixels × 3 bytes = 6, padded to 8; the bottom row comes first.
    const std::vector<std::uint8_t> expected = {9, 8, 7, 12, 11, 10, 0, 0, 3, 2, 1, 6, 5, 4, 0, 0};
    EXPECT_EQ(rows, expected);
    picture.pixels.pop_back();
    EXPECT_THROW(BottomUpBgr24(picture), std::invalid_argument);
}

} // namespace
} // namespace mirulo::viewer
