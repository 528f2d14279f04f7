#include "library/PictureFolder.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <numeric>

#include "platform/Handles.h"

namespace mirulo::library {
namespace {

void AddSaturating(std::int64_t& total, std::int64_t amount) {
    total = amount > std::numeric_limits<std::int64_t>::max() - total
                ? std::numeric_limits<std::int64_t>::max()
                : total + amount;
}

bool CollatesBefore(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringW(LOCALE_USER_DEFAULT, 0, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                            static_cast<int>(b.size())) == CSTR_LESS_THAN;
}

// The user locale's sort key of a name: comparing two keys byte by byte orders
// the names as CompareStringW with the same locale and flags does. Empty when the
// locale cannot make one.
std::string SortKey(const std::wstring& name) {
    const int length = static_cast<int>(name.size());
    char buffer[512];
    int bytes = ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, name.c_str(), length,
                               reinterpret_cast<LPWSTR>(buffer), static_cast<int>(sizeof buffer));
    if (bytes > 0) {
        return std::string(buffer, static_cast<std::size_t>(bytes));
    }
    bytes = ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, name.c_str(), length, nullptr, 0);
    if (bytes <= 0) {
        return {};
    }
    std::string key(static_cast<std::size_t>(bytes), '\0');
    bytes = ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, name.c_str(), length,
                           reinterpret_cast<LPWSTR>(key.data()), bytes);
    if (bytes <= 0) {
        return {};
    }
    key.resize(static_cast<std::size_t>(bytes));
    return key;
}

} // namespace

bool IsFolder(std::wstring_view path) {
    // A NUL cuts the path short for every system call, which would then test
    // (and list) some other folder than the one the user sees.
    if (path.find(L'\0') != std::wstring_view::npos) {
        return false;
    }
    const std::wstring usable = ExtendedLengthPath(path);
    const DWORD attributes = ::GetFileAttributesW(usable.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring AbsoluteFolder(std::wstring_view folder) {
    std::wstring given(folder);
    if (given.size() <= 1 || given.find(L'\0') != std::wstring::npos) {
        return given;
    }
    const bool full = (given.size() >= 3 && given[1] == L':' && (given[2] == L'\\' || given[2] == L'/')) ||
                      (given[0] == L'\\' && given[1] == L'\\');
    if (full) {
        return given;
    }
    std::wstring resolved(given.size() + MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(resolved.size()), resolved.data(), nullptr);
        if (length == 0) {
            return given;
        }
        if (length < resolved.size()) {
            resolved.resize(length);
            return resolved;
        }
        resolved.resize(length);
    }
}

std::wstring PicturePath(std::wstring_view folder, std::wstring_view entry) {
    std::wstring path(folder);
    if (path.empty() || path.back() != L'\\') {
        path.push_back(L'\\');
    }
    path.append(entry);
    return path;
}

int FileSearch(const std::wstring& searchDir, const std::wstring& searchName,
               std::vector<std::wstring>& names, std::int64_t& totalSize) {
    const std::wstring pattern = ExtendedLengthPath(PicturePath(searchDir, searchName));
    WIN32_FIND_DATAW entry{};
    // Basic information skips the 8.3 names; the large fetch asks the file system
    // for entries in bigger batches. Both only make a big folder quicker.
    const platform::UniqueFindHandle search(::FindFirstFileExW(
        pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) {
        return 0;
    }
    int added = 0;
    do {
        const std::wstring_view name = entry.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        names.emplace_back(name);
        ++added;
        // A matching sub-folder is listed but has no size of its own.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            const std::uint64_t size =
                (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
            AddSaturating(totalSize, static_cast<std::int64_t>(std::min<std::uint64_t>(
                                         size, std::numeric_limits<std::int64_t>::max())));
        }
    } while (::FindNextFileW(search.get(), &entry));
    return added;
}

void SortByUserCollation(std::vector<std::wstring>& names) {
    // Sorting on precomputed sort keys compares bytes instead of asking the
    // locale n log n times, which is what makes a folder of many thousand
    // pictures list quickly. The order is the one CompareStringW gives.
    std::vector<std::string> keys;
    keys.reserve(names.size());
    for (const auto& name : names) {
        keys.push_back(SortKey(name));
        if (keys.back().empty()) {
            std::sort(names.begin(), names.end(), CollatesBefore);
            return;
        }
    }
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int byKey = keys[a].compare(keys[b]);
        // Names the locale holds equal still get one fixed order.
        return byKey != 0 ? byKey < 0 : names[a] < names[b];
    });
    std::vector<std::wstring> sorted;
    sorted.reserve(names.size());
    for (const std::size_t index : order) {
        sorted.push_back(std::move(names[index]));
    }
    names = std::move(sorted);
}

PictureListing ListPictures(const std::wstring& folder) {
    PictureListing listing;
    FileSearch(folder, L"*.png", listing.names, listing.totalSize);
    FileSearch(folder, L"*.jpg", listing.names, listing.totalSize);
    SortByUserCollation(listing.names);
    return listing;
}

} // namespace mirulo::library
