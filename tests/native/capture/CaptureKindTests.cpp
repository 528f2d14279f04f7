#include "capture/CaptureKind.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Utf.h"

namespace mirulo::capture {
namespace {

TEST(CaptureKind, EachKindHasItsCodeAndEachHotKeyItsKind) {
    const struct {
        CaptureKind kind;
        std::u16string_view code;
    } cases[] = {
        {kFixedByHotKey, u"固K"},      {kPickedByHotKey, u"指K"}, {kFullScreenByHotKey, u"全K"},
        {kFixedByTimer, u"固T"},       {kFixedByButton, u"固B"},  {kPickedByButton, u"指B"},
        {kFullScreenByButton, u"全B"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::Utf16ToUtf8(CaptureCode(c.kind)), platform::Utf16ToUtf8(c.code));
    }
    EXPECT_EQ(HotKeyCaptureKind(1), kFixedByHotKey);
    EXPECT_EQ(HotKeyCaptureKind(2), kPickedByHotKey);
    EXPECT_EQ(HotKeyCaptureKind(3), kFullScreenByHotKey);
}

TEST(CaptureKind, TheFixedRangeBoxAlsoCopiesFullScreenCapturesButNotTheOtherWayRound) {
    const struct {
        ClipboardBoxes boxes;
        bool fixed, picked, fullScreen;
    } cases[] = {
        {{false, false, false}, false, false, false}, {{true, false, false}, true, false, true},
        {{false, true, false}, false, true, false},   {{false, false, true}, false, false, true},
        {{true, true, true}, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.boxes.fixedRange << c.boxes.pickedRange << c.boxes.fullScreen);
        EXPECT_EQ(CopiesToClipboard(CaptureRange::Fixed, c.boxes), c.fixed);
        EXPECT_EQ(CopiesToClipboard(CaptureRange::Picked, c.boxes), c.picked);
        EXPECT_EQ(CopiesToClipboard(CaptureRange::FullScreen, c.boxes), c.fullScreen);
    }
}

TEST(CaptureKind, AFixedRangeIsSetWhenAnyOfItsFourValuesIsNotZero) {
    EXPECT_FALSE((FixedRange{}).IsSet());
    EXPECT_TRUE((FixedRange{0, 0, 0, 1}).IsSet());
    EXPECT_TRUE((FixedRange{-5, 0, 0, 0}).IsSet());
}

} // namespace
} // namespace mirulo::capture
