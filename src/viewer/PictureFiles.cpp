#include "viewer/PictureFiles.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "library/PictureFolder.h"
#include "platform/Handles.h"
#include "platform/SystemError.h"

namespace mirulo::viewer {
namespace {

[[noreturn]] void ThrowCannotRead(const std::wstring& path, DWORD code) {
    throw platform::UserError(L"画像ファイルを読み込めません\r\n" + path + L"\r\n" + platform::SystemMessage(code));
}

} // namespace

bool FileExists(const std::wstring& path) {
    // A folder named like a picture is listed too, but it is no file to show.
    const DWORD attributes = ::GetFileAttributesW(library::ExtendedLengthPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path) {
    platform::UniqueKernelHandle file(::CreateFileW(library::ExtendedLengthPath(path).c_str(), GENERIC_READ,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        ThrowCannotRead(path, ::GetLastError());
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) {
        ThrowCannotRead(path, ::GetLastError());
    }
    // Far beyond any picture the readers accept; refused before allocating.
    if (size.QuadPart > (std::int64_t{1} << 32)) {
        ThrowCannotRead(path, ERROR_FILE_TOO_LARGE);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 30));
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, piece, &read, nullptr)) {
            ThrowCannotRead(path, ::GetLastError());
        }
        if (read == 0) {
            break; // the file became shorter while being read; the decoder reports what is missing
        }
        done += read;
    }
    bytes.resize(done);
    return bytes;
}

image::Image DecodePicture(const std::vector<std::uint8_t>& bytes) {
    static constexpr std::uint8_t kPngStart[] = {0x89, 'P', 'N', 'G'};
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), kPngStart, 4) == 0) {
        return image::DecodePng(bytes);
    }
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
        return image::DecodeJpeg(bytes);
    }
    throw image::CodecError("この画像形式は表示できません (PNG または JPEG ではありません)");
}

std::wstring UndecodableReason(const std::vector<std::uint8_t>& bytes) {
    static constexpr std::uint8_t kPngStart[] = {0x89, 'P', 'N', 'G'};
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), kPngStart, 4) == 0) {
        return L"PNG 画像として読めません。ファイルが壊れているか、途中で切れています。";
    }
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
        return L"JPEG 画像として読めません。ファイルが壊れているか、途中で切れています。";
    }
    return L"PNG または JPEG の画像ではありません。";
}

image::Image ReadPicture(const std::wstring& path, std::wstring_view headline) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    try {
        return DecodePicture(bytes);
    } catch (const image::CodecError&) {
        throw platform::UserError(std::wstring(headline) + L"\r\n" + path + L"\r\n" + UndecodableReason(bytes));
    }
}

} // namespace mirulo::viewer
