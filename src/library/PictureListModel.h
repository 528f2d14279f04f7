#pragma once
// The rules of the main page's picture list that do not depend on the list box:
// how a picture moved to the recycle bin is marked until the next refresh, and
// which entry a reload selects again.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirulo::library {

// An entry "[ゴミ箱]" + file name stands for a picture moved to the recycle bin.
inline constexpr std::wstring_view kTrashMark = L"[ゴミ箱]";

bool IsTrashMarked(std::wstring_view entry);

// The entry to select again after the list is read anew, given the entries
// (newest first) and the selected index: the selected entry, or when it is
// marked the nearest unmarked entry above it, or the top entry when every entry
// up to the selection is marked. An index past the end counts as the last entry.
// Nothing when nothing is selected or the list is empty.
std::optional<std::wstring> EntryToReselect(const std::vector<std::wstring>& entries, int selectedIndex);

} // namespace mirulo::library
