#include "capture/HotKeyTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mirulo::capture {
namespace {

// The system's codes, written out independently of the table under test (and
// under other names than <windows.h>'s macros, which the Windows build may see).
namespace vk {
constexpr std::uint32_t Escape = 0x1B, F1 = 0x70, F5 = 0x74, F12 = 0x7B, Scroll = 0x91, Pause = 0x13,
                        Tab = 0x09, OemEnlw = 0xF4, NonConvert = 0x1D, Convert = 0x1C, OemCopy = 0xF2,
                        Insert = 0x2D, Delete = 0x2E, Home = 0x24, End = 0x23, Prior = 0x21, Next = 0x22,
                        NumLock = 0x90, Snapshot = 0x2C;
} // namespace vk
namespace mod {
constexpr std::uint32_t Alt = 1, Control = 2, Shift = 4, NoRepeat = 0x4000;
} // namespace mod

// List indexes by the entry the user picks.
constexpr std::int32_t kNone = 0, kShift = 1, kCtl = 2, kAlt = 3, kNoSelection = -1;
constexpr std::int32_t kKeyOff = 0, kEsc = 1, kF1 = 2, kF5 = 6, kPause = 15, kPrtSc = 28;

constexpr HotKeySelection kOff{kNone, kKeyOff};

TEST(HotKeyTable, KeyListEntriesGiveTheirVirtualKeys) {
    const std::vector<std::pair<std::int32_t, std::uint32_t>> cases = {
        {0, 0},
        {1, vk::Escape},
        {2, vk::F1},
        {3, vk::F1 + 1},
        {6, vk::F5},
        {13, vk::F12},
        {14, vk::Scroll},
        {15, vk::Pause},
        {16, vk::Tab},
        {17, vk::OemEnlw},
        {18, vk::NonConvert},
        {19, vk::Convert},
        {20, vk::OemCopy},
        {21, vk::Insert},
        {22, vk::Delete},
        {23, vk::Home},
        {24, vk::End},
        {25, vk::Prior},
        {26, vk::Next},
        {27, vk::NumLock},
        {28, vk::Snapshot},
        // Anything the list cannot show has no key.
        {-1, 0},
        {29, 0},
        {INT_MAX, 0},
        {INT_MIN, 0},
    };
    for (const auto& [index, virtualKey] : cases) {
        EXPECT_EQ(VirtualKeyForKeyIndex(index), virtualKey) << "key index " << index;
    }
    // F1..F12 are consecutive entries with consecutive codes.
    for (std::int32_t index = 2; index <= 13; ++index) {
        EXPECT_EQ(VirtualKeyForKeyIndex(index), vk::F1 + static_cast<std::uint32_t>(index - 2));
    }
    EXPECT_EQ(kKeyList.size(), 29u);
}

TEST(HotKeyTable, ModifierEntriesGiveSingleFlagsWithoutNoRepeat) {
    const std::vector<std::pair<std::int32_t, std::uint32_t>> cases = {
        {kNone, 0}, {kShift, mod::Shift}, {kCtl, mod::Control}, {kAlt, mod::Alt}, {kNoSelection, 0},
        {4, 0},     {INT_MAX, 0},         {INT_MIN, 0},
    };
    for (const auto& [index, flags] : cases) {
        EXPECT_EQ(ModifierFlagsForIndex(index), flags) << "modifier index " << index;
        // Holding a hot key down must keep capturing.
        EXPECT_EQ(ModifierFlagsForIndex(index) & mod::NoRepeat, 0u);
    }
}

TEST(HotKeyTable, CombinationIsMissingOnlyWhenTheKeyListHasNoKey) {
    struct Case {
        HotKeySelection selection;
        std::optional<HotKeyCombination> expected;
    };
    const std::vector<Case> cases = {
        {{kShift, kF1}, HotKeyCombination{mod::Shift, vk::F1}},
        {{kNone, kF5}, HotKeyCombination{0, vk::F5}},
        {{kAlt, kPrtSc}, HotKeyCombination{mod::Alt, vk::Snapshot}},
        // A modifier list without a selection leaves the bare key.
        {{kNoSelection, kEsc}, HotKeyCombination{0, vk::Escape}},
        {{9, kPause}, HotKeyCombination{0, vk::Pause}},
        {{kShift, kKeyOff}, std::nullopt},
        {{kCtl, kNoSelection}, std::nullopt},
        {{kNone, 29}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CombinationFor(c.selection), c.expected)
            << "modifier " << c.selection.modifierIndex << ", key " << c.selection.keyIndex;
    }
}

TEST(HotKeyTable, DuplicateCheckFindsTheFirstClashingPairInOrder) {
    struct Case {
        const char* name;
        HotKeySelections selections;
        std::optional<HotKeyPair> expected;
    };
    const std::vector<Case> cases = {
        {"all off", {kOff, kOff, kOff}, std::nullopt},
        {"1 and 2 equal", {{{kShift, kF1}, {kShift, kF1}, kOff}}, HotKeyPair{1, 2}},
        {"same key, other modifier", {{{kShift, kF1}, {kCtl, kF1}, {kNone, kF1}}}, std::nullopt},
        {"same modifier, other key", {{{kShift, kF1}, {kShift, kF5}, kOff}}, std::nullopt},
        {"1 and 3 equal", {{{kAlt, kF5}, {kNone, kF5}, {kAlt, kF5}}}, HotKeyPair{1, 3}},
        {"2 and 3 equal", {{kOff, {kNone, kPause}, {kNone, kPause}}}, HotKeyPair{2, 3}},
        {"all three equal", {{{kNone, kF5}, {kNone, kF5}, {kNone, kF5}}}, HotKeyPair{1, 2}},
        // Switched-off hot keys register nothing, so they cannot clash,
        // whatever their modifier lists say.
        {"two off with equal modifiers", {{{kShift, kKeyOff}, {kShift, kKeyOff}, kOff}}, std::nullopt},
        {"two without key selection", {{{kNone, kNoSelection}, {kNone, kNoSelection}, kOff}}, std::nullopt},
        {"two keys past the list", {{{kNone, 40}, {kNone, 40}, kOff}}, std::nullopt},
        // Equal as registered although the list indexes differ.
        {"no modifier selection against none", {{{kNoSelection, kF5}, {kNone, kF5}, kOff}}, HotKeyPair{1, 2}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindDuplicateHotKeys(c.selections), c.expected) << c.name;
    }
}

// The start of the program registers hot keys 1, 2 and 3 in this order; the
// warning comes after each registration while any two clash.
TEST(HotKeyTable, StartupWarnsOncePerRegisteredHotKeyWhileTwoClash) {
    struct Case {
        const char* name;
        HotKeySelections selections;
        std::vector<int> registered;
        std::vector<int> warnedAfter;
    };
    const std::vector<Case> cases = {
        {"defaults", {kOff, kOff, kOff}, {}, {}},
        {"three distinct", {{{kNone, kF1}, {kShift, kF1}, {kNone, kF5}}}, {1, 2, 3}, {}},
        {"1 and 2 clash, 3 off", {{{kShift, kF1}, {kShift, kF1}, kOff}}, {1, 2}, {1, 2}},
        {"1 and 2 clash, 3 set", {{{kShift, kF1}, {kShift, kF1}, {kNone, kF5}}}, {1, 2, 3}, {1, 2, 3}},
        {"2 and 3 clash, 1 set", {{{kNone, kEsc}, {kCtl, kPause}, {kCtl, kPause}}}, {1, 2, 3}, {1, 2, 3}},
        {"only 3 set", {{kOff, {kNoSelection, kNoSelection}, {kAlt, kPrtSc}}}, {3}, {}},
    };
    for (const Case& c : cases) {
        std::vector<int> registered;
        std::vector<int> warnedAfter;
        for (int number = 1; number <= kHotKeyCount; ++number) {
            const HotKeyPlan plan = PlanSetHotKey(number, c.selections);
            if (plan.combination) {
                EXPECT_EQ(*plan.combination,
                          *CombinationFor(c.selections[static_cast<std::size_t>(number - 1)]));
                registered.push_back(number);
            }
            if (plan.warnDuplicate) {
                warnedAfter.push_back(number);
            }
        }
        EXPECT_EQ(registered, c.registered) << c.name;
        EXPECT_EQ(warnedAfter, c.warnedAfter) << c.name;
    }
}

TEST(HotKeyTable, PlanForAHotKeyNumberOutsideOneToThreeIsEmpty) {
    const HotKeySelections clashing = {{{kNone, kF5}, {kNone, kF5}, {kNone, kF5}}};
    for (const int number : {0, 4, -1, INT_MAX}) {
        EXPECT_EQ(PlanSetHotKey(number, clashing), HotKeyPlan{}) << number;
    }
}

TEST(HotKeyTable, MessageIdMatchesTheFirstHotKeyHoldingIt) {
    struct Case {
        const char* name;
        std::uint64_t messageId;
        std::array<std::int32_t, kHotKeyCount> ids;
        std::optional<int> expected;
    };
    const std::vector<Case> cases = {
        {"hot key 1", 0xC001, {0xC001, 0xC002, 0xC003}, 1},
        {"hot key 2", 0xC002, {0xC001, 0xC002, 0xC003}, 2},
        {"hot key 3", 0xFFFF, {0xC001, 0xC002, 0xFFFF}, 3},
        {"unknown id", 0xC004, {0xC001, 0xC002, 0xC003}, std::nullopt},
        {"same id twice: first wins", 0xC002, {0, 0xC002, 0xC002}, 2},
        // Unregistered slots hold 0; a message with ID 0 is not theirs.
        {"zero against unregistered", 0, {0, 0, 0}, std::nullopt},
        // The system's own hot keys arrive with negative IDs.
        {"IDHOT_SNAPWINDOW", UINT64_MAX, {-1, 0xC002, 0xC003}, std::nullopt},
        {"IDHOT_SNAPDESKTOP", UINT64_MAX - 1, {-2, -2, -2}, std::nullopt},
        {"high bits set", 0x1'0000'C001, {0xC001, 0, 0}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HotKeyNumberForId(c.messageId, c.ids), c.expected) << c.name;
    }
}

} // namespace
} // namespace mirulo::capture
