// The range picker on its own: where it lies, what the clicks pick, and that the
// rubber band leaves the picture as it found it.
#include <windows.h>

#include <gtest/gtest.h>

#include "capture/DibSurface.h"
#include "capture/RangePicker.h"
#include "platform/RecordingHost.h"
#include "support/ModalScript.h"
#include "support/PatternWindow.h"
#include "ui/ProgramCursor.h"

using namespace mirulo;
using capture::PickedRange;
using capture::RangePicker;
using capture::fixture::PatternColour;
using capture::fixture::PixelAt;
using testkit::ModalScript;

namespace {

// A desktop picture whose every pixel is known, placed with its corner at `origin`.
capture::DesktopSnapshot PatternSnapshot(POINT origin, int width, int height) {
    capture::DibSurface pixels = capture::DibSurface::Create(width, height);
    for (int y = 0; y < height; ++y) {
        auto* row =
            reinterpret_cast<std::uint32_t*>(pixels.bits() + pixels.stride() * static_cast<std::size_t>(y));
        for (int x = 0; x < width; ++x) {
            row[x] = PatternColour(x, y);
        }
    }
    return capture::DesktopSnapshot(origin, std::move(pixels));
}

// The first pixel that differs from the pattern, or (-1, -1).
POINT FirstChangedPixel(const capture::DesktopSnapshot& picture) {
    ::GdiFlush();
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (PixelAt(picture.bits(), picture.stride(), x, y) != PatternColour(x, y)) {
                return {x, y};
            }
        }
    }
    return {-1, -1};
}

void Press(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof(input));
}

HWND PictureOf(HWND picker) {
    return ::FindWindowExW(picker, nullptr, capture::kRangePictureClass, nullptr);
}

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

class RangePickerWindow : public ::testing::Test {
protected:
    platform::RecordingHost host;
};

TEST_F(RangePickerWindow, ReleasedClicksOnTheScreenGiveRangesFromTheVirtualDesktopsCorner) {
    // As with a monitor left of and above the primary one: the picture starts at
    // (-300, -200), so the screen's (0, 0) is its (300, 200).
    const int width = ::GetSystemMetrics(SM_CXSCREEN) + 300;
    const int height = ::GetSystemMetrics(SM_CYSCREEN) + 200;
    RangePicker picker(host, PatternSnapshot({-300, -200}, width, height), true);
    RECT place{};
    ::GetWindowRect(picker.hwnd(), &place);
    EXPECT_EQ(place.left, -300);
    EXPECT_EQ(place.top, -200);
    EXPECT_EQ(place.right - place.left, width);
    EXPECT_EQ(place.bottom - place.top, height);

    HCURSOR duringPick = nullptr;
    // The second corner lies above and to the left of the first.
    ModalScript script({
        [] {
            ::SetCursorPos(200, 150);
            return true;
        },
        [] {
            Press(MOUSEEVENTF_LEFTDOWN);
            Press(MOUSEEVENTF_LEFTUP);
            return true;
        },
        [] {
            ::SetCursorPos(170, 120);
            return true;
        },
        [&] {
            ::SetCursorPos(100, 80);
            duringPick = ui::ProgramCursor::Current();
            return true;
        },
        [] {
            Press(MOUSEEVENTF_LEFTDOWN);
            Press(MOUSEEVENTF_LEFTUP);
            return true;
        },
    });
    const std::optional<PickedRange> range = picker.Pick();
    ASSERT_TRUE(range.has_value());
    EXPECT_EQ(*range, (PickedRange{400, 280, 100, 70}));
    EXPECT_EQ(duringPick, ::LoadCursorW(nullptr, IDC_CROSS)) << "the whole program shows the cross";
    EXPECT_FALSE(::IsWindowVisible(picker.hwnd()));
    const POINT changed = FirstChangedPixel(picker.Picture());
    EXPECT_EQ(changed.x, -1) << "band left at " << changed.x << "," << changed.y;
}

TEST_F(RangePickerWindow, TheSecondCornerIsTheLastMoveAndOtherButtonsDoNothing) {
    RangePicker picker(host, PatternSnapshot({0, 0}, 320, 240), false);
    const HWND image = PictureOf(picker.hwnd());
    ASSERT_NE(image, nullptr);
    // Posted before the loop runs, so no real pointer movement comes between.
    for (auto [message, at] : {std::pair{WM_RBUTTONUP, At(5, 5)},
                               {WM_MBUTTONUP, At(6, 6)},
                               {WM_MOUSEMOVE, At(7, 7)},
                               {WM_LBUTTONUP, At(20, 30)},
                               {WM_MOUSEMOVE, At(50, 60)},
                               {WM_RBUTTONUP, At(1, 1)},
                               {WM_MOUSEMOVE, At(5, 8)},
                               {WM_LBUTTONUP, At(90, 90)}}) {
        ::PostMessageW(image, message, 0, at);
    }
    const std::optional<PickedRange> range = picker.Pick();
    ASSERT_TRUE(range.has_value());
    EXPECT_EQ(picker.pickedCorners.left, 20);
    EXPECT_EQ(picker.pickedCorners.top, 30);
    EXPECT_EQ(picker.pickedCorners.right, 5);
    EXPECT_EQ(picker.pickedCorners.bottom, 8);
    EXPECT_EQ(*range, (PickedRange{5, 8, 15, 22}));
    EXPECT_EQ(FirstChangedPixel(picker.Picture()).x, -1);
}

TEST_F(RangePickerWindow, TwoClicksWithoutAMoveGiveAnEmptyRangeAndAnUnmarkedPicture) {
    RangePicker picker(host, PatternSnapshot({0, 0}, 200, 100), false);
    const HWND image = PictureOf(picker.hwnd());
    ::PostMessageW(image, WM_LBUTTONUP, 0, At(40, 40));
    ::PostMessageW(image, WM_LBUTTONUP, 0, At(40, 40));
    EXPECT_EQ(picker.Pick(), (PickedRange{40, 40, 0, 0}));
    EXPECT_EQ(FirstChangedPixel(picker.Picture()).x, -1);
}

TEST_F(RangePickerWindow, TheBandIsRedOnThePictureWhileItFollowsThePointer) {
    RangePicker picker(host, PatternSnapshot({0, 0}, 200, 100), false);
    const HWND image = PictureOf(picker.hwnd());
    bool sawRed = false;
    ModalScript script({
        [&] {
            ::SendMessageW(image, WM_LBUTTONUP, 0, At(20, 20));
            return true;
        },
        [&] {
            ::SendMessageW(image, WM_MOUSEMOVE, 0, At(120, 70));
            return true;
        },
        [&] {
            // NOTXOR with pure red: red stays in the pixel, green and blue invert.
            ::GdiFlush();
            const auto& p = picker.Picture();
            const std::uint32_t under = PatternColour(70, 20);
            const std::uint32_t expected = (under & 0xFF0000) | (~under & 0x00FFFF);
            sawRed = PixelAt(p.bits(), p.stride(), 70, 20) == expected;
            ::PostMessageW(picker.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
            return true;
        },
    });
    EXPECT_EQ(picker.ShowModal(), RangePicker::ModalResult::Cancel);
    EXPECT_TRUE(sawRed);
}

TEST_F(RangePickerWindow, EscapeCancelsAndTheCrossEndsWithThePicker) {
    std::optional<RangePicker> picker(std::in_place, host, PatternSnapshot({0, 0}, 64, 64), false);
    ::PostMessageW(PictureOf(picker->hwnd()), WM_LBUTTONUP, 0, At(3, 3));
    ::PostMessageW(picker->hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(picker->Pick(), std::nullopt);
    EXPECT_NE(ui::ProgramCursor::Current(), nullptr) << "the cross lasts until the picker is destroyed";
    picker.reset();
    EXPECT_EQ(ui::ProgramCursor::Current(), nullptr);
}

TEST_F(RangePickerWindow, AQuitWhilePickingCancelsAndReachesTheOuterLoop) {
    RangePicker picker(host, PatternSnapshot({0, 0}, 64, 64), false);
    ::PostQuitMessage(3);
    EXPECT_EQ(picker.Pick(), std::nullopt);
    MSG msg{};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

// The picker's place is the snapshot's, in physical pixels: a change of scale
// while picking must not move or grow it, or the picked corners would no longer
// be where the user sees them.
TEST_F(RangePickerWindow, AChangeOfScaleLeavesThePickerAndItsPictureOverTheSnapshot) {
    RangePicker picker(host, PatternSnapshot({10, 20}, 200, 100), false);
    RECT suggested{15, 30, 15 + 300, 30 + 150};
    ::SendMessageW(picker.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT frame{};
    ::GetWindowRect(picker.hwnd(), &frame);
    const RECT expected{10, 20, 210, 120};
    EXPECT_TRUE(::EqualRect(&frame, &expected));
    RECT picture{};
    ::GetClientRect(PictureOf(picker.hwnd()), &picture);
    EXPECT_EQ(picture.right, 200);
    EXPECT_EQ(picture.bottom, 100);
}

} // namespace
