#include "sound/SoundFolders.h"

#include <windows.h>

#include "platform/Handles.h"

namespace mirulo::sound {
namespace {

std::wstring WithBackslash(std::wstring_view folder) {
    std::wstring path(folder);
    if (path.empty() || path.back() != L'\\') {
        path.push_back(L'\\');
    }
    return path;
}

bool CollatesBefore(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringW(LOCALE_USER_DEFAULT, 0, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                            static_cast<int>(b.size())) == CSTR_LESS_THAN;
}

} // namespace

std::wstring ExecutableFolder(std::wstring_view executablePath) {
    const std::size_t slash = executablePath.rfind(L'\\');
    return slash == std::wstring_view::npos ? std::wstring()
                                            : std::wstring(executablePath.substr(0, slash + 1));
}

std::wstring SoundTreePath(std::wstring_view executablePath) {
    return ExecutableFolder(executablePath) + kSoundTreeFolder;
}

std::wstring CategoryFolder(std::wstring_view executablePath, std::size_t category) {
    return SoundTreePath(executablePath) + L"\\" + kCategoryFolders.at(category) + L"\\";
}

int FileSearchMP3(std::wstring_view searchDir, std::wstring_view searchName,
                  std::vector<std::wstring>& paths) {
    // Callers pass folders that end in a backslash; one that does not still
    // gives paths with a separator between folder and name.
    const std::wstring folder = WithBackslash(searchDir);
    const std::wstring pattern = folder + std::wstring(searchName);
    WIN32_FIND_DATAW entry{};
    const platform::UniqueFindHandle search(
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
    if (!search) {
        return 0;
    }
    int added = 0;
    do {
        const std::wstring_view name = entry.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        paths.push_back(folder + std::wstring(name));
        ++added;
    } while (::FindNextFileW(search.get(), &entry));
    return added;
}

bool IsSoundFolder(std::wstring_view path) {
    const DWORD attributes = ::GetFileAttributesW(std::wstring(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

SoundList BuildSoundList(std::wstring_view executablePath, const std::array<bool, kCategoryCount>& ticked) {
    std::vector<std::wstring> paths;
    for (std::size_t category = 0; category < kCategoryCount; ++category) {
        if (ticked[category]) {
            FileSearchMP3(CategoryFolder(executablePath, category), kSoundPattern, paths);
        }
    }
    return MakeSoundList(std::move(paths), CollatesBefore);
}

} // namespace mirulo::sound
