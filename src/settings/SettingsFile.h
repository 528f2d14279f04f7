#pragma once
// The settings file on disk: where it lives, reading it whole, and writing it so
// that a crash or a failed write never leaves a half-written or lost file.
//
// Writing goes to a temporary file beside the target (target path + ".tmp"),
// which is flushed to the disk and then renamed over the target in one step
// (platform::ReplaceFileAtomically). A crash before the rename leaves the old
// file in place; if no settings file is there at all (a crash during the very
// first save), Load takes a complete temporary file as the settings file.
//
// A read-only settings file is the user's decision: Save reports it as a failure
// and leaves it alone rather than clearing the attribute.
//
// A file that is not UTF-8 is never written over: Load reports it, and the
// caller may move it aside with MoveAsideUnreadable (keeping the user's bytes
// under a new name) before it saves a new file with the current values. A file
// that only could not be opened or read (another program holds it, say) is not
// damaged and is never moved aside: its content may be perfectly good.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/SystemError.h"
#include "settings/IniDocument.h"

namespace mirulo::settings {

class SettingsFileError : public platform::UserError {
public:
    enum class Reason {
        CannotRead,  // exists but cannot be opened or read
        NotUtf8,     // read, but the bytes are not UTF-8
        CannotWrite, // the new file could not be written; the old one is unchanged
        ReadOnly,    // the user made the file read-only; it is left as it is
        CannotMoveAside,
    };

    SettingsFileError(Reason reason, std::uint32_t systemError, std::wstring_view message);

    Reason reason() const noexcept { return reason_; }
    // GetLastError() of the failed call, 0 when no system call failed.
    std::uint32_t systemError() const noexcept { return systemError_; }
    // The content itself can never be read (not UTF-8, or far too large to be
    // ours), as opposed to a file that could not be opened or read this time.
    bool damaged() const noexcept;

private:
    Reason reason_;
    std::uint32_t systemError_;
};

class SettingsFile {
public:
    // The executable's full path, extension included, followed by "_ユーザー設定.ini".
    static std::wstring PathFor(std::wstring_view executablePath);
    // Where Save puts the new content before swapping it in.
    static std::wstring TemporaryPathFor(std::wstring_view settingsPath);

    // A missing file (or folder) gives an empty document, unless a complete
    // temporary file of an interrupted save is there: it becomes the file. Throws SettingsFileError
    // (CannotRead, NotUtf8) otherwise; the message names the file and carries the
    // system's text for I/O errors.
    static IniDocument Load(const std::wstring& path);

    // Replaces the file with the document's bytes, all or nothing. On failure
    // throws SettingsFileError (CannotWrite, ReadOnly); the old file is then
    // byte-identical and no temporary file is left behind.
    static void Save(const std::wstring& path, const IniDocument& document);

    // Renames the file to the first free name of path + ".unreadable.bak",
    // path + ".unreadable-2.bak", ... and returns that name. Never overwrites an
    // earlier backup. A file that is gone needs no setting aside: the result is
    // then empty. Throws SettingsFileError (CannotMoveAside) on failure.
    static std::wstring MoveAsideUnreadable(const std::wstring& path);
};

// Free-function spelling of SettingsFile::PathFor for callers that only need the name.
inline std::wstring SettingsPathFor(std::wstring_view executablePath) {
    return SettingsFile::PathFor(executablePath);
}

} // namespace mirulo::settings
