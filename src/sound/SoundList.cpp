#include "sound/SoundList.h"

#include "platform/Paths.h"

#include <algorithm>

namespace mirulo::sound {

SoundList MakeSoundList(std::vector<std::wstring> paths, const CollationLess& collatesBefore) {
    std::sort(paths.begin(), paths.end(), [&](const std::wstring& a, const std::wstring& b) {
        if (collatesBefore(a, b)) {
            return true;
        }
        if (collatesBefore(b, a)) {
            return false;
        }
        return a < b;
    });
    SoundList list;
    list.names.reserve(paths.size());
    for (const std::wstring& path : paths) {
        list.names.push_back(platform::FileNamePart(path));
    }
    list.paths = std::move(paths);
    return list;
}

int StoredSoundIndex(const std::vector<std::wstring>& names, std::wstring_view storedPath) {
    if (names.empty()) {
        return -1;
    }
    const std::wstring wanted = platform::FileNamePart(storedPath);
    int selected = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == wanted) {
            selected = static_cast<int>(i);
        }
    }
    return selected;
}

} // namespace mirulo::sound
