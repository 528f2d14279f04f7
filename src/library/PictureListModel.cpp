#include "library/PictureListModel.h"

namespace mirulo::library {

bool IsTrashMarked(std::wstring_view entry) {
    return entry.starts_with(kTrashMark);
}

std::optional<std::wstring> EntryToReselect(const std::vector<std::wstring>& entries, int selectedIndex) {
    const int count = static_cast<int>(entries.size());
    const int index = selectedIndex >= count ? count - 1 : selectedIndex;
    if (index < 0) {
        return std::nullopt;
    }
    for (int i = index; i >= 0; --i) {
        if (!IsTrashMarked(entries[static_cast<std::size_t>(i)])) {
            return entries[static_cast<std::size_t>(i)];
        }
    }
    return entries.front();
}

} // namespace mirulo::library
