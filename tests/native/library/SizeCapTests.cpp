#include "library/SizeCap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/Utf.h"

namespace mirulo::library {
namespace {

TEST(CapText, WholeNumbersStayAndEverythingElseBecomes100) {
    const struct {
        std::u16string text;
        std::u16string normalised;
        std::optional<std::int32_t> parsed;
    } cases[] = {
        {u"250", u"250", 250},
        {u" 42 ", u"42", 42},
        {u"007", u"7", 7},
        {u"-5", u"-5", -5},
        {u"0", u"0", 0},
        {u"0x10", u"16", 16},
        {u"2147483647", u"2147483647", 2147483647},
        {u"2147483648", u"100", std::nullopt},
        {u"", u"100", std::nullopt},
        {u"abc", u"100", std::nullopt},
        {u"12.5", u"100", std::nullopt},
        {u"１２", u"100", std::nullopt}, // full-width digits are not a number here
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(platform::Utf16ToUtf8(c.text));
        EXPECT_EQ(ParseCapMegabytes(c.text), c.parsed);
        EXPECT_EQ(NormalisedCapText(c.text), c.normalised);
    }
}

TEST(CapText, CapsOf2048MegabytesAndMoreDoNotOverflow) {
    EXPECT_EQ(CapBytes(100), 104'857'600);
    EXPECT_EQ(CapBytes(3000), 3'145'728'000);
    EXPECT_EQ(CapBytes(2147483647), std::int64_t{2147483647} * 1'048'576);
    EXPECT_EQ(CapBytes(-1), -1'048'576);
}

// A folder of pictures, oldest last, as the list shows them.
class FakeFolder final : public SizeCapFolder {
public:
    struct Picture {
        std::u16string name;
        std::int64_t size;
    };
    std::vector<Picture> listed;        // newest first
    std::set<std::u16string> unmovable; // the recycle bin cannot take them
    std::set<std::u16string> declined;  // the user says no
    std::set<std::u16string> folders;   // sub-folders named like pictures
    std::set<std::u16string> comesBack; // reported moved, yet listed again
    std::vector<std::u16string> moves;

    std::int64_t TotalSize() const override { return total_; }
    std::optional<std::u16string> Oldest(const std::set<std::u16string>& passedOver) const override {
        for (auto it = listed.rbegin(); it != listed.rend(); ++it) {
            if (passedOver.count(it->name) == 0) {
                return it->name;
            }
        }
        return std::nullopt;
    }
    CapMove MoveToRecycleBin(const std::u16string& picture) override {
        moves.push_back(picture);
        if (folders.count(picture) != 0) {
            return CapMove::NotAFile;
        }
        if (unmovable.count(picture) != 0) {
            return CapMove::Refused;
        }
        if (declined.count(picture) != 0) {
            return CapMove::Declined;
        }
        if (comesBack.count(picture) == 0) {
            std::erase_if(listed, [&](const Picture& p) { return p.name == picture; });
        }
        return CapMove::Moved;
    }
    void Refresh() override {
        total_ = 0;
        for (const Picture& p : listed) {
            total_ += p.size;
        }
    }

private:
    std::int64_t total_ = 0;
};

FakeFolder Folder(std::vector<FakeFolder::Picture> pictures) {
    FakeFolder folder;
    folder.listed = std::move(pictures);
    folder.Refresh();
    return folder;
}

constexpr std::int64_t kMiB = 1'048'576;

TEST(ApplySizeCap, MovesOldestFirstUntilTheTotalIsAtMostTheCap) {
    const struct {
        const char* what;
        std::int64_t cap;
        std::vector<FakeFolder::Picture> pictures;
        std::vector<std::u16string> moved;
    } cases[] = {
        {"exactly at the cap stays",
         CapBytes(100),
         {{u"c", 60 * kMiB}, {u"b", 30 * kMiB}, {u"a", 10 * kMiB}},
         {}},
        {"one byte over moves the oldest",
         CapBytes(100),
         {{u"c", 60 * kMiB + 1}, {u"b", 30 * kMiB}, {u"a", 10 * kMiB}},
         {u"a"}},
        {"oldest ones until under",
         CapBytes(50),
         {{u"c", 40 * kMiB}, {u"b", 30 * kMiB}, {u"a", 10 * kMiB}},
         {u"a", u"b"}},
        {"the newest alone above the cap goes too", CapBytes(1), {{u"new", 2 * kMiB}}, {u"new"}},
        {"cap 0 empties the folder", CapBytes(0), {{u"b", 1}, {u"a", 1}}, {u"a", u"b"}},
        {"a negative cap empties it as well", CapBytes(-5), {{u"a", 1}}, {u"a"}},
        {"empty files left at cap 0 stay", CapBytes(0), {{u"b", 0}, {u"a", 5}}, {u"a"}},
        {"3000 MB keeps 3,145,728,000 bytes",
         CapBytes(3000),
         {{u"b", 3'000'000'000}, {u"a", 145'728'000}},
         {}},
        {"and not one byte more", CapBytes(3000), {{u"b", 3'000'000'000}, {u"a", 145'728'001}}, {u"a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeFolder folder = Folder(c.pictures);
        const SizeCapResult result = ApplySizeCap(c.cap, folder);
        EXPECT_EQ(folder.moves, c.moved);
        EXPECT_EQ(result.moved, static_cast<int>(c.moved.size()));
        EXPECT_TRUE(result.kept.empty());
    }
}

// What the recycle bin cannot take stays, and the cap goes on with the next
// oldest picture instead of stopping there for good; a folder named like a
// picture is never moved; the user's no ends the step.
TEST(ApplySizeCap, PassesOverWhatItMayNotMoveAndStopsWhenTheUserSaysNo) {
    const struct {
        const char* what;
        std::int64_t cap;
        std::set<std::u16string> unmovable, declined, folders, comesBack, passedOver;
        std::vector<std::u16string> tried;
        std::vector<std::u16string> kept;
        bool declinedOne;
    } cases[] = {
        {"a picture in use stays, the next oldest goes",
         10,
         {u"a"},
         {},
         {},
         {},
         {},
         {u"a", u"b"},
         {u"a"},
         false},
        {"every picture in use: each tried once",
         0,
         {u"a", u"b", u"c"},
         {},
         {},
         {},
         {},
         {u"a", u"b", u"c"},
         {u"a", u"b", u"c"},
         false},
        {"a folder is passed over without a word", 0, {}, {}, {u"a"}, {}, {}, {u"a", u"b", u"c"}, {}, false},
        {"passed over from an earlier step: not tried", 10, {}, {}, {}, {}, {u"a"}, {u"b"}, {}, false},
        {"the user's no ends the step", 0, {}, {u"b"}, {}, {}, {}, {u"a", u"b"}, {u"b"}, true},
        {"reported gone yet listed again: not tried again",
         0,
         {},
         {},
         {},
         {u"a"},
         {},
         {u"a", u"b", u"c"},
         {},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeFolder folder = Folder({{u"c", 5}, {u"b", 5}, {u"a", 5}});
        folder.unmovable = c.unmovable;
        folder.declined = c.declined;
        folder.folders = c.folders;
        folder.comesBack = c.comesBack;
        const SizeCapResult result = ApplySizeCap(c.cap, folder, c.passedOver);
        EXPECT_EQ(folder.moves, c.tried);
        EXPECT_EQ(result.kept, c.kept);
        EXPECT_EQ(result.declined.has_value(), c.declinedOne);
    }
}

} // namespace
} // namespace mirulo::library
