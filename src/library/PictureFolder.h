#pragma once
// The save folder seen as a list of pictures: the folder test, the full path of a
// list entry, the one-level search and the sorted listing the picture list shows.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileWrites.h"

namespace mirulo::library {

// True when the path's attributes can be read and carry the directory flag. A
// path holding a NUL is never a folder.
bool IsFolder(std::wstring_view path);

// The save folder as the program keeps it: a relative path ("shots", "..\\pics",
// "D:pics") made full against the current folder at this moment, so that the
// folder cannot change under the pictures when the current folder does, and no
// relative picture path ever reaches the shell. Full paths, paths of one
// character or none (never a usable folder) and paths holding a NUL come back
// as they are.
std::wstring AbsoluteFolder(std::wstring_view folder);

// The folder, a backslash unless the folder already ends in one, then the entry.
std::wstring PicturePath(std::wstring_view folder, std::wstring_view entry);

// Shared with every other writer and reader of files.
using platform::ExtendedLengthPath;

// One folder level searched with a wildcard pattern (case-insensitive, the
// platform's matching rules). Every match is taken whatever its attributes --
// hidden, system, read-only files and also a sub-folder whose name matches
// (which adds nothing to the size) -- except "." and "..". Each name is appended
// to names and each size added to totalSize. Returns the number of names added;
// a folder that cannot be listed, or vanishes, contributes what was read so far.
int FileSearch(const std::wstring& searchDir, const std::wstring& searchName,
               std::vector<std::wstring>& names, std::int64_t& totalSize);

struct PictureListing {
    // Ascending in the user locale's case-sensitive collation (the order of
    // CompareStringW with LOCALE_USER_DEFAULT and no flags). The picture list
    // shows them the other way round: it inserts each name, first to last, at
    // the top, so the greatest (newest) name ends on top.
    std::vector<std::wstring> names;
    std::int64_t totalSize = 0;
};

// "*.png" then "*.jpg" in the folder, sorted as above.
PictureListing ListPictures(const std::wstring& folder);

// Sorts names ascending as CompareStringW(LOCALE_USER_DEFAULT, 0, ...) orders
// them; names it finds equal keep no particular order.
void SortByUserCollation(std::vector<std::wstring>& names);

} // namespace mirulo::library
