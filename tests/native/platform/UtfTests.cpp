// Paths and settings pass through these converters on every start; a lossy or
// lenient conversion would silently change a user's folder name.
#include <gtest/gtest.h>

#include <string>

#include "platform/Utf.h"

using namespace mirulo::platform;

namespace {

struct RoundTrip {
    const char* what;
    std::string utf8;
    std::u16string utf16;
};

class Conversions : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(Conversions, ConvertBothWaysWithoutLoss) {
    const RoundTrip& c = GetParam();
    EXPECT_TRUE(IsValidUtf8(c.utf8));
    EXPECT_EQ(TryUtf8ToUtf16(c.utf8), c.utf16);
    EXPECT_EQ(TryUtf16ToUtf8(c.utf16), c.utf8);
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Conversions,
    ::testing::Values(RoundTrip{"empty", "", u""}, RoundTrip{"ascii", "Folder=C:\\x", u"Folder=C:\\x"},
                      RoundTrip{"japanese path", "D:\\スクショ\\ミルロ", u"D:\\スクショ\\ミルロ"},
                      RoundTrip{"full-width space", "Mirulo\u3000ver.2.10", u"Mirulo\u3000ver.2.10"},
                      RoundTrip{"outside the BMP", "\xF0\x9F\x93\xB7.png", u"\U0001F4F7.png"},
                      RoundTrip{"embedded NUL", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
                      RoundTrip{"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"}),
    [](const auto& param_info) {
        std::string name = param_info.param.what;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) {
                ch = '_';
            }
        }
        return name;
    });

TEST(Utf8Validation, RejectsEveryMalformedForm) {
    const std::string bad[] = {
        "\x80",             // lone continuation byte
        "\xC3",             // truncated two-byte sequence
        "\xE3\x81",         // truncated three-byte sequence
        "\xC0\xAF",         // overlong '/'
        "\xE0\x80\xAF",     // overlong three-byte
        "\xED\xA0\x80",     // UTF-16 surrogate encoded in UTF-8
        "\xF4\x90\x80\x80", // above U+10FFFF
        "\xFF",             // never valid
        "ok\xE3\x81",       // good text, then truncated at the end
    };
    for (const std::string& bytes : bad) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        EXPECT_FALSE(IsValidUtf8(bytes));
        EXPECT_EQ(TryUtf8ToUtf16(bytes), std::nullopt);
    }
}

TEST(Utf8Validation, LenientConversionMarksEachBadSequenceWithAReplacementCharacter) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b\xC3"),
              u"a\uFFFDb\uFFFD");
}

TEST(Utf16Validation, UnpairedSurrogatesAreRejectedOrReplaced) {
    const std::u16string lone_high(1, char16_t(0xD800));
    const std::u16string lone_low = std::u16string(u"x") + char16_t(0xDC00);
    EXPECT_EQ(TryUtf16ToUtf8(lone_high), std::nullopt);
    EXPECT_EQ(TryUtf16ToUtf8(lone_low), std::nullopt);
    EXPECT_EQ(Utf16ToUtf8(lone_low), "x\xEF\xBF\xBD");
}

} // namespace
