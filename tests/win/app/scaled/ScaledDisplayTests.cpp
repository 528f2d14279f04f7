// The program on a scaled display, started at the system's scale (Wine's
// LogPixels): tests/win/app/scaled/run-at-dpi runs this at 120, 144 and 192 DPI, and
// CTest runs it as it is at 96. Every control sits at its 96-DPI place times the
// scale, fonts follow the scale, pictures come from the rendition drawn for it
// rather than an enlarged 100 % bitmap, and a capture reads the screen at its
// physical pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "app/Pictures.h"
#include "app/MainWindow.h"
#include "capture/CapturePicture.h"
#include "capture/DesktopSnapshot.h"
#include "platform/RecordingHost.h"
#include "support/Messages.h"
#include "support/PatternWindow.h"
#include "support/TempFolder.h"
#include "support/Desktop.h"

using namespace mirulo;

namespace {

using testkit::PlaceInParent;

// The scale the prefix was set to; 96 when run without the script.
UINT ExpectedDpi() {
    const char* value = std::getenv("MIRULO_EXPECT_DPI");
    return value != nullptr ? static_cast<UINT>(std::atoi(value)) : 96u;
}

struct Seen {
    RECT place;      // in the parent's client coordinates
    LONG fontHeight; // lfHeight of the control's font, 0 for none
    SIZE artwork;    // picture or glyph size, 0 for none
    bool dropDown;   // sizes its own edit field from its font
    bool label;      // most labels take the size of their text in the scaled font
};

std::map<std::wstring, Seen> Look(const app::MainWindow& window) {
    std::map<std::wstring, Seen> seen;
    for (ui::Control* control : window.AllControls()) {
        wchar_t windowClass[32] = {};
        ::GetClassNameW(control->hwnd(), windowClass, 32);
        Seen s{PlaceInParent(control->hwnd()),
               0,
               {0, 0},
               _wcsicmp(windowClass, L"ComboBox") == 0,
               dynamic_cast<const ui::Label*>(control) != nullptr};
        if (auto font = reinterpret_cast<HFONT>(::SendMessageW(control->hwnd(), WM_GETFONT, 0, 0))) {
            LOGFONTW lf{};
            ::GetObjectW(font, sizeof(lf), &lf);
            s.fontHeight = lf.lfHeight;
        }
        if (const auto* picture = dynamic_cast<const app::Picture*>(control)) {
            s.artwork = picture->ImageSize();
        } else if (const auto* button = dynamic_cast<const app::IconButton*>(control)) {
            s.artwork = button->GlyphSize();
        }
        seen[control->name()] = s;
    }
    return seen;
}

// The rendition a scale draws from: the smallest at least as large as needed.
int RenditionPercent(UINT dpi) {
    for (const int percent : {100, 150, 200}) {
        if (static_cast<int>(dpi) * 100 <= 96 * percent) {
            return percent;
        }
    }
    return 200;
}

class ScaledDisplay : public ::testing::Test {
protected:
    ScaledDisplay() { host.executablePath = folder / L"Mirulo.exe"; }

    testkit::TempFolder folder{L"mirulo-scaled"};
    platform::RecordingHost host;
    const UINT dpi = ExpectedDpi();
};

TEST_F(ScaledDisplay, TheWindowStartsAtTheSystemScaleWithEveryControlFontAndPictureScaledFromItsPlaceAt96) {
    ASSERT_EQ(::GetDpiForSystem(), dpi) << "the prefix is not at the scale the run asked for";
    auto window = std::make_unique<app::MainWindow>(host);
    ASSERT_EQ(window->dpi(), dpi);
    testkit::PumpMessages();
    const auto scaled = Look(*window);

    RECT client{};
    ::GetClientRect(window->hwnd(), &client);
    EXPECT_NEAR(client.right, ::MulDiv(407, static_cast<int>(dpi), 96), 1);
    EXPECT_NEAR(client.bottom, ::MulDiv(513, static_cast<int>(dpi), 96), 1);

    // The same window at 96 DPI gives each control's description.
    RECT frame{};
    ::GetWindowRect(window->hwnd(), &frame);
    const RECT suggested{frame.left, frame.top, frame.left + 407 + (frame.right - frame.left - client.right),
                         frame.top + 513 + (frame.bottom - frame.top - client.bottom)};
    ::SendMessageW(window->hwnd(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    ASSERT_EQ(window->dpi(), 96u);
    const auto at96 = Look(*window);

    const auto scale = [this](LONG value) { return static_cast<double>(value) * dpi / 96.0; };
    const int percent = RenditionPercent(dpi);
    ASSERT_EQ(scaled.size(), at96.size());
    for (const auto& [name, s] : scaled) {
        SCOPED_TRACE(std::string(name.begin(), name.end()) + " at " + std::to_string(dpi) + " DPI");
        const Seen& d = at96.at(name);
        EXPECT_NEAR(s.place.left, scale(d.place.left), 1.0);
        EXPECT_NEAR(s.place.top, scale(d.place.top), 1.0);
        // Text is not linear in its size, so a label that fits its text is only
        // placed; the sizes of the fixed ones are the layout tests' concern.
        if (!s.label) {
            EXPECT_NEAR(s.place.right - s.place.left, scale(d.place.right - d.place.left), 1.0);
            if (!s.dropDown) {
                EXPECT_NEAR(s.place.bottom - s.place.top, scale(d.place.bottom - d.place.top), 1.0);
            }
        }
        if (d.fontHeight != 0) {
            EXPECT_EQ(s.fontHeight, d.fontHeight * static_cast<LONG>(dpi) / 96);
        }
        if (d.artwork.cx != 0) {
            // Drawn for this scale or shrunk from the next larger rendition; never
            // a 96-DPI bitmap enlarged.
            EXPECT_NEAR(s.artwork.cx, d.artwork.cx * percent / 100.0, 1.0);
            EXPECT_NEAR(s.artwork.cy, d.artwork.cy * percent / 100.0, 1.0);
            EXPECT_GE(s.artwork.cx + 1, static_cast<LONG>(scale(d.artwork.cx)));
        }
    }
}

TEST_F(ScaledDisplay, ACaptureReadsTheScreenAtItsPhysicalPixels) {
    // The screen's own size, whatever the scale: a program unaware of the scale
    // would see it shrunk.
    HDC screen = ::GetDC(nullptr);
    const int physicalWidth = ::GetDeviceCaps(screen, DESKTOPHORZRES);
    const int physicalHeight = ::GetDeviceCaps(screen, DESKTOPVERTRES);
    ::ReleaseDC(nullptr, screen);

    constexpr int kLeft = 301, kTop = 207, kWidth = 97, kHeight = 61;
    capture::fixture::PatternWindow pattern(kLeft, kTop, kWidth, kHeight);
    const RECT at = pattern.rect();
    ASSERT_EQ(at.left, kLeft);
    ASSERT_EQ(at.top, kTop);
    ASSERT_EQ(at.right - at.left, kWidth);

    int mismatches = -1;
    for (int attempt = 0; attempt < 100 && mismatches != 0; ++attempt) {
        testkit::PumpMessages();
        const capture::DesktopSnapshot snapshot = capture::SnapshotDesktop();
        ASSERT_EQ(snapshot.width(), physicalWidth);
        ASSERT_EQ(snapshot.height(), physicalHeight);
        const capture::CapturePicture picture = capture::CutRectangle(
            snapshot, kLeft - snapshot.origin().x, kTop - snapshot.origin().y, kWidth, kHeight);
        ASSERT_EQ(picture.width(), kWidth);
        ASSERT_EQ(picture.height(), kHeight);
        mismatches = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                mismatches += capture::fixture::PixelAt(picture.bits(), picture.stride(), x, y) !=
                              capture::fixture::PatternColour(x, y);
            }
        }
        if (mismatches != 0) {
            ::Sleep(50);
        }
    }
    EXPECT_EQ(mismatches, 0) << "the capture at " << kLeft << "," << kTop
                             << " does not hold the pattern pixel for pixel";
}

} // namespace
