#pragma once
// The sound tree on disk: where the category folders are, the one-level search
// of a folder, and the sound list built from the ticked categories.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "sound/SoundCategories.h"
#include "sound/SoundList.h"

namespace mirulo::sound {

// The folder of an executable, with its closing backslash.
std::wstring ExecutableFolder(std::wstring_view executablePath);

// "<folder of the executable>mp3", as the user opens it.
std::wstring SoundTreePath(std::wstring_view executablePath);

// "<folder of the executable>mp3\<category>\".
std::wstring CategoryFolder(std::wstring_view executablePath, std::size_t category);

// Appends the full path of every entry of searchDir that matches the pattern
// (the system's matching, which ignores letter case), whatever its attributes:
// hidden and system files, and sub-folders with a matching name, too. The
// search stays in that one folder and skips "." and "..". Returns how many it
// appended; a folder that is missing or cannot be read adds nothing.
int FileSearchMP3(std::wstring_view searchDir, std::wstring_view searchName,
                  std::vector<std::wstring>& paths);

// True when the path names an existing folder.
bool IsSoundFolder(std::wstring_view path);

// The sounds of the ticked categories, in list order: sorted by full path in
// the user locale's case-sensitive collation (CompareStringW with the user's
// default locale and no flags), which groups them by category folder.
SoundList BuildSoundList(std::wstring_view executablePath, const std::array<bool, kCategoryCount>& ticked);

} // namespace mirulo::sound
