#include "capture/CaptureFileName.h"

#include <cstddef>

namespace mirulo::capture {
namespace {

// Zero-padded to at least `width` digits; a wider number keeps all its digits so
// that no two different times can give the same stamp.
void AppendNumber(std::u16string& out, int value, std::size_t width) {
    if (value < 0) {
        out.push_back(u'-');
    }
    // Work in unsigned so that INT_MIN has a magnitude too.
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    char16_t digits[16];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    for (std::size_t pad = count; pad < width; ++pad) {
        out.push_back(u'0');
    }
    while (count > 0) {
        out.push_back(digits[--count]);
    }
}

} // namespace

ImageFormat FormatFromListIndex(int listIndex) {
    return listIndex == 0 ? ImageFormat::Png : ImageFormat::Jpg;
}

std::u16string_view FileExtension(ImageFormat format) {
    return format == ImageFormat::Png ? u".png" : u".jpg";
}

std::u16string CaptureFileName(const platform::LocalTime& time, std::u16string_view code,
                               ImageFormat format) {
    std::u16string name;
    name.reserve(20 + code.size() + 4);
    AppendNumber(name, time.year, 4);
    AppendNumber(name, time.month, 2);
    AppendNumber(name, time.day, 2);
    name.push_back(u'_');
    AppendNumber(name, time.hour, 2);
    AppendNumber(name, time.minute, 2);
    AppendNumber(name, time.second, 2);
    name.push_back(u'_');
    AppendNumber(name, time.millisecond, 3);
    name.push_back(u'_');
    name.append(code);
    name.append(FileExtension(format));
    return name;
}

} // namespace mirulo::capture
