#include "library/PictureClipboard.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/JpegReader.h"
#include "image/PictureFile.h"
#include "image/PngReader.h"
#include "library/PictureFolder.h"
#include "platform/Clipboard.h"
#include "platform/Handles.h"
#include "platform/SystemError.h"

namespace mirulo::library {
namespace {

constexpr wchar_t kCannotCopy[] = L"クリップボードに画像をコピーできません";

std::vector<std::uint8_t> ReadPictureFile(const std::wstring& path) {
    platform::UniqueKernelHandle file(::CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                                    nullptr));
    if (!file) {
        platform::ThrowLastError(L"画像ファイルを読み込めません: " + path);
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) {
        platform::ThrowLastError(L"画像ファイルを読み込めません: " + path);
    }
    // The decoders refuse pictures above about 1 GiB of pixels anyway; a file
    // larger than that is not read into memory first.
    if (size.QuadPart > (std::int64_t{1} << 30)) {
        ::SetLastError(ERROR_FILE_TOO_LARGE);
        platform::ThrowLastError(L"画像ファイルを読み込めません: " + path);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD read = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - filled, 1u << 24));
        if (!::ReadFile(file.get(), bytes.data() + filled, wanted, &read, nullptr)) {
            platform::ThrowLastError(L"画像ファイルを読み込めません: " + path);
        }
        if (read == 0) {
            break; // shorter than it was a moment ago: the decoder judges what is there
        }
        filled += read;
    }
    bytes.resize(filled);
    return bytes;
}

// One pixel over white: the alpha channel blended in, rounded to nearest.
std::uint8_t OverWhite(std::uint8_t value, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

// A device-dependent bitmap of the screen's format holding the picture. Rows
// are converted a band at a time, so a large picture does not exist a third
// time in memory as one BGRX buffer.
platform::UniqueBitmap MakeBitmap(const image::Image& picture, const std::wstring& cannotCopy) {
    const int width = static_cast<int>(picture.width);
    const int height = static_cast<int>(picture.height);
    const platform::WindowDc screen = platform::WindowDc::Client(nullptr);
    if (!screen) {
        platform::ThrowLastError(cannotCopy);
    }
    platform::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!bitmap) {
        platform::ThrowLastError(cannotCopy);
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up: scan line 0 is the picture's last row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    constexpr int kBandRows = 64;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    std::vector<std::uint8_t> band(rowBytes * static_cast<std::size_t>(std::min(kBandRows, height)));
    for (int top = 0; top < height; top += kBandRows) {
        const int rows = std::min(kBandRows, height - top);
        for (int r = 0; r < rows; ++r) {
            // Band row 0 is the band's lowest picture row.
            const std::uint8_t* source = picture.row(static_cast<std::uint32_t>(top + rows - 1 - r));
            std::uint8_t* target = band.data() + rowBytes * static_cast<std::size_t>(r);
            for (int x = 0; x < width; ++x, target += 4) {
                if (picture.channels == 4) {
                    const std::uint8_t alpha = source[3];
                    target[0] = OverWhite(source[2], alpha);
                    target[1] = OverWhite(source[1], alpha);
                    target[2] = OverWhite(source[0], alpha);
                    source += 4;
                } else {
                    target[0] = source[2];
                    target[1] = source[1];
                    target[2] = source[0];
                    source += 3;
                }
                target[3] = 0;
            }
        }
        const UINT firstScan = static_cast<UINT>(height - top - rows);
        if (::SetDIBits(screen.get(), bitmap.get(), firstScan, static_cast<UINT>(rows), band.data(), &info,
                        DIB_RGB_COLORS) != rows) {
            platform::ThrowLastError(cannotCopy);
        }
    }
    return bitmap;
}

} // namespace

PictureFormat PictureFormatOf(std::wstring_view path) {
    const std::size_t dot = path.find_last_of(L".\\/:");
    if (dot == std::wstring_view::npos || path[dot] != L'.') {
        return PictureFormat::Other;
    }
    std::wstring extension(path.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(), [](wchar_t c) {
        return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    });
    if (extension == L".png") {
        return PictureFormat::Png;
    }
    if (extension == L".jpg") {
        return PictureFormat::Jpeg;
    }
    return PictureFormat::Other;
}

bool CopyPictureToClipboard(HWND owner, const std::wstring& path) {
    const PictureFormat format = PictureFormatOf(path);
    if (format == PictureFormat::Other) {
        return false;
    }
    const std::wstring cannotCopy = std::wstring(kCannotCopy) + L"\r\n" + path;
    platform::UniqueBitmap bitmap;
    {
        const std::vector<std::uint8_t> bytes = ReadPictureFile(path);
        image::Image picture;
        try {
            picture = format == PictureFormat::Png ? image::DecodePng(bytes) : image::DecodeJpeg(bytes);
        } catch (const image::CodecError&) {
            throw platform::UserError(cannotCopy + L"\r\n" + image::UndecodableReason(bytes));
        }
        bitmap = MakeBitmap(picture, cannotCopy);
    }
    // Open for exactly as long as it takes to replace the content.
    platform::ClipboardOwner::Open(owner).PutBitmap(std::move(bitmap), cannotCopy);
    return true;
}

} // namespace mirulo::library
