#include "capture/CaptureFileName.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Utf.h"

namespace mirulo::capture {
namespace {

std::string Utf8(std::u16string_view text) {
    return platform::Utf16ToUtf8(text);
}

struct NameCase {
    const char* what;
    platform::LocalTime time;
    std::u16string_view code;
    ImageFormat format;
    std::u16string_view expected;
};

class CaptureFileNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(CaptureFileNameTest, FormatsStampCodeAndExtension) {
    const NameCase& c = GetParam();
    EXPECT_EQ(Utf8(CaptureFileName(c.time, c.code, c.format)), Utf8(c.expected)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Names, CaptureFileNameTest,
                         testing::Values(NameCase{"fixed-range hot key as PNG",
                                                  {2024, 3, 15, 14, 25, 30, 45},
                                                  u"固K",
                                                  ImageFormat::Png,
                                                  u"20240315_142530_045_固K.png"},
                                         NameCase{"every field at its smallest, zero-padded",
                                                  {1, 1, 1, 0, 0, 0, 0},
                                                  u"全B",
                                                  ImageFormat::Jpg,
                                                  u"00010101_000000_000_全B.jpg"},
                                         NameCase{"every field at its largest",
                                                  {9999, 12, 31, 23, 59, 59, 999},
                                                  u"指K",
                                                  ImageFormat::Png,
                                                  u"99991231_235959_999_指K.png"},
                                         NameCase{"single-digit millisecond keeps three digits",
                                                  {2025, 10, 9, 8, 7, 6, 5},
                                                  u"固T",
                                                  ImageFormat::Jpg,
                                                  u"20251009_080706_005_固T.jpg"},
                                         NameCase{"a number wider than its field keeps all digits",
                                                  {12345, 1, 2, 3, 4, 5, 6},
                                                  u"固B",
                                                  ImageFormat::Png,
                                                  u"123450102_030405_006_固B.png"}));

TEST(CaptureFileName, NamesSortByTimeWithinTheSameCode) {
    // The picture list shows the newest first by name; the stamp must sort like time.
    const std::u16string earlier = CaptureFileName({2024, 9, 30, 23, 59, 59, 999}, u"固K", ImageFormat::Png);
    const std::u16string later = CaptureFileName({2024, 10, 1, 0, 0, 0, 0}, u"固K", ImageFormat::Png);
    EXPECT_LT(earlier, later);
}

TEST(FormatFromListIndex, OnlyTheFirstEntryIsPng) {
    const struct {
        int index;
        ImageFormat expected;
    } cases[] = {{0, ImageFormat::Png}, {1, ImageFormat::Jpg}, {-1, ImageFormat::Jpg}, {2, ImageFormat::Jpg}};
    for (const auto& c : cases) {
        EXPECT_EQ(FormatFromListIndex(c.index), c.expected) << "index " << c.index;
    }
}

} // namespace
} // namespace mirulo::capture
