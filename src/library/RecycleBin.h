#pragma once
// Pictures to the recycle bin, never deleted outright. The shell asks the user
// before it moves anything and may be declined, and a file in use stays where it
// is, so each call says whether the files are really gone. Only files are
// moved: a folder named like a picture never goes, with everything in it.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace mirulo::library {

// Every path of fileList to the recycle bin in one shell operation; dlg shows
// the shell's progress window. True when none of the files is left in its
// place afterwards (also for an empty list, which does nothing). A list that
// names anything but files is not handed to the shell at all.
bool SendToRecycleBin2(HWND owner, const std::vector<std::wstring>& fileList, bool dlg);

// One file; progress false hides the progress window. True when the file is gone.
bool SendFileToRecycleBin(HWND owner, const std::wstring& path, bool progress);

// True when nothing is at the path any more (not merely unreadable).
bool IsGone(const std::wstring& path);

// True when the path names a file, not a folder.
bool IsFile(const std::wstring& path);

// Why the recycle bin cannot take the file now, as a system error code, or
// ERROR_SUCCESS when nothing stands in its way that can be seen beforehand: a
// program holds it open without sharing its removal (ERROR_SHARING_VIOLATION),
// it may not be removed (ERROR_ACCESS_DENIED), or its full path is too long
// for the shell (ERROR_FILENAME_EXCED_RANGE). Asked before the shell is, so
// that the shell never gets to offer to delete the file outright instead.
std::uint32_t WhyTheRecycleBinCannotTake(const std::wstring& path);

} // namespace mirulo::library
