// The sound list's pure parts: the random pick, the entry a stored name
// selects, and the list order with the names the list box shows.
#include <gtest/gtest.h>

#include <cstdint>
#include <cwctype>
#include <string>
#include <vector>

#include "sound/RandomSound.h"
#include "sound/SoundList.h"

using namespace mirulo::sound;

namespace {

TEST(RandomSound, PicksTheScaledEntryOfOneGeneratorStep) {
    struct Case {
        std::uint32_t seed;
        std::uint32_t count;
        int index;
    };
    const Case cases[] = {
        {0x00000000u, 10, 0},                       // the step gives 1: the bottom of the range
        {0x00000001u, 10, 0}, {0xFFFFFFFFu, 10, 9}, // wraps modulo 2^32 to 4160191484: the top entry
        {123456789u, 3, 1},   {0x80000000u, 7, 3},  {0xDEADBEEFu, 1000, 372}, // the product needs all 64 bits
        {0x12345678u, 2, 1},  {5u, 1, 0},                                     // one entry: always that one
        {5u, 0, 0}, // no entries: 0, which selects nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "seed " << c.seed << ", " << c.count << " entries");
        EXPECT_EQ(RandomSoundIndex(c.seed, c.count), c.index);
    }
    EXPECT_EQ(NextSeed(0xFFFFFFFFu), 4160191484u);
}

TEST(RandomSound, StaysInsideTheListForEveryListSize) {
    for (std::uint32_t count : {1u, 2u, 3u, 97u, 65535u, 0x7FFFFFFFu}) {
        for (std::uint32_t seed : {0u, 1u, 0x5A5A5A5Au, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
            const int index = RandomSoundIndex(seed, count);
            EXPECT_GE(index, 0);
            EXPECT_LT(static_cast<std::uint32_t>(index), count);
        }
    }
}

TEST(StoredSound, SelectsTheLastEntryOfTheStoredFileName) {
    const std::vector<std::wstring> names = {L"a.mp3", L"shot.mp3", L"b.mp3", L"shot.mp3", L"Shot.mp3"};
    struct Case {
        const wchar_t* stored;
        int index;
    };
    const Case cases[] = {
        {LR"(C:\Mirulo\mp3\効果音\shot.mp3)", 3},     // the later of two equal names
        {LR"(D:\elsewhere\shot.mp3)", 3},             // the folder plays no part
        {L"shot.mp3", 3},                             // a bare name works too
        {LR"(C:\Mirulo\mp3\お気に入り\Shot.mp3)", 4}, // letter case counts
        {LR"(C:\Mirulo\mp3\効果音\b.mp3)", 2},
        {LR"(C:\Mirulo\mp3\効果音\gone.mp3)", 0}, // nothing equal: the first entry
        {L"", 0},                                 // never stored: the first entry
        {LR"(C:\Mirulo\mp3\効果音\)", 0},         // no file part at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "stored name " << ::testing::PrintToString(std::wstring(c.stored)));
        EXPECT_EQ(StoredSoundIndex(names, c.stored), c.index);
    }
    EXPECT_EQ(StoredSoundIndex({}, L"shot.mp3"), -1) << "an empty list selects nothing";
}

TEST(SoundListOrder, SortsByTheCollationAndNamesEachPath) {
    // A collation unlike the code-unit order: it ignores letter case.
    const auto ignoringCase = [](const std::wstring& a, const std::wstring& b) {
        const auto lower = [](std::wstring s) {
            for (wchar_t& c : s) {
                c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
            }
            return s;
        };
        return lower(a) < lower(b);
    };
    const SoundList list =
        MakeSoundList({LR"(C:\p\mp3\b\Z.mp3)", LR"(C:\p\mp3\a\y.mp3)", LR"(C:\p\mp3\b\a.MP3)",
                       LR"(C:\p\mp3\B\A.mp3)", LR"(C:\p\mp3\b\A.mp3)"},
                      ignoringCase);
    // B\A.mp3, b\A.mp3 and b\a.MP3 differ only in case: the collation holds them
    // equal, and they still come in one fixed order whatever order they came in.
    EXPECT_EQ(list.paths, (std::vector<std::wstring>{LR"(C:\p\mp3\a\y.mp3)", LR"(C:\p\mp3\B\A.mp3)",
                                                     LR"(C:\p\mp3\b\A.mp3)", LR"(C:\p\mp3\b\a.MP3)",
                                                     LR"(C:\p\mp3\b\Z.mp3)"}));
    EXPECT_EQ(list.names, (std::vector<std::wstring>{L"y.mp3", L"A.mp3", L"A.mp3", L"a.MP3", L"Z.mp3"}));
}

} // namespace
