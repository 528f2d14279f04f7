#include "library/PictureFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "library/LocaleNumbers.h"
#include "platform/Handles.h"
#include "platform/Wide.h"
#include "support/TempFolder.h"

namespace mirulo::library {
namespace {

using platform::Narrow;
using testkit::TempFolder;

constexpr std::int64_t kGiB = 1'073'741'824;

// Test helpers take paths in the "\\?\" form themselves, independently of the
// code under test, so that folders beyond MAX_PATH can be made and removed.
std::wstring Raw(const std::wstring& path) {
    return LR"(\\?\)" + path;
}

void MakeFile(const std::wstring& path, std::int64_t size = 0, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    platform::UniqueKernelHandle file(::CreateFileW(Raw(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "cannot create " << Narrow(path);
    if (size > 0) {
        // Growing with SetEndOfFile writes nothing: the file system keeps it sparse.
        LARGE_INTEGER end{};
        end.QuadPart = size;
        ASSERT_TRUE(::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::SetEndOfFile(file.get())) << "cannot size " << Narrow(path);
    }
    file.reset();
    if (attributes != FILE_ATTRIBUTE_NORMAL) {
        ASSERT_TRUE(::SetFileAttributesW(Raw(path).c_str(), attributes));
    }
}

void MakeFolder(const std::wstring& path) {
    ASSERT_TRUE(::CreateDirectoryW(Raw(path).c_str(), nullptr)) << "cannot create " << Narrow(path);
}

// A temporary folder that its own test empties completely, long paths included.
class LongTempFolder {
public:
    LongTempFolder() = default;
    LongTempFolder(const LongTempFolder&) = delete;
    LongTempFolder& operator=(const LongTempFolder&) = delete;
    ~LongTempFolder() { testkit::RemoveFolderTree(temp_.path()); }
    const std::wstring& path() const { return temp_.path(); }
    std::wstring operator/(const std::wstring& name) const { return temp_ / name; }

private:
    TempFolder temp_{L"mirulo-library"};
};

// A folder path well beyond MAX_PATH below base, made one level at a time.
std::wstring MakeDeepFolder(const std::wstring& base) {
    std::wstring path = base;
    for (int level = 0; path.size() <= 2 * MAX_PATH; ++level) {
        path += L"\\" + std::to_wstring(level) + L"_とても長いフォルダの名前_a-rather-long-folder-name-level";
        MakeFolder(path);
    }
    return path;
}

TEST(IsFolder, TrueOnlyForExistingFolders) {
    LongTempFolder temp;
    MakeFile(temp / L"picture.png");
    const std::wstring deep = MakeDeepFolder(temp.path());
    MakeFile(deep + L"\\deep.png");
    struct Case {
        const char* what;
        std::wstring path;
        bool expected;
    } const cases[] = {
        {"a folder", temp.path(), true},
        {"a folder with a trailing backslash", temp.path() + L"\\", true},
        {"a file", temp / L"picture.png", false},
        {"a missing path", temp / L"missing", false},
        {"an empty path", L"", false},
        {"a folder beyond MAX_PATH", deep, true},
        {"a file beyond MAX_PATH", deep + L"\\deep.png", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsFolder(c.path), c.expected) << c.what;
    }
}

TEST(PicturePath, AddsOneBackslashUnlessTheFolderEndsInOne) {
    EXPECT_EQ(PicturePath(L"C:\\pics", L"a.png"), L"C:\\pics\\a.png");
    EXPECT_EQ(PicturePath(L"C:\\pics\\", L"a.png"), L"C:\\pics\\a.png");
    EXPECT_EQ(PicturePath(L"C:\\", L"a.png"), L"C:\\a.png");
    EXPECT_EQ(PicturePath(L"", L"a.png"), L"\\a.png");
}

TEST(ExtendedLengthPath, PrefixesOnlyLongAbsolutePaths) {
    const std::wstring tail(300, L'x');
    struct Case {
        const char* what;
        std::wstring path;
        std::wstring expected;
    } const cases[] = {
        {"short paths stay", L"C:\\pics\\a.png", L"C:\\pics\\a.png"},
        {"long drive path", L"C:\\pics\\" + tail, L"\\\\?\\C:\\pics\\" + tail},
        {"long UNC path", L"\\\\server\\share\\" + tail, L"\\\\?\\UNC\\server\\share\\" + tail},
        {"already extended", L"\\\\?\\C:\\" + tail, L"\\\\?\\C:\\" + tail},
        {"dots and slashes are resolved first", L"C:/pics/old/../" + tail, L"\\\\?\\C:\\pics\\" + tail},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtendedLengthPath(c.path), c.expected) << c.what;
    }
}

TEST(FileSearch, TakesEveryMatchWhateverItsAttributesAndAppends) {
    LongTempFolder temp;
    MakeFile(temp / L"plain.png", 100);
    MakeFile(temp / L"UPPER.PNG", 20);
    MakeFile(temp / L"hidden.png", 3, FILE_ATTRIBUTE_HIDDEN);
    MakeFile(temp / L"system.png", 4, FILE_ATTRIBUTE_SYSTEM);
    MakeFile(temp / L"readonly.png", 5, FILE_ATTRIBUTE_READONLY);
    MakeFolder(temp / L"folder.png");
    MakeFile(temp / L"folder.png\\inside.png", 1000);
    MakeFile(temp / L"other.jpeg", 7);
    MakeFile(temp / L"other.bmp", 7);
    MakeFile(temp / L"renamed.png.old", 7);

    std::vector<std::wstring> names = {L"earlier"};
    std::int64_t total = 10'000;
    EXPECT_EQ(FileSearch(temp.path(), L"*.png", names, total), 6);
    std::sort(names.begin() + 1, names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"earlier", L"UPPER.PNG", L"folder.png", L"hidden.png",
                                                L"plain.png", L"readonly.png", L"system.png"}));
    // The sub-folder adds nothing, and nothing inside it is seen.
    EXPECT_EQ(total, 10'000 + 100 + 20 + 3 + 4 + 5);
}

TEST(FileSearch, SkipsDotEntries) {
    LongTempFolder temp;
    MakeFile(temp / L"a.png");
    std::vector<std::wstring> names;
    std::int64_t total = 0;
    EXPECT_EQ(FileSearch(temp.path(), L"*", names, total), 1);
    EXPECT_EQ(names, std::vector<std::wstring>{L"a.png"});
}

TEST(FileSearch, MissingOrVanishedFolderAddsNothing) {
    LongTempFolder temp;
    const std::wstring folder = temp / L"gone";
    MakeFolder(folder);
    MakeFile(folder + L"\\a.png", 9);
    testkit::RemoveFolderTree(folder);
    std::vector<std::wstring> names = {L"kept"};
    std::int64_t total = 5;
    EXPECT_EQ(FileSearch(folder, L"*.png", names, total), 0);
    EXPECT_EQ(names, std::vector<std::wstring>{L"kept"});
    EXPECT_EQ(total, 5);
    const PictureListing listing = ListPictures(folder);
    EXPECT_TRUE(listing.names.empty());
    EXPECT_EQ(listing.totalSize, 0);
}

TEST(ListPictures, EmptyFolderGivesNothing) {
    LongTempFolder temp;
    const PictureListing listing = ListPictures(temp.path());
    EXPECT_TRUE(listing.names.empty());
    EXPECT_EQ(listing.totalSize, 0);
    EXPECT_EQ(FolderStatusText(listing.names.size(), listing.totalSize),
              L"(0枚、画像サイズ合計0" + std::wstring(1, UserNumberSeparators().decimal) + L"000MB)");
}

TEST(ListPictures, InterleavesPngAndJpgOldestFirst) {
    LongTempFolder temp;
    const std::vector<std::wstring> chronological = {
        L"20231231_235959_999_指T.png", L"20240101_000000_000_固B.jpg", L"20240315_142530_045_固K.png",
        L"20240315_142530_046_全B.jpg", L"20240315_142531_000_全K.png"};
    for (auto it = chronological.rbegin(); it != chronological.rend(); ++it) {
        MakeFile(temp / *it, 10);
    }
    const PictureListing listing = ListPictures(temp.path());
    EXPECT_EQ(listing.names, chronological);
    EXPECT_EQ(listing.totalSize, 50);
}

TEST(ListPictures, KeepsJapaneseAndSupplementaryNamesIntact) {
    LongTempFolder temp;
    // U+1F600 and U+20B9F lie outside the BMP: each is a surrogate pair.
    const std::vector<std::wstring> names = {L"写真_固K.png", L"\U0001F600_smile.png", L"\U00020B9F_叱.jpg",
                                             L"ｶﾀｶﾅ.png"};
    for (const auto& name : names) {
        MakeFile(temp / name, 1);
    }
    PictureListing listing = ListPictures(temp.path());
    ASSERT_EQ(listing.names.size(), names.size());
    for (const auto& name : names) {
        EXPECT_NE(std::find(listing.names.begin(), listing.names.end(), name), listing.names.end())
            << Narrow(name);
        EXPECT_TRUE(IsFolder(temp.path()) &&
                    ::GetFileAttributesW(PicturePath(temp.path(), name).c_str()) != INVALID_FILE_ATTRIBUTES)
            << Narrow(name) << " does not lead back to its file";
    }
}

TEST(ListPictures, ListsAFolderBeyondMaxPath) {
    LongTempFolder temp;
    const std::wstring deep = MakeDeepFolder(temp.path());
    ASSERT_GT(deep.size(), static_cast<std::size_t>(MAX_PATH));
    MakeFile(deep + L"\\20240315_142530_045_固K.png", 300);
    MakeFile(deep + L"\\20240315_142530_046_固K.jpg", 400);
    const PictureListing listing = ListPictures(deep);
    EXPECT_EQ(listing.names,
              (std::vector<std::wstring>{L"20240315_142530_045_固K.png", L"20240315_142530_046_固K.jpg"}));
    EXPECT_EQ(listing.totalSize, 700);
}

TEST(ListPictures, CountsTotalsAboveFourGibibytesInFull) {
    LongTempFolder temp;
    MakeFile(temp / L"a.png", 3 * kGiB);
    MakeFile(temp / L"b.jpg", 2 * kGiB + 1521);
    MakeFile(temp / L"c.png", 4 * kGiB - 1);
    const PictureListing listing = ListPictures(temp.path());
    ASSERT_EQ(listing.names.size(), 3u);
    EXPECT_EQ(listing.totalSize, 9 * kGiB + 1520);
    const NumberSeparators separators = UserNumberSeparators();
    ASSERT_NE(separators.thousands, L'\0');
    ASSERT_NE(separators.decimal, L'\0');
    // 9 GiB + 1520 B = 9216.00145 MB -> 9216.0014 -> 9216.001.
    EXPECT_EQ(FolderStatusText(listing.names.size(), listing.totalSize),
              std::wstring(L"(3枚、画像サイズ合計9") + separators.thousands + L"216" + separators.decimal +
                  L"001MB)");
}

int Collate(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringW(LOCALE_USER_DEFAULT, 0, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                            static_cast<int>(b.size()));
}

void ExpectOrderedAsCompareStringOrders(const std::vector<std::wstring>& names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        for (std::size_t j = i + 1; j < names.size(); ++j) {
            ASSERT_NE(Collate(names[i], names[j]), CSTR_GREATER_THAN)
                << Narrow(names[i]) << " is sorted before " << Narrow(names[j]);
        }
    }
}

TEST(SortByUserCollation, OrdersAsCompareStringWDoes) {
    // Case, word-sort punctuation, digits, widths, kana, accents and surrogates:
    // the places where a byte order and the locale's order part ways.
    std::vector<std::wstring> names = {L"b.png",
                                       L"B.png",
                                       L"a.png",
                                       L"A.png",
                                       L"co-op.png",
                                       L"coop.png",
                                       L"co_op.png",
                                       L"it's.png",
                                       L"its.png",
                                       L"10.png",
                                       L"9.png",
                                       L"０９.png",
                                       L"Ａ.png",
                                       L"ａ.png",
                                       L"é.png",
                                       L"e.png",
                                       L"f.png",
                                       L"あ.png",
                                       L"ア.png",
                                       L"ｱ.png",
                                       L"漢.png",
                                       L"\U0001F600.png",
                                       L"\U00020B9F.png",
                                       L" space.png",
                                       L"~.png",
                                       L"z.png",
                                       L"Z.png",
                                       L"20240315_142530_045_固K.png",
                                       L"20240315_142530_045_全K.png",
                                       L"20240315_142530_045_指K.png",
                                       L"20240315_142530_045_固K.jpg"};
    std::mt19937 random(7);
    for (int round = 0; round < 5; ++round) {
        std::shuffle(names.begin(), names.end(), random);
        std::vector<std::wstring> sorted = names;
        SortByUserCollation(sorted);
        ExpectOrderedAsCompareStringOrders(sorted);
    }
}

TEST(SortByUserCollation, OrdersRandomMixedNamesAsCompareStringWDoes) {
    const std::vector<std::wstring> alphabet = {L"a",  L"A", L"b",  L"B",          L"-",  L"'",  L"_", L"0",
                                                L"1",  L"9", L"あ", L"ア",         L"ｱ",  L"漢", L"é", L"e",
                                                L"Ｅ", L" ", L".",  L"\U0001F600", L"固", L"全", L"指"};
    std::mt19937 random(11);
    std::vector<std::wstring> names;
    for (int i = 0; i < 400; ++i) {
        std::wstring name;
        const int length = 1 + static_cast<int>(random() % 8);
        for (int k = 0; k < length; ++k) {
            name += alphabet[random() % alphabet.size()];
        }
        names.push_back(name + L".png");
    }
    SortByUserCollation(names);
    ExpectOrderedAsCompareStringOrders(names);
}

} // namespace
} // namespace mirulo::library
