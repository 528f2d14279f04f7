#pragma once
// The sound list as values: full paths in list order and the names the list box
// shows, index for index, and the choice of the entry a stored name selects.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mirulo::sound {

struct SoundList {
    std::vector<std::wstring> paths; // full paths, in list order
    std::vector<std::wstring> names; // the file name of each path, for the list box
};

// Puts the paths in list order. collatesBefore is the user locale's order; paths
// it holds equal (different texts can be) still get one fixed order, so the same
// folders always give the same list.
using CollationLess = std::function<bool(const std::wstring&, const std::wstring&)>;
SoundList MakeSoundList(std::vector<std::wstring> paths, const CollationLess& collatesBefore);

// The entry a stored SoundName selects: -1 for an empty list; otherwise the last
// entry whose name equals the file-name part of storedPath exactly (a file of
// the same name in several categories gives the one latest in the list, whatever
// folder was stored), or entry 0 when none does.
int StoredSoundIndex(const std::vector<std::wstring>& names, std::wstring_view storedPath);

} // namespace mirulo::sound
