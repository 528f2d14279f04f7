// The main window's life in-process, with a recording Host: what its
// construction leaves in the window and in the settings file, its names, and
// how closing it ends the loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>

#include "support/MainWindowTest.h"

using namespace mirulo;

namespace {

using MainWindow = testkit::MainWindowTest;

TEST_F(MainWindow, ConstructionFillsTheControlsAppliesTheSettingsAndListsThePictures) {
    MakeSaveFolder();
    testkit::WriteFileBytes(saves + L"\\20240315_142530_045_固K.png", std::string(524288, 'x'));
    Start(SaveFolderLine() + "PNGorJPGNumber=1\r\nTimerNumber=5\r\n");

    EXPECT_FALSE(driver().Constructing());
    EXPECT_TRUE(host.Messages().empty());
    // The lists hold their entries and the stored choices.
    EXPECT_EQ(driver().FixedRangeKeyList().Count(), 29);
    EXPECT_EQ(driver().FixedRangeKeyList().Item(28), L"PrtSc");
    EXPECT_EQ(driver().FullScreenModifierList().Count(), 4);
    EXPECT_EQ(driver().FormatList().ItemIndex(), 1);
    EXPECT_EQ(driver().AutoCapturePeriodList().Item(driver().AutoCapturePeriodList().ItemIndex()), L"10");
    // The auto-capture is off, so its period controls are disabled.
    EXPECT_FALSE(driver().AutoCapturePeriodList().Enabled());
    EXPECT_FALSE(driver().AutoCaptureUnitLabel().Enabled());
    // Hints are on for the controls that have one.
    EXPECT_TRUE(driver().FixedRangeNowButton().showHint);
    EXPECT_EQ(driver().FixedRangeNowButton().hint, L"固定範囲を撮影");
    // The picture list shows the save folder, newest selected, with count and size.
    ASSERT_EQ(driver().PictureList().Count(), 1);
    EXPECT_EQ(driver().PictureList().ItemIndex(), 0);
    EXPECT_EQ(driver().StatusText(), L"(1枚、画像サイズ合計0.500MB)");
    EXPECT_EQ(driver().CaptureDelay(), 0);
    EXPECT_EQ(window->pager().ActivePageIndex(), 0);
    // The settings file now holds every setting, the stored ones kept in their place.
    const std::string stored = StoredSettings();
    EXPECT_EQ(stored.rfind("\xEF\xBB\xBF[System]\r\n" + SaveFolderLine() + "PNGorJPGNumber=1\r\n", 0), 0u)
        << stored;
    EXPECT_NE(stored.find("\r\nTop170="), std::string::npos);
    EXPECT_NE(stored.find("TimerNumber=5\r\n"), std::string::npos);
}

TEST_F(MainWindow, IsFoundByItsClassAndCarriesTheVersionInItsCaptions) {
    Start();
    EXPECT_EQ(::FindWindowW(L"Tfm_Mirulo", nullptr), window->hwnd());
    wchar_t title[128] = {};
    ::GetWindowTextW(window->hwnd(), title, 128);
    EXPECT_STREQ(title, L"Mirulo\u3000ver.2.10");
    EXPECT_EQ(driver().VersionLabel().Caption(), L"ver.2.10");
    EXPECT_EQ(driver().NormalCaption(), L"Mirulo\u3000ver.2.10");
    EXPECT_EQ(driver().BusinessCaption(), L"画面キャプチャツール\u3000ver.2.10");
    EXPECT_EQ(driver().ExtendedStyleAtStart(), ::GetWindowLongPtrW(window->hwnd(), GWL_EXSTYLE));
    EXPECT_EQ(window->pager().ActivePageIndex(), 0);
}

TEST_F(MainWindow, OpensCentredInTheWorkArea) {
    Start();
    RECT work{}, frame{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::GetWindowRect(window->hwnd(), &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    EXPECT_EQ(frame.top, static_cast<int>(std::floor((work.bottom - work.top) / 2.0 - height / 2.0)));
    EXPECT_EQ(frame.left, static_cast<int>(std::floor((work.right - work.left) / 2.0 - width / 2.0)));
    RECT client{};
    ::GetClientRect(window->hwnd(), &client);
    EXPECT_EQ(client.right, ::MulDiv(407, static_cast<int>(window->dpi()), 96));
    EXPECT_EQ(client.bottom, ::MulDiv(513, static_cast<int>(window->dpi()), 96));
}

TEST_F(MainWindow, ClosingDestroysTheWindowAndEndsTheMessageLoop) {
    Start();
    HWND hwnd = window->hwnd();
    window->ShowFirstTime();
    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    MSG msg{};
    bool quit = false;
    const ULONGLONG until = ::GetTickCount64() + 5000;
    while (!quit && ::GetTickCount64() < until) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                break;
            }
            ::DispatchMessageW(&msg);
        }
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(MainWindow, TheCloseButtonOnTheTabStripClosesTheWindow) {
    Start();
    HWND hwnd = window->hwnd();
    ::SendMessageW(driver().CloseButton().hwnd(), BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    MSG msg{};
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace
