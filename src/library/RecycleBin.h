#pragma once
// Pictures to the recycle bin, never deleted outright. The shell asks the user
// before it moves anything and may be declined, and a file in use stays where it
// is, so each call says whether the files are really gone.
#include <windows.h>

#include <string>
#include <vector>

namespace mirulo::library {

// Every path of fileList to the recycle bin in one shell operation; dlg shows
// the shell's progress window. True when none of the files is left in its
// place afterwards (also for an empty list, which does nothing).
bool SendToRecycleBin2(HWND owner, const std::vector<std::wstring>& fileList, bool dlg);

// One file; progress false hides the progress window. True when the file is gone.
bool SendFileToRecycleBin(HWND owner, const std::wstring& path, bool progress);

// True when nothing is at the path any more (not merely unreadable).
bool IsGone(const std::wstring& path);

} // namespace mirulo::library
