#include "library/StatusText.h"

namespace mirulo::library {
namespace {

constexpr std::uint64_t kBytesPerMegabyte = 1'048'576; // 2^20

// Half-to-even division of a non-negative numerator by a positive divisor.
std::uint64_t DivideRoundingHalfEven(std::uint64_t numerator, std::uint64_t divisor) {
    const std::uint64_t quotient = numerator / divisor;
    const std::uint64_t twiceRemainder = (numerator % divisor) * 2;
    if (twiceRemainder > divisor || (twiceRemainder == divisor && quotient % 2 == 1)) {
        return quotient + 1;
    }
    return quotient;
}

// The magnitude in ten-thousandths of a megabyte. Splitting off the whole
// megabytes keeps every product within 64 bits: bytes * 10000 would not fit for
// totals above about 0.9 EiB, and the fraction's parity is the whole value's
// parity because whole megabytes contribute a multiple of 10000.
std::uint64_t TenThousandths(std::uint64_t bytes) {
    const std::uint64_t wholeMegabytes = bytes / kBytesPerMegabyte;
    const std::uint64_t restBytes = bytes % kBytesPerMegabyte;
    return wholeMegabytes * 10'000 + DivideRoundingHalfEven(restBytes * 10'000, kBytesPerMegabyte);
}

std::u16string GroupedDigits(std::uint64_t value, char16_t separator) {
    std::u16string reversed;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) {
            reversed.push_back(separator);
        }
        reversed.push_back(static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
        ++digits;
    } while (value != 0);
    return {reversed.rbegin(), reversed.rend()};
}

std::u16string PlainDigits(std::size_t value) {
    std::u16string reversed;
    do {
        reversed.push_back(static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return {reversed.rbegin(), reversed.rend()};
}

} // namespace

std::u16string FormatMegabytes(std::int64_t totalBytes, char16_t thousandsSeparator,
                               char16_t decimalSeparator) {
    const bool negative = totalBytes < 0;
    // Unsigned negation is defined for INT64_MIN too.
    const std::uint64_t magnitude = negative ? std::uint64_t{0} - static_cast<std::uint64_t>(totalBytes)
                                             : static_cast<std::uint64_t>(totalBytes);

    const std::uint64_t thousandths = DivideRoundingHalfEven(TenThousandths(magnitude), 10);

    std::u16string text;
    if (negative && thousandths != 0) {
        text.push_back(u'-');
    }
    text += GroupedDigits(thousandths / 1000, thousandsSeparator);
    text.push_back(decimalSeparator);
    const auto fraction = static_cast<unsigned>(thousandths % 1000);
    text.push_back(static_cast<char16_t>(u'0' + fraction / 100));
    text.push_back(static_cast<char16_t>(u'0' + fraction / 10 % 10));
    text.push_back(static_cast<char16_t>(u'0' + fraction % 10));
    return text;
}

std::u16string StatusText(std::size_t count, std::int64_t totalBytes, char16_t thousandsSeparator,
                          char16_t decimalSeparator) {
    std::u16string text = u"(";
    text += PlainDigits(count);
    text += u"枚、画像サイズ合計";
    text += FormatMegabytes(totalBytes, thousandsSeparator, decimalSeparator);
    text += u"MB)";
    return text;
}

} // namespace mirulo::library
