#pragma once
// Files that appear whole or not at all, and paths beyond MAX_PATH. Every writer
// of the program (settings, pictures, and the copies and batch files to come)
// goes through here, so there is one place that knows how a file is replaced.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace mirulo::platform {

// The form of an absolute path that the file system takes beyond MAX_PATH:
// "\\?\C:\..." or "\\?\UNC\server\share\...", made from the full path name so
// that "." and ".." and forward slashes are resolved first. Short paths,
// relative paths that cannot be resolved and paths already in that form come
// back as they are.
std::wstring ExtendedLengthPath(std::wstring_view path);

// Whether a file is at `path` (a folder is no file); long paths are fine.
bool FileExists(const std::wstring& path);
// Whether a file or a folder is at `path`; long paths are fine.
bool PathExists(const std::wstring& path);

// Replaces `target` with `bytes`: they go to `temporary` (a file beside the
// target, created anew), are flushed to the disk, and the temporary file is
// then renamed over the target in one step (MoveFileExW with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH). A crash at any moment
// leaves either the old file or the new one under the target's name, never a
// mix and never neither. `keptAttributes` (hidden, system, ...) are given to the
// new file. A read-only target is refused (ERROR_ACCESS_DENIED) rather than
// replaced.
//
// Returns ERROR_SUCCESS, or the system's code of the first failing step; the
// target is then as it was and the temporary file is removed.
[[nodiscard]] std::uint32_t ReplaceFileAtomically(const std::wstring& target, const std::wstring& temporary,
                                                  std::span<const std::uint8_t> bytes,
                                                  std::uint32_t keptAttributes = 0);

// ReplaceFileAtomically for a file the user asked for: on failure a
// platform::UserError of three lines, `headline`, the target's path and the
// system's reason.
void ReplaceFileOrThrow(const std::wstring& target, const std::wstring& temporary,
                        std::span<const std::uint8_t> bytes, std::wstring_view headline);

// Renames `from` to `to` in one step, replacing `to`, through to the disk.
[[nodiscard]] std::uint32_t RenameReplacing(const std::wstring& from, const std::wstring& to);

// For the fault-injection tests only: called with the target's path when the
// new content is complete under the temporary name and the rename is next. The
// program itself never sets it.
void SetBeforeRenameHook(std::function<void(const std::wstring& target)> hook);

} // namespace mirulo::platform
