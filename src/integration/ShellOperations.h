#pragma once
// Every call the program makes into the Windows shell, one function each, with
// its verb, file, parameters, folder, show command and flags fixed here. Launches
// go through Host so that tests can read them back; none of them is waited for
// or has its result examined.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Host.h"

namespace mirulo::integration {

// A picture with the program associated with its file type.
void OpenWithAssociatedProgram(platform::Host& host, HWND owner, std::wstring_view path);

// A picture in the image editor: editor is "mspaint" or the program the user
// chose; the picture's path goes unquoted as the parameters and the picture's
// folder, with its trailing backslash, is the working folder.
void OpenInEditor(platform::Host& host, HWND owner, std::wstring_view editor, std::wstring_view picturePath);

// A folder in a new Explorer window with the folder tree: explorer.exe with
// the parameters " /n/e,\"<folder>\"".
void OpenFolderInExplorer(platform::Host& host, HWND owner, std::wstring_view folder);

// The recycle bin's shell folder, with no owner window.
void OpenRecycleBin(platform::Host& host);

// A program started as it is, such as the game client.
void StartProgram(platform::Host& host, HWND owner, std::wstring_view path);

// A web page in the user's browser.
void OpenWebPage(platform::Host& host, HWND owner, std::wstring_view address);

// A batch file run with administrator rights and no window. Returns the process
// that runs it, for the caller to close, or nullptr when the shell gave none.
[[nodiscard]] HANDLE RunBatchElevated(platform::Host& host, HWND owner, std::wstring_view batchPath);

struct RecycleResult {
    bool succeeded = false; // the shell reported no error and nothing was cancelled
    bool aborted = false;   // the user cancelled at one of the shell's confirmations
};

// Paths to the recycle bin in one shell operation, with the shell's own
// confirmations; silent hides the progress window. Each path is made full first
// (ShellFullPath): for a relative path the shell ignores the flag that keeps an
// undo and deletes outright. A list with a path that cannot be made full (one
// holding a NUL character would also cut the list short) is refused as a whole.
RecycleResult MoveToRecycleBin(HWND owner, const std::vector<std::wstring>& paths, bool silent);

// The full path the shell's file operation is given for `path` (resolved
// against the current folder, "." and ".." removed); nullopt when there is none
// or when it is MAX_PATH characters or longer, which the shell cannot take.
std::optional<std::wstring> ShellFullPath(std::wstring_view path);

// The file-system path of a special folder given by its CSIDL number (such as
// CSIDL_SYSTEM or CSIDL_LOCAL_APPDATA); empty when the shell has none. Asked
// through Host, so that tests can stand temporary folders in for the machine's.
std::wstring GetSpecialFolderPath(platform::Host& host, HWND owner, int csidl);

// The shell's folder chooser with the given title, opened at `current` when that
// folder exists; nullopt when cancelled.
std::optional<std::wstring> ChooseFolder(platform::Host& host, HWND owner, std::wstring_view title,
                                         std::wstring_view current);

} // namespace mirulo::integration
