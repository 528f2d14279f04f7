#include "viewer/PrintLayout.h"

#include <cstdio>
#include <stdexcept>

namespace mirulo::viewer {

int MulDivRounded(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = (c < 0 ? -static_cast<std::int64_t>(c) : c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = (product < 0 ? -product : product);
    const std::int64_t divisor = c < 0 ? -static_cast<std::int64_t>(c) : c;
    const std::int64_t rounded = (magnitude + half) / divisor;
    return static_cast<int>(negative ? -rounded : rounded);
}

bool IsWideNotSquare(int w, int h, int pageWidth, int pageHeight) {
    return static_cast<std::int64_t>(w) * pageHeight > static_cast<std::int64_t>(h) * pageWidth;
}

PrintPlacement PlacePrintedPicture(int w, int h, int pageWidth, int pageHeight, bool wide) {
    if (w <= 0 || h <= 0) {
        throw std::invalid_argument("印刷する画像が空です");
    }
    PrintPlacement placement;
    placement.left = MulDivRounded(pageWidth, 3, 100);
    placement.top = MulDivRounded(pageHeight, 3, 100);
    // A thread-thin picture keeps one device pixel of its short side rather than
    // vanishing from the page.
    if (wide) {
        placement.width = MulDivRounded(pageWidth, 94, 100);
        placement.height = static_cast<int>(static_cast<std::int64_t>(h) * placement.width / w);
        if (placement.height == 0 && placement.width > 0) {
            placement.height = 1;
        }
    } else {
        placement.height = MulDivRounded(pageHeight, 94, 100);
        placement.width = static_cast<int>(static_cast<std::int64_t>(w) * placement.height / h);
        if (placement.width == 0 && placement.height > 0) {
            placement.width = 1;
        }
    }
    return placement;
}

std::wstring ShortPrinterName(std::wstring_view fullName) {
    const std::size_t slash = fullName.rfind(L'\\');
    return std::wstring(slash == std::wstring_view::npos ? fullName : fullName.substr(slash + 1));
}

std::wstring PrintJobTitle(const platform::LocalTime& time) {
    wchar_t text[40] = {};
    std::swprintf(text, sizeof(text) / sizeof(text[0]), L"PRINT_%04d-%02d-%02d_%02d-%02d-%02d", time.year,
                  time.month, time.day, time.hour, time.minute, time.second);
    return text;
}

std::vector<std::uint8_t> BottomUpBgr24(const image::Image& picture) {
    const std::size_t width = picture.width, height = picture.height, channels = picture.channels;
    if ((channels != 3 && channels != 4) || picture.pixels.size() != width * height * channels) {
        throw std::invalid_argument("印刷する画像の大きさと画素の数が合いません");
    }
    const std::size_t rowBytes = (width * 24 + 31) / 32 * 4;
    std::vector<std::uint8_t> out(rowBytes * height);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* in = picture.row(static_cast<std::uint32_t>(y));
        std::uint8_t* row = out.data() + rowBytes * (height - 1 - y);
        for (std::size_t x = 0; x < width; ++x, in += channels) {
            row[x * 3] = in[2];
            row[x * 3 + 1] = in[1];
            row[x * 3 + 2] = in[0];
        }
    }
    return out;
}

} // namespace mirulo::viewer
