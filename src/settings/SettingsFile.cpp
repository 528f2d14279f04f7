#include "settings/SettingsFile.h"

#include <windows.h>

#include <algorithm>

#include "platform/Handles.h"

namespace mirulo::settings {
namespace {

using platform::UniqueKernelHandle;
using Reason = SettingsFileError::Reason;

// A settings file is a few kilobytes; anything near this size is not ours, and
// reading it whole would only exhaust memory.
constexpr std::uint64_t kLargestReadableFile = 256ull * 1024 * 1024;
constexpr DWORD kChunkBytes = 1024 * 1024;

// What the user reads first; the file's path and the system's text follow.
constexpr std::wstring_view kCannotRead = L"設定ファイルを読み込めません。";
constexpr std::wstring_view kNotUtf8 = L"設定ファイルの文字コードが UTF-8 ではないため読み込めません。";
constexpr std::wstring_view kCannotWrite = L"設定ファイルを保存できません。";
constexpr std::wstring_view kReadOnly = L"設定ファイルが読み取り専用のため保存できません。";
constexpr std::wstring_view kCannotMoveAside = L"読み込めない設定ファイルを別名で残せません。";

std::wstring Describe(std::wstring_view headline, std::wstring_view path, DWORD systemError) {
    std::wstring message(headline);
    message += L"\r\n";
    message += path;
    if (systemError != 0) {
        message += L"\r\n";
        message += platform::SystemMessage(systemError);
    }
    return message;
}

[[noreturn]] void Fail(Reason reason, std::wstring_view headline, std::wstring_view path, DWORD systemError) {
    throw SettingsFileError(reason, systemError, Describe(headline, path, systemError));
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::wstring& path, HANDLE file) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) {
        Fail(Reason::CannotRead, kCannotRead, path, ::GetLastError());
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > kLargestReadableFile) {
        Fail(Reason::CannotRead, kCannotRead, path, ERROR_FILE_TOO_LARGE);
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    // Read to the end rather than trusting the size: another program may still be
    // appending, and a short read must not cut the text.
    std::string chunk(kChunkBytes, '\0');
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file, chunk.data(), kChunkBytes, &read, nullptr)) {
            Fail(Reason::CannotRead, kCannotRead, path, ::GetLastError());
        }
        if (read == 0) {
            return bytes;
        }
        if (bytes.size() + read > kLargestReadableFile) {
            Fail(Reason::CannotRead, kCannotRead, path, ERROR_FILE_TOO_LARGE);
        }
        bytes.append(chunk.data(), read);
    }
}

// A temporary file left by a crash, perhaps made read-only by hand; the next save
// must not fail because of it.
void RemoveStaleTemporary(const std::wstring& temporary) {
    const DWORD attributes = ::GetFileAttributesW(temporary.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetFileAttributesW(temporary.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
    ::DeleteFileW(temporary.c_str());
}

// Another program holding the file open without delete sharing makes the swap
// fail; finding that out before anything is written keeps the folder as it was.
void RequireReplaceable(const std::wstring& path) {
    UniqueKernelHandle probe(::CreateFileW(path.c_str(), DELETE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe) {
        Fail(Reason::CannotWrite, kCannotWrite, path, ::GetLastError());
    }
}

// Writes and flushes the bytes; on failure removes the partial file and throws.
void WriteDurably(const std::wstring& settingsPath, const std::wstring& temporary, std::string_view bytes) {
    DWORD error = 0;
    {
        UniqueKernelHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            Fail(Reason::CannotWrite, kCannotWrite, settingsPath, ::GetLastError());
        }
        while (!bytes.empty() && error == 0) {
            const DWORD toWrite = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kChunkBytes));
            DWORD written = 0;
            if (!::WriteFile(file.get(), bytes.data(), toWrite, &written, nullptr)) {
                error = ::GetLastError();
            } else if (written == 0) {
                error = ERROR_WRITE_FAULT;
            } else {
                bytes.remove_prefix(written);
            }
        }
        if (error == 0 && !::FlushFileBuffers(file.get())) {
            error = ::GetLastError();
        }
    }
    if (error != 0) {
        ::DeleteFileW(temporary.c_str());
        Fail(Reason::CannotWrite, kCannotWrite, settingsPath, error);
    }
}

} // namespace

SettingsFileError::SettingsFileError(Reason reason, std::uint32_t systemError, std::wstring_view message)
    : platform::UserError(message), reason_(reason), systemError_(systemError) {}

std::wstring SettingsFile::PathFor(std::wstring_view executablePath) {
    std::wstring path(executablePath);
    path += L"_ユーザー設定.ini";
    return path;
}

std::wstring SettingsFile::TemporaryPathFor(std::wstring_view settingsPath) {
    std::wstring path(settingsPath);
    path += L".tmp";
    return path;
}

IniDocument SettingsFile::Load(const std::wstring& path) {
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (IsMissing(error)) {
            return IniDocument();
        }
        Fail(Reason::CannotRead, kCannotRead, path, error);
    }
    const std::string bytes = ReadWholeFile(path, file.get());
    try {
        return IniDocument::Parse(bytes);
    } catch (const IniEncodingError&) {
        Fail(Reason::NotUtf8, kNotUtf8, path, 0);
    }
}

void SettingsFile::Save(const std::wstring& path, const IniDocument& document) {
    const std::string bytes = document.Serialize();

    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const DWORD attributesError = attributes == INVALID_FILE_ATTRIBUTES ? ::GetLastError() : 0;
    const bool targetExists = attributes != INVALID_FILE_ATTRIBUTES || !IsMissing(attributesError);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            Fail(Reason::CannotWrite, kCannotWrite, path, ERROR_ACCESS_DENIED);
        }
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            Fail(Reason::ReadOnly, kReadOnly, path, ERROR_ACCESS_DENIED);
        }
    }

    if (attributes != INVALID_FILE_ATTRIBUTES) {
        RequireReplaceable(path);
    }

    const std::wstring temporary = TemporaryPathFor(path);
    RemoveStaleTemporary(temporary);
    WriteDurably(path, temporary, bytes);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // ReplaceFileW merges these on Windows, but not every implementation does;
        // a user who hid the file wants it to stay hidden.
        constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if ((attributes & kKept) != 0) {
            ::SetFileAttributesW(temporary.c_str(), attributes & kKept);
        }
    }

    if (!targetExists) {
        if (!::MoveFileExW(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            const DWORD error = ::GetLastError();
            ::DeleteFileW(temporary.c_str());
            Fail(Reason::CannotWrite, kCannotWrite, path, error);
        }
        return;
    }

    if (::ReplaceFileW(path.c_str(), temporary.c_str(), nullptr,
                       REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr)) {
        return;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT && !Exists(path)) {
        // The old file is already gone and the new content exists only under the
        // temporary name: finish the move, and if even that fails keep the
        // temporary file, the only copy of the settings left.
        if (::MoveFileExW(temporary.c_str(), path.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return;
        }
        Fail(Reason::CannotWrite, kCannotWrite, temporary, ::GetLastError());
    }
    ::DeleteFileW(temporary.c_str());
    Fail(Reason::CannotWrite, kCannotWrite, path, error);
}

std::wstring SettingsFile::MoveAsideUnreadable(const std::wstring& path) {
    for (int attempt = 1;; ++attempt) {
        std::wstring backup = path + L".unreadable";
        if (attempt > 1) {
            backup += L"-" + std::to_wstring(attempt);
        }
        backup += L".bak";
        if (::MoveFileExW(path.c_str(), backup.c_str(), MOVEFILE_WRITE_THROUGH)) {
            return backup;
        }
        const DWORD error = ::GetLastError();
        if ((error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) || attempt >= 1000) {
            Fail(Reason::CannotMoveAside, kCannotMoveAside, path, error);
        }
    }
}

} // namespace mirulo::settings
