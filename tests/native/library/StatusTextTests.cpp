#include "library/StatusText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "platform/Utf.h"

namespace mirulo::library {
namespace {

using platform::Utf16ToUtf8;

constexpr std::int64_t kMiB = 1'048'576;

struct MegabytesCase {
    const char* what;
    std::int64_t bytes;
    const char* expected; // with ',' grouping and '.' decimals
};

const MegabytesCase kMegabytesCases[] = {
    {"empty folder", 0, "0.000"},
    {"one byte rounds away", 1, "0.000"},
    {"one and a half", kMiB + kMiB / 2, "1.500"},
    {"a gibibyte groups its thousands", 1'073'741'824, "1,024.000"},
    {"just under a megabyte carries into the integer", kMiB - 1, "1.000"},
    {"three integer digits stay ungrouped", 999 * kMiB, "999.000"},
    {"four integer digits", 1000 * kMiB, "1,000.000"},
    {"seven integer digits", 1'000'000 * kMiB, "1,000,000.000"},
    // 1/32 MB = 0.03125: a tie at the fourth decimal goes to the even 0.0312.
    {"tie at four decimals goes down to even", 32'768, "0.031"},
    // 3/32 MB = 0.09375: the tie goes up to the even 0.0938.
    {"tie at four decimals goes up to even", 3 * 32'768, "0.094"},
    // 1521 B = 0.0014505 MB -> 0.0015, a tie at three decimals that goes up to the
    // even 0.002. Rounding once to three decimals would give 0.001.
    {"double rounding goes up where one rounding goes down", 1521, "0.002"},
    // 2642 B = 0.0025196 MB -> 0.0025 -> even 0.002; rounding once gives 0.003.
    {"double rounding goes down where one rounding goes up", 2642, "0.002"},
    // 3670 B = 0.0034999 MB -> 0.0035 -> even 0.004.
    {"tie at three decimals goes up from odd", 3670, "0.004"},
    {"above 4 GiB with a tail", 4'294'967'296 + 1521, "4,096.002"},
    {"above 4 GiB exactly", 5 * 1'073'741'824LL, "5,120.000"},
    {"largest total", std::numeric_limits<std::int64_t>::max(), "8,796,093,022,208.000"},
    {"near the largest total, exact tail", 8'796'093'022'207LL * kMiB + 1521, "8,796,093,022,207.002"},
    {"negative totals are symmetric", -(kMiB + kMiB / 2), "-1.500"},
    {"a negative total that rounds to zero has no sign", -1, "0.000"},
    {"smallest total", std::numeric_limits<std::int64_t>::min(), "-8,796,093,022,208.000"},
};

TEST(FormatMegabytes, RoundsTwiceHalfToEvenAndGroups) {
    for (const auto& c : kMegabytesCases) {
        EXPECT_EQ(Utf16ToUtf8(FormatMegabytes(c.bytes, u',', u'.')), c.expected) << c.what;
    }
}

TEST(FormatMegabytes, UsesTheGivenSeparators) {
    EXPECT_EQ(Utf16ToUtf8(FormatMegabytes(1'073'741'824, u'.', u',')), "1.024,000");
    EXPECT_EQ(Utf16ToUtf8(FormatMegabytes(1'000'000 * kMiB, u'\u00A0', u',')), "1\u00A0000\u00A0000,000");
    EXPECT_EQ(Utf16ToUtf8(FormatMegabytes(kMiB / 2, u'\'', u'.')), "0.500");
}

// An independent route to the same figure: the whole product in 128 bits, no
// splitting of whole megabytes. Guards the overflow-avoiding arithmetic over the
// full range, where a table cannot reach every carry.
std::string ReferenceMegabytes(std::uint64_t bytes) {
    using u128 = unsigned __int128;
    const u128 scaled = static_cast<u128>(bytes) * 10'000;
    u128 tenThousandths = scaled >> 20;
    const u128 remainder = scaled & ((u128{1} << 20) - 1);
    const u128 half = u128{1} << 19;
    if (remainder > half || (remainder == half && (tenThousandths & 1) != 0)) {
        ++tenThousandths;
    }
    u128 thousandths = tenThousandths / 10;
    const u128 lastDigit = tenThousandths % 10;
    if (lastDigit > 5 || (lastDigit == 5 && (thousandths & 1) != 0)) {
        ++thousandths;
    }
    const std::string digits = std::to_string(static_cast<std::uint64_t>(thousandths / 1000));
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            text.push_back(',');
        }
        text.push_back(digits[i]);
    }
    const auto fraction = static_cast<unsigned>(thousandths % 1000);
    text.push_back('.');
    text.push_back(static_cast<char>('0' + fraction / 100));
    text.push_back(static_cast<char>('0' + fraction / 10 % 10));
    text.push_back(static_cast<char>('0' + fraction % 10));
    return text;
}

TEST(FormatMegabytes, AgreesWithWideArithmeticAcrossTheRange) {
    std::mt19937_64 random(20240315);
    for (int i = 0; i < 20'000; ++i) {
        // Spread over every magnitude, and land on and around exact ties.
        const int bits = static_cast<int>(random() % 63) + 1;
        std::uint64_t bytes = random() >> (64 - bits);
        if (i % 4 == 0) {
            bytes = (bytes & ~std::uint64_t{0x7FFF}) | 0x8000; // a multiple of 1/32 MB
        }
        bytes &= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        ASSERT_EQ(Utf16ToUtf8(FormatMegabytes(static_cast<std::int64_t>(bytes), u',', u'.')),
                  ReferenceMegabytes(bytes))
            << bytes;
    }
}

TEST(StatusText, ShowsCountAndMegabytes) {
    EXPECT_EQ(Utf16ToUtf8(StatusText(0, 0, u',', u'.')), "(0枚、画像サイズ合計0.000MB)");
    EXPECT_EQ(Utf16ToUtf8(StatusText(2, kMiB + kMiB / 2, u',', u'.')), "(2枚、画像サイズ合計1.500MB)");
    // The count is plain digits; only the size is grouped.
    EXPECT_EQ(Utf16ToUtf8(StatusText(123'456, 1'073'741'824, u',', u'.')),
              "(123456枚、画像サイズ合計1,024.000MB)");
}

} // namespace
} // namespace mirulo::library
