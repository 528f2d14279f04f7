#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "support/Messages.h"
#include "support/PatternWindow.h"
#include "capture/CapturePicture.h"
#include "capture/DesktopSnapshot.h"
#include "image/PngReader.h"
#include "image/PngWriter.h"

namespace mirulo::capture {
namespace {

using fixture::kWhite;
using fixture::PatternColour;
using fixture::PatternWindow;
using fixture::PixelAt;
using fixture::Rgb;

constexpr int kPatternLeft = 211;
constexpr int kPatternTop = 147;
constexpr int kPatternWidth = 96;
constexpr int kPatternHeight = 64;

// Compares every pixel of a w x h area with `expected(x, y)` and describes the
// first difference, so a failure says where the picture went wrong.
template <typename Actual, typename Expected>
::testing::AssertionResult SameArea(int width, int height, Actual actual, Expected expected) {
    int mismatches = 0;
    std::ostringstream first;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb got = actual(x, y);
            const Rgb want = expected(x, y);
            if (got != want && mismatches++ == 0) {
                first << "(" << x << ", " << y << "): got " << std::hex << got << ", want " << want;
            }
        }
    }
    if (mismatches == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << mismatches << " pixels differ, first at " << first.str();
}

class ScreenCaptureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        window_ = std::make_unique<PatternWindow>(kPatternLeft, kPatternTop, kPatternWidth, kPatternHeight);
        // The window reaches the screen asynchronously; wait until a snapshot shows
        // it (the comparisons themselves then run on one snapshot each).
        for (int attempt = 0; attempt < 100 && !patternShown_; ++attempt) {
            testkit::PumpMessages();
            const DesktopSnapshot snapshot = SnapshotDesktop();
            patternShown_ = ShowsPattern(snapshot);
            if (!patternShown_) {
                ::Sleep(50);
            }
        }
    }
    static void TearDownTestSuite() { window_.reset(); }

    void SetUp() override { ASSERT_TRUE(patternShown_) << "the pattern window never reached the screen"; }

    // The pattern's top-left corner in snapshot coordinates.
    static POINT PatternInSnapshot(const DesktopSnapshot& snapshot) {
        const RECT r = window_->rect();
        return {r.left - snapshot.origin().x, r.top - snapshot.origin().y};
    }

    static bool ShowsPattern(const DesktopSnapshot& snapshot) {
        const POINT at = PatternInSnapshot(snapshot);
        return SameArea(
            kPatternWidth, kPatternHeight,
            [&](int x, int y) { return PixelAt(snapshot.bits(), snapshot.stride(), at.x + x, at.y + y); },
            PatternColour);
    }

    static inline std::unique_ptr<PatternWindow> window_;
    static inline bool patternShown_ = false;
};

TEST_F(ScreenCaptureTest, SnapshotCoversTheVirtualDesktopAndShowsTheScreenExactly) {
    const DesktopSnapshot snapshot = SnapshotDesktop();

    EXPECT_EQ(snapshot.origin().x, ::GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(snapshot.origin().y, ::GetSystemMetrics(SM_YVIRTUALSCREEN));
    EXPECT_EQ(snapshot.width(), ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(snapshot.height(), ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_EQ(snapshot.stride(), static_cast<std::size_t>(snapshot.width()) * 4);

    const POINT at = PatternInSnapshot(snapshot);
    EXPECT_TRUE(SameArea(
        kPatternWidth, kPatternHeight,
        [&](int x, int y) { return PixelAt(snapshot.bits(), snapshot.stride(), at.x + x, at.y + y); },
        PatternColour));
}

TEST_F(ScreenCaptureTest, CutOfAnAreaInsideTheDesktopHoldsExactlyThatArea) {
    const DesktopSnapshot snapshot = SnapshotDesktop();
    const POINT at = PatternInSnapshot(snapshot);
    constexpr int kOffsetX = 5;
    constexpr int kOffsetY = 7;

    const CapturePicture picture = CutRectangle(snapshot, at.x + kOffsetX, at.y + kOffsetY, 40, 30);

    ASSERT_EQ(picture.width(), 40);
    ASSERT_EQ(picture.height(), 30);
    EXPECT_TRUE(SameArea(
        40, 30, [&](int x, int y) { return PixelAt(picture.bits(), picture.stride(), x, y); },
        [](int x, int y) { return PatternColour(x + kOffsetX, y + kOffsetY); }));
}

TEST_F(ScreenCaptureTest, CutReachingBeyondTheDesktopKeepsItsSizeAndIsWhiteOutside) {
    const DesktopSnapshot snapshot = SnapshotDesktop();
    const int w = snapshot.width();
    const int h = snapshot.height();
    const struct {
        const char* what;
        int left;
        int top;
        int width;
        int height;
    } cases[] = {
        {"past the right and bottom edges", w - 10, h - 6, 30, 20},
        {"before the left and top edges", -7, -4, 25, 15},
        {"wholly right of the desktop", w + 100, 0, 16, 8},
        {"wholly above the desktop", 3, -50, 16, 8},
        {"so far off that left + width overflows an int", INT_MAX - 4, INT_MAX - 4, 12, 10},
        {"larger than the desktop on every side", -3, -2, w + 6, h + 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CapturePicture picture = CutRectangle(snapshot, c.left, c.top, c.width, c.height);
        ASSERT_EQ(picture.width(), c.width);
        ASSERT_EQ(picture.height(), c.height);
        EXPECT_TRUE(SameArea(
            c.width, c.height, [&](int x, int y) { return PixelAt(picture.bits(), picture.stride(), x, y); },
            [&](int x, int y) {
                const std::int64_t sx = std::int64_t{c.left} + x;
                const std::int64_t sy = std::int64_t{c.top} + y;
                const bool inside = sx >= 0 && sy >= 0 && sx < w && sy < h;
                return inside ? PixelAt(snapshot.bits(), snapshot.stride(), static_cast<int>(sx),
                                        static_cast<int>(sy))
                              : kWhite;
            }));
    }
}

TEST_F(ScreenCaptureTest, CutWithoutWidthOrHeightIsEmpty) {
    const DesktopSnapshot snapshot = SnapshotDesktop();
    const struct {
        int width;
        int height;
    } cases[] = {{0, 10}, {10, 0}, {0, 0}, {-5, 10}, {10, -1}, {INT_MIN, INT_MIN}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const CapturePicture picture = CutRectangle(snapshot, 100, 100, c.width, c.height);
        EXPECT_TRUE(picture.empty());
        EXPECT_EQ(picture.width() * picture.height(), 0);
        const image::Image rgb = ToRgbImage(picture);
        EXPECT_EQ(rgb.width * rgb.height, 0u);
        EXPECT_TRUE(rgb.pixels.empty());
    }
}

TEST_F(ScreenCaptureTest, WholeSnapshotGivenUpBecomesThePictureWithoutACopy) {
    DesktopSnapshot snapshot = SnapshotDesktop();
    const std::uint8_t* pixels = snapshot.bits();
    const POINT at = PatternInSnapshot(snapshot);
    const int width = snapshot.width();
    const int height = snapshot.height();

    const CapturePicture picture = CutRectangle(std::move(snapshot), 0, 0, width, height);

    EXPECT_EQ(picture.bits(), pixels);
    EXPECT_EQ(picture.width(), ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(picture.height(), ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_TRUE(SameArea(
        kPatternWidth, kPatternHeight,
        [&](int x, int y) { return PixelAt(picture.bits(), picture.stride(), at.x + x, at.y + y); },
        PatternColour));
}

TEST_F(ScreenCaptureTest, PartOfASnapshotGivenUpIsCutAndTheSnapshotReleased) {
    DesktopSnapshot snapshot = SnapshotDesktop();
    const POINT at = PatternInSnapshot(snapshot);

    const CapturePicture picture =
        CutRectangle(std::move(snapshot), at.x, at.y, kPatternWidth, kPatternHeight);

    EXPECT_EQ(snapshot.bits(), nullptr); // NOLINT(bugprone-use-after-move): released is the point
    ASSERT_EQ(picture.width(), kPatternWidth);
    EXPECT_TRUE(SameArea(
        kPatternWidth, kPatternHeight,
        [&](int x, int y) { return PixelAt(picture.bits(), picture.stride(), x, y); }, PatternColour));
}

TEST_F(ScreenCaptureTest, RgbImageHasTheScreenColoursInRgbOrder) {
    const DesktopSnapshot snapshot = SnapshotDesktop();
    const POINT at = PatternInSnapshot(snapshot);
    const CapturePicture picture = CutRectangle(snapshot, at.x, at.y, kPatternWidth, kPatternHeight);

    const image::Image rgb = ToRgbImage(picture);

    ASSERT_EQ(rgb.width, static_cast<std::uint32_t>(kPatternWidth));
    ASSERT_EQ(rgb.height, static_cast<std::uint32_t>(kPatternHeight));
    ASSERT_EQ(rgb.channels, 3u);
    ASSERT_EQ(rgb.pixels.size(), rgb.stride() * rgb.height);
    EXPECT_TRUE(SameArea(
        kPatternWidth, kPatternHeight,
        [&](int x, int y) {
            const std::uint8_t* p = rgb.row(static_cast<std::uint32_t>(y)) + static_cast<std::size_t>(x) * 3;
            return (Rgb{p[0]} << 16) | (Rgb{p[1]} << 8) | Rgb{p[2]};
        },
        PatternColour));
}

TEST_F(ScreenCaptureTest, FullScreenCaptureSurvivesPngRoundTripPixelExact) {
    DesktopSnapshot snapshot = SnapshotDesktop();
    const int width = snapshot.width();
    const int height = snapshot.height();
    const CapturePicture picture = CutRectangle(std::move(snapshot), 0, 0, width, height);
    const image::Image rgb = ToRgbImage(picture);

    const std::vector<std::uint8_t> png = image::EncodePng(rgb);
    const image::Image decoded = image::DecodePng(png);

    EXPECT_EQ(image::ReadPngHeader(png).colourType, 2); // truecolour, no alpha
    EXPECT_EQ(decoded.width, rgb.width);
    EXPECT_EQ(decoded.height, rgb.height);
    EXPECT_EQ(decoded.channels, 3u);
    EXPECT_TRUE(decoded.pixels == rgb.pixels);
}

} // namespace
} // namespace mirulo::capture
