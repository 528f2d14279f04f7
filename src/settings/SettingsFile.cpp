#include "settings/SettingsFile.h"

#include <windows.h>

#include <algorithm>
#include <span>

#include "platform/FileWrites.h"
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

// Another program holding the file open without delete sharing makes the swap
// fail; finding that out before anything is written keeps the folder as it was.
void RequireReplaceable(const std::wstring& path) {
    UniqueKernelHandle probe(::CreateFileW(platform::ExtendedLengthPath(path).c_str(), DELETE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe) {
        Fail(Reason::CannotWrite, kCannotWrite, path, ::GetLastError());
    }
}

// What a save writes is one [System] section and perhaps sections of the user's
// own, each closed by an empty line; a temporary file cut short by a crash is
// missing that end or the keys every save writes.
bool IsWholeSettingsFile(const std::string& bytes) {
    constexpr std::string_view kEnd = "\r\n\r\n";
    if (bytes.size() < kEnd.size() || bytes.compare(bytes.size() - kEnd.size(), kEnd.size(), kEnd) != 0 ||
        bytes.find('\0') != std::string::npos) {
        return false;
    }
    try {
        const IniDocument document = IniDocument::Parse(bytes);
        return document.FindValue("System", "Top170") && document.FindValue("System", "cb_IllustNotShow");
    } catch (const IniEncodingError&) {
        return false;
    }
}

// A save ended between writing the temporary file and renaming it, with no
// settings file left (the first save, or a two-step replace of an older
// version): the complete new content is the user's settings.
void AdoptWholeTemporary(const std::wstring& path) {
    const std::wstring temporary = SettingsFile::TemporaryPathFor(path);
    UniqueKernelHandle file(::CreateFileW(platform::ExtendedLengthPath(temporary).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                          nullptr));
    if (!file) {
        return;
    }
    std::string bytes;
    try {
        bytes = ReadWholeFile(temporary, file.get());
    } catch (const SettingsFileError&) {
        return;
    }
    file.reset();
    if (IsWholeSettingsFile(bytes)) {
        // Not replacing: a settings file that appeared meanwhile wins.
        ::MoveFileExW(platform::ExtendedLengthPath(temporary).c_str(),
                      platform::ExtendedLengthPath(path).c_str(), MOVEFILE_WRITE_THROUGH);
    }
}

} // namespace

SettingsFileError::SettingsFileError(Reason reason, std::uint32_t systemError, std::wstring_view message)
    : platform::UserError(message), reason_(reason), systemError_(systemError) {}

bool SettingsFileError::damaged() const noexcept {
    return reason_ == Reason::NotUtf8 ||
           (reason_ == Reason::CannotRead && systemError_ == ERROR_FILE_TOO_LARGE);
}

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
    const auto open = [&path] {
        return UniqueKernelHandle(::CreateFileW(platform::ExtendedLengthPath(path).c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    UniqueKernelHandle file = open();
    if (!file && IsMissing(::GetLastError())) {
        AdoptWholeTemporary(path);
        file = open();
    }
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

    const DWORD attributes = ::GetFileAttributesW(platform::ExtendedLengthPath(path).c_str());
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

    // The user who hid the file wants it to stay hidden.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD kept = attributes != INVALID_FILE_ATTRIBUTES ? attributes & kKept : 0;
    const DWORD error = platform::ReplaceFileAtomically(
        path, TemporaryPathFor(path),
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), kept);
    if (error != ERROR_SUCCESS) {
        Fail(Reason::CannotWrite, kCannotWrite, path, error);
    }
}

std::wstring SettingsFile::MoveAsideUnreadable(const std::wstring& path) {
    for (int attempt = 1;; ++attempt) {
        std::wstring backup = path + L".unreadable";
        if (attempt > 1) {
            backup += L"-" + std::to_wstring(attempt);
        }
        backup += L".bak";
        if (::MoveFileExW(platform::ExtendedLengthPath(path).c_str(),
                          platform::ExtendedLengthPath(backup).c_str(), MOVEFILE_WRITE_THROUGH)) {
            return backup;
        }
        const DWORD error = ::GetLastError();
        if (IsMissing(error)) {
            return {};
        }
        if ((error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) || attempt >= 1000) {
            Fail(Reason::CannotMoveAside, kCannotMoveAside, path, error);
        }
    }
}

} // namespace mirulo::settings
