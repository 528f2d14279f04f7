#include "platform/FileWrites.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/Handles.h"
#include "platform/SystemError.h"

namespace mirulo::platform {
namespace {

// Below this length every Win32 file call takes the path as it is. The limit is
// MAX_PATH less room for an 8.3 name, the limit CreateDirectoryW applies, so a
// folder path and the names appended to it switch form together.
constexpr std::size_t kPlainPathLimit = MAX_PATH - 12;

// Largest piece handed to one WriteFile call (its length is a DWORD).
constexpr std::size_t kWriteChunk = std::size_t{1} << 30;

std::function<void(const std::wstring&)>& BeforeRenameHook() {
    static std::function<void(const std::wstring&)> hook;
    return hook;
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::wstring FullPathName(const std::wstring& path) {
    std::wstring full(path.size() + MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            return {};
        }
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length); // too small: length is the size needed, with the NUL
    }
}

// A temporary file left by a crash, perhaps made read-only by hand, must not make
// the next write fail.
void RemoveLeftover(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetFileAttributesW(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
    ::DeleteFileW(path.c_str());
}

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

std::wstring ExtendedLengthPath(std::wstring_view path) {
    std::wstring original(path);
    if (path.size() < kPlainPathLimit || StartsWith(path, LR"(\\?\)") || StartsWith(path, LR"(\\.\)")) {
        return original;
    }
    const std::wstring full = FullPathName(original);
    if (StartsWith(full, LR"(\\)")) {
        return LR"(\\?\UNC\)" + full.substr(2);
    }
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') {
        return LR"(\\?\)" + full;
    }
    return original;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(ExtendedLengthPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool PathExists(const std::wstring& path) {
    return ::GetFileAttributesW(ExtendedLengthPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::uint32_t RenameReplacing(const std::wstring& from, const std::wstring& to) {
    if (!::MoveFileExW(ExtendedLengthPath(from).c_str(), ExtendedLengthPath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return ::GetLastError();
    }
    return ERROR_SUCCESS;
}

std::uint32_t ReplaceFileAtomically(const std::wstring& target, const std::wstring& temporary,
                                    std::span<const std::uint8_t> bytes, std::uint32_t keptAttributes) {
    const std::wstring targetPath = ExtendedLengthPath(target);
    const std::wstring temporaryPath = ExtendedLengthPath(temporary);

    // Windows refuses to rename over a read-only file, but not every file system
    // layer does; a file the user protected must never be replaced.
    const DWORD existing = ::GetFileAttributesW(targetPath.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
        return ERROR_ACCESS_DENIED;
    }

    RemoveLeftover(temporaryPath);
    DWORD error = ERROR_SUCCESS;
    {
        UniqueKernelHandle file(::CreateFileW(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return ::GetLastError();
        }
        error = WriteAndFlush(file.get(), bytes);
    } // closed before the rename, and before the delete on failure
    if (error == ERROR_SUCCESS && keptAttributes != 0 &&
        !::SetFileAttributesW(temporaryPath.c_str(), keptAttributes)) {
        error = ::GetLastError();
    }
    if (error == ERROR_SUCCESS) {
        if (const auto& hook = BeforeRenameHook()) {
            hook(target);
        }
        error = RenameReplacing(temporaryPath, targetPath);
    }
    if (error != ERROR_SUCCESS) {
        ::DeleteFileW(temporaryPath.c_str());
    }
    return error;
}

void SetBeforeRenameHook(std::function<void(const std::wstring& target)> hook) {
    BeforeRenameHook() = std::move(hook);
}

void ReplaceFileOrThrow(const std::wstring& target, const std::wstring& temporary,
                        std::span<const std::uint8_t> bytes, std::wstring_view headline) {
    const std::uint32_t error = ReplaceFileAtomically(target, temporary, bytes);
    if (error != ERROR_SUCCESS) {
        throw UserError(std::wstring(headline) + L"\r\n" + target + L"\r\n" + SystemMessage(error));
    }
}

} // namespace mirulo::platform
