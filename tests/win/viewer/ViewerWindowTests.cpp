// The viewer window on its own, with a stand-in for the main window: its strip
// follows a change of scale as the main window's controls do, and every button
// of the strip has a name for screen readers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "image/PngWriter.h"
#include "support/StandInViewerLink.h"
#include "platform/RecordingHost.h"
#include "platform/Wide.h"
#include "support/Messages.h"
#include "support/ScreenGrab.h"
#include "ui/Control.h"
#include "ui/IconButton.h"
#include "viewer/ViewerWindow.h"
#include "support/Desktop.h"

using namespace mirulo;

namespace {

using testkit::PlaceInParent;

LONG At144(LONG pixelsAt96) {
    return ::MulDiv(pixelsAt96, 144, 96);
}

// With MIRULO_KEEP_SCREENS set, a picture of the window for a person to look at.
void KeepScreen(HWND window, const char* name) {
    const char* folder = std::getenv("MIRULO_KEEP_SCREENS");
    if (folder == nullptr) {
        return;
    }
    for (int i = 0; i < 5; ++i) {
        testkit::PumpMessages();
        ::RedrawWindow(window, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::Sleep(100);
    }
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const std::vector<std::uint8_t> png = image::EncodePng(testkit::GrabScreenPicture(frame));
    std::ofstream(std::filesystem::path(folder) / (std::string(name) + ".png"), std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

class ViewerWindowTest : public ::testing::Test {
protected:
    ViewerWindowTest() : view(host, mainWindow, viewer::ViewerPlacement{20, 20, 600, 800}) {}

    std::vector<ui::IconButton*> Strip() {
        return {&view.previousButton, &view.nextButton,     &view.recycleButton,   &view.clipboardButton,
                &view.editButton,     &view.greyCopyButton, &view.sepiaCopyButton, &view.printButton};
    }

    platform::RecordingHost host;
    testkit::StandInViewerLink mainWindow{L"C:\\"};
    viewer::ViewerWindow view;
};

TEST_F(ViewerWindowTest, TheStripAndThePictureAreaTakeOneAndAHalfTimesTheirPlacesAfterAChangeTo144Dpi) {
    ASSERT_EQ(view.dpi(), 96u);
    view.ShowViewer();
    KeepScreen(view.hwnd(), "viewer-96dpi");
    const std::vector<ui::IconButton*> strip = Strip();
    std::vector<ui::Control*> controls(strip.begin(), strip.end());
    controls.push_back(&view.printerShortNames);
    std::map<ui::Control*, RECT> at96;
    for (ui::Control* control : controls) {
        at96[control] = PlaceInParent(control->hwnd());
    }
    std::map<ui::IconButton*, SIZE> glyphAt96;
    for (ui::IconButton* button : strip) {
        glyphAt96[button] = button->GlyphSize();
    }

    RECT frame{}, client{};
    ::GetWindowRect(view.hwnd(), &frame);
    ::GetClientRect(view.hwnd(), &client);
    const RECT suggested{frame.left, frame.top,
                         frame.left + At144(client.right) + (frame.right - frame.left - client.right),
                         frame.top + At144(client.bottom) + (frame.bottom - frame.top - client.bottom)};
    ::SendMessageW(view.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    ASSERT_EQ(view.dpi(), 144u);
    KeepScreen(view.hwnd(), "viewer-144dpi");

    for (ui::Control* control : controls) {
        SCOPED_TRACE(testing::Message() << static_cast<const void*>(control));
        const RECT was = at96[control];
        const RECT now = PlaceInParent(control->hwnd());
        EXPECT_EQ(now.left, At144(was.left));
        EXPECT_EQ(now.top, At144(was.top));
        EXPECT_EQ(now.right, At144(was.right));
        if (control != &view.printerShortNames) { // a drop-down keeps the height its font gives it
            EXPECT_EQ(now.bottom, At144(was.bottom));
        }
    }
    // Every glyph is drawn again for the new scale, not the small one stretched.
    for (ui::IconButton* button : strip) {
        SCOPED_TRACE(platform::Narrow(button->Caption()));
        EXPECT_EQ(button->GlyphSize().cx, At144(glyphAt96[button].cx));
        EXPECT_EQ(button->GlyphSize().cy, At144(glyphAt96[button].cy));
    }
    // The picture area starts below the strip and ends above the status bar, both at the new scale.
    const RECT area = PlaceInParent(view.pictureArea.hwnd());
    RECT clientNow{};
    ::GetClientRect(view.hwnd(), &clientNow);
    const SIZE available = view.AvailableArea();
    EXPECT_EQ(area.top, At144(35));
    EXPECT_EQ(available.cy, clientNow.bottom - At144(35 + 19));
    EXPECT_EQ(area.bottom - area.top, available.cy);
}

TEST_F(ViewerWindowTest, EveryStripButtonHasItsNameAsWindowText) {
    const std::pair<ui::IconButton*, const wchar_t*> names[] = {
        {&view.previousButton, L"前の画像"},         {&view.nextButton, L"次の画像"},
        {&view.recycleButton, L"ゴミ箱へ移動"},      {&view.clipboardButton, L"クリップボードへコピー"},
        {&view.editButton, L"画像編集ソフトで開く"}, {&view.greyCopyButton, L"グレースケール生成"},
        {&view.sepiaCopyButton, L"セピア生成"},      {&view.printButton, L"印刷"},
    };
    for (const auto& [button, name] : names) {
        EXPECT_EQ(button->Caption(), name);
    }
}

} // namespace
