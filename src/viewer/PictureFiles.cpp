#include "viewer/PictureFiles.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "image/PictureFile.h"
#include "library/PictureFolder.h"
#include "platform/Handles.h"
#include "platform/SystemError.h"

namespace mirulo::viewer {
namespace {

[[noreturn]] void ThrowCannotRead(const std::wstring& path, DWORD code) {
    throw platform::UserError(L"画像ファイルを読み込めません\r\n" + path + L"\r\n" +
                              platform::SystemMessage(code));
}

} // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path) {
    platform::UniqueKernelHandle file(::CreateFileW(library::ExtendedLengthPath(path).c_str(), GENERIC_READ,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                                    nullptr));
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
        const DWORD piece =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 30));
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

image::Image ReadPicture(const std::wstring& path, std::wstring_view headline) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    try {
        return image::DecodePicture(bytes);
    } catch (const image::CodecError&) {
        throw platform::UserError(std::wstring(headline) + L"\r\n" + path + L"\r\n" +
                                  image::UndecodableReason(bytes));
    }
}

} // namespace mirulo::viewer
