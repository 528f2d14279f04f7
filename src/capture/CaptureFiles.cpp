#include "capture/CaptureFiles.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <optional>

#include "platform/Handles.h"
#include "platform/SystemError.h"

namespace mirulo::capture {
namespace {

// Largest piece handed to one WriteFile call (its length is a DWORD).
constexpr std::size_t kWriteChunk = std::size_t{1} << 30;

[[noreturn]] void ThrowCannotSave(const std::wstring& path, DWORD code) {
    throw platform::UserError(L"画像ファイルを保存できません\r\n" + path + L"\r\n" +
                              platform::SystemMessage(code));
}

std::wstring FolderPart(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

// A name nobody else uses: the process id, the tick count and a counter, with
// CREATE_NEW refusing any leftover that happens to match.
struct TemporaryFile {
    std::wstring path;
    platform::UniqueKernelHandle handle;
};

std::optional<TemporaryFile> CreateTemporaryBeside(const std::wstring& target, DWORD& error) {
    static std::atomic<unsigned> counter{0};
    const std::wstring folder = FolderPart(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        TemporaryFile temporary;
        temporary.path = folder + L".~mirulo-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                         std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(counter++) + L".tmp";
        temporary.handle.reset(::CreateFileW(temporary.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (temporary.handle) {
            return temporary;
        }
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The error code of the first failing step, or ERROR_SUCCESS.
DWORD WriteAndFlush(HANDLE file, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min(bytes.size(), kWriteChunk));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), piece, &written, nullptr)) {
            return ::GetLastError();
        }
        if (written == 0) {
            return ERROR_DISK_FULL;
        }
        bytes = bytes.subspan(written);
    }
    if (!::FlushFileBuffers(file)) {
        return ::GetLastError();
    }
    return ERROR_SUCCESS;
}

} // namespace

std::wstring CaptureFilePath(std::wstring_view saveFolder, const platform::LocalTime& now,
                             std::wstring_view code, ImageFormat format) {
    const std::u16string name = CaptureFileName(
        now, std::u16string_view(reinterpret_cast<const char16_t*>(code.data()), code.size()), format);
    std::wstring path(saveFolder);
    path += L'\\';
    path.append(name.begin(), name.end());
    return path;
}

void WriteFileReplacing(const std::wstring& path, std::span<const std::uint8_t> bytes) {
    // Windows refuses to rename over a read-only file, but not every file system
    // layer does; a picture the user protected must never be replaced.
    const DWORD existing = ::GetFileAttributesW(path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
        ThrowCannotSave(path, ERROR_ACCESS_DENIED);
    }
    DWORD error = ERROR_SUCCESS;
    std::optional<TemporaryFile> temporary = CreateTemporaryBeside(path, error);
    if (!temporary) {
        ThrowCannotSave(path, error);
    }
    error = WriteAndFlush(temporary->handle.get(), bytes);
    // Closed before the rename, and before the delete on failure.
    temporary->handle.reset();
    if (error == ERROR_SUCCESS && !::MoveFileExW(temporary->path.c_str(), path.c_str(),
                                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ::GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        ::DeleteFileW(temporary->path.c_str());
        ThrowCannotSave(path, error);
    }
}

} // namespace mirulo::capture
