// Lists folders of 1,000, 10,000 and 100,000 empty pictures with ListPictures
// and with the simplest code that does the same work (FindFirstFileW and
// FindNextFileW for "*.png" and "*.jpg", then std::sort calling CompareStringW),
// and prints the times, the ratio ours/reference and the growth per tenfold.
//
//   bench_library.exe [--keep]     makes the folders under %TEMP% if missing, and
//                                  removes them at the end unless --keep is given
//   bench_library.exe --names DIR  writes DIR\<count>.names (UTF-8, one name a line)
//   bench_library.exe DIR          lists the folders DIR\<count> made from those
//
// Under Wine every file created in a folder of n files costs a scan of the n
// names, so making 100,000 files takes half an hour there; run-under-wine.sh
// lets Linux create the empty files from the written names instead.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "library/PictureFolder.h"
#include "platform/Handles.h"

namespace {

using mirulo::library::ListPictures;
using mirulo::library::PictureListing;
using mirulo::platform::UniqueFindHandle;
using mirulo::platform::UniqueKernelHandle;

struct Listing {
    std::vector<std::wstring> names;
    std::int64_t totalSize = 0;
};

Listing ReferenceListing(const std::wstring& folder) {
    Listing listing;
    for (const wchar_t* pattern : {L"\\*.png", L"\\*.jpg"}) {
        WIN32_FIND_DATAW entry{};
        UniqueFindHandle search(::FindFirstFileW((folder + pattern).c_str(), &entry));
        if (!search) {
            continue;
        }
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            listing.names.push_back(name);
            listing.totalSize += (static_cast<std::int64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        } while (::FindNextFileW(search.get(), &entry));
    }
    std::sort(listing.names.begin(), listing.names.end(), [](const std::wstring& a, const std::wstring& b) {
        return ::CompareStringW(LOCALE_USER_DEFAULT, 0, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size())) == CSTR_LESS_THAN;
    });
    return listing;
}

std::wstring TempPath() {
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, base);
    return base;
}

// Saved-picture names one capture apart, in a shuffled creation order so the
// directory holds them in no particular order.
std::vector<std::wstring> PictureNames(int count) {
    static const wchar_t* const codes[] = {L"固K", L"指T", L"全B", L"固B", L"指K", L"全K", L"固T"};
    std::vector<std::wstring> names;
    names.reserve(static_cast<std::size_t>(count));
    long long stamp = 0;
    for (int i = 0; i < count; ++i) {
        stamp += 1 + i % 7 * 311;
        const long long ms = stamp % 1000, s = stamp / 1000 % 60, m = stamp / 60'000 % 60,
                        h = stamp / 3'600'000 % 24;
        const long long day = 1 + stamp / 86'400'000 % 28, month = 1 + stamp / (86'400'000LL * 28) % 12;
        wchar_t name[64];
        std::swprintf(name, 64, L"2024%02lld%02lld_%02lld%02lld%02lld_%03lld_%ls.%ls", month, day, h, m, s,
                      ms, codes[i % 7], i % 3 == 2 ? L"jpg" : L"png");
        names.push_back(name);
    }
    std::shuffle(names.begin(), names.end(), std::mt19937(static_cast<unsigned>(count)));
    return names;
}

std::wstring PrepareFolder(int count) {
    const std::wstring folder = TempPath() + L"mirulo-bench-library-" + std::to_wstring(count);
    const std::wstring ready = folder + L"\\ready.txt";
    if (::GetFileAttributesW(ready.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return folder;
    }
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (const auto& name : PictureNames(count)) {
        UniqueKernelHandle file(::CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            std::fprintf(stderr, "cannot create the pictures for %d\n", count);
            std::exit(1);
        }
    }
    UniqueKernelHandle marker(::CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    return folder;
}

void WriteNames(const std::wstring& root, int count) {
    std::string text;
    for (const auto& name : PictureNames(count)) {
        const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, name.c_str(), static_cast<int>(name.size()),
                                                nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<std::size_t>(bytes), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, name.c_str(), static_cast<int>(name.size()), utf8.data(), bytes,
                              nullptr, nullptr);
        text += utf8;
        text.push_back('\n');
    }
    const std::wstring path = root + L"\\" + std::to_wstring(count) + L".names";
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        std::fprintf(stderr, "cannot write %ls\n", path.c_str());
        std::exit(1);
    }
}

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW entry{};
    {
        UniqueFindHandle search(::FindFirstFileW((folder + L"\\*").c_str(), &entry));
        if (search) {
            do {
                const std::wstring name = entry.cFileName;
                if (name != L"." && name != L"..") {
                    ::DeleteFileW((folder + L"\\" + name).c_str());
                }
            } while (::FindNextFileW(search.get(), &entry));
        }
    }
    ::RemoveDirectoryW(folder.c_str());
}

template <typename F> double Milliseconds(F&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::wstring Argument(const char* text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(wide.size() - 1);
    return wide;
}

} // namespace

int main(int argc, char** argv) {
    const int sizes[] = {1'000, 10'000, 100'000};
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--names" && argc > 2) {
        for (const int size : sizes) {
            WriteNames(Argument(argv[2]), size);
        }
        return 0;
    }
    const bool prepared = !first.empty() && first != "--keep";
    const bool keep = prepared || first == "--keep";
    std::printf("%9s %5s %12s %12s %7s %6s\n", "pictures", "runs", "ours ms", "reference ms", "ratio",
                "same");
    double previousOurs = 0, previousReference = 0;
    std::vector<std::string> growth;
    for (const int size : sizes) {
        const std::wstring folder =
            prepared ? Argument(argv[1]) + L"\\" + std::to_wstring(size) : PrepareFolder(size);
        const int runs = size >= 100'000 ? 5 : 11;
        std::vector<double> ours, reference;
        PictureListing ourListing;
        Listing referenceListing;
        ListPictures(folder); // warm the directory cache for both
        for (int run = 0; run < runs; ++run) {
            // Interleaved, so that drift in the machine's speed hits both alike.
            ours.push_back(Milliseconds([&] { ourListing = ListPictures(folder); }));
            reference.push_back(Milliseconds([&] { referenceListing = ReferenceListing(folder); }));
        }
        const bool same = ourListing.names == referenceListing.names &&
                          ourListing.totalSize == referenceListing.totalSize &&
                          ourListing.names.size() == static_cast<std::size_t>(size);
        const double oursMs = Median(ours), referenceMs = Median(reference);
        std::printf("%9d %5d %12.2f %12.2f %7.3f %6s\n", size, runs, oursMs, referenceMs,
                    oursMs / referenceMs, same ? "yes" : "NO");
        if (previousOurs > 0) {
            char line[128];
            std::snprintf(line, sizeof line, "%6d -> %6d: ours x%.1f, reference x%.1f", size / 10, size,
                          oursMs / previousOurs, referenceMs / previousReference);
            growth.push_back(line);
        }
        previousOurs = oursMs;
        previousReference = referenceMs;
        if (!keep) {
            RemoveFolder(folder);
        }
    }
    std::printf("growth per tenfold (linear = x10, n log n = about x13):\n");
    for (const auto& line : growth) {
        std::printf("  %s\n", line.c_str());
    }
    return 0;
}
