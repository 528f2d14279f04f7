#include "library/PictureListModel.h"

#include <gtest/gtest.h>

namespace mirulo::library {
namespace {

TEST(PictureListModel, AReloadKeepsTheSelectionOrTheNearestUnmarkedEntryAboveIt) {
    const std::vector<std::wstring> entries = {L"c.png", L"[ゴミ箱]b.png", L"a.png", L"[ゴミ箱]z.png"};
    const std::vector<std::wstring> allMarked = {L"[ゴミ箱]b.png", L"[ゴミ箱]a.png"};
    const std::vector<std::wstring> none;
    const struct {
        const char* what;
        const std::vector<std::wstring>& list;
        int selected;
        std::optional<std::wstring> expected;
    } cases[] = {
        {"an unmarked entry stays", entries, 2, L"a.png"},
        {"a marked entry gives way to the one above", entries, 1, L"c.png"},
        {"the last entry marked", entries, 3, L"a.png"},
        {"an index past the end counts as the last", entries, 9, L"a.png"},
        {"every entry up to it marked: the top", allMarked, 1, L"[ゴミ箱]b.png"},
        {"nothing selected", entries, -1, std::nullopt},
        {"an empty list", none, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EntryToReselect(c.list, c.selected), c.expected) << c.what;
    }
}

TEST(PictureListModel, OnlyTheMarkAtTheStartCounts) {
    EXPECT_TRUE(IsTrashMarked(L"[ゴミ箱]20240315_142530_045_固K.png"));
    EXPECT_FALSE(IsTrashMarked(L"20240315_142530_045_固K.png"));
    EXPECT_FALSE(IsTrashMarked(L"x[ゴミ箱].png"));
    EXPECT_FALSE(IsTrashMarked(L"[ゴミ"));
}

} // namespace
} // namespace mirulo::library
