// The tray icon's click and shell calls, a minimise with no notification area,
// the colour mode's whole table, and the wheel guard, in-process.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <vector>

#include "support/MainWindowTest.h"
#include "support/Messages.h"
#include "ui/TrayIcon.h"

using namespace mirulo;
using testkit::PumpMessages;

namespace {

struct ShellRecord {
    std::vector<DWORD> calls;
    bool succeed = true;
    ui::TrayIcon::ShellCall Call() {
        return [this](DWORD message, NOTIFYICONDATAW& data) {
            calls.push_back(message);
            if (message == NIM_ADD) {
                EXPECT_EQ(data.uCallbackMessage, static_cast<UINT>(WM_USER + 1));
                EXPECT_STREQ(data.szTip, L"ミルロ");
                EXPECT_NE(data.hIcon, nullptr);
            }
            return succeed;
        };
    }
};

TEST(TrayIcon, AClickIsALeftPressAndReleaseOnTheIconAndNothingElse) {
    struct Case {
        const char* name;
        std::vector<UINT> mouse;
        int clicks;
    };
    const Case cases[] = {
        {"press and release", {WM_LBUTTONDOWN, WM_LBUTTONUP}, 1},
        {"moves between", {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}, 1},
        {"release alone", {WM_LBUTTONUP}, 0},
        {"right button", {WM_RBUTTONDOWN, WM_RBUTTONUP}, 0},
        {"right press between", {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONUP}, 0},
        {"second release", {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONUP}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShellRecord shell;
        ui::TrayIcon icon(::LoadIconW(nullptr, IDI_APPLICATION), L"ミルロ");
        icon.ReplaceShellCall(shell.Call());
        int clicks = 0;
        icon.OnClick = [&] { ++clicks; };
        ASSERT_TRUE(icon.Show());
        for (UINT mouse : c.mouse) {
            ::SendMessageW(icon.messageWindow(), ui::TrayIcon::kCallbackMessage, 1, mouse);
        }
        EXPECT_EQ(clicks, c.clicks);
    }
}

TEST(TrayIcon, IsAddedAgainWhenTheShellStartsAgainOnlyWhileShown) {
    ShellRecord shell;
    ui::TrayIcon icon(::LoadIconW(nullptr, IDI_APPLICATION), L"ミルロ");
    icon.ReplaceShellCall(shell.Call());
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");

    ::SendMessageW(icon.messageWindow(), taskbarCreated, 0, 0);
    EXPECT_TRUE(shell.calls.empty());
    ASSERT_TRUE(icon.Show());
    ::SendMessageW(icon.messageWindow(), taskbarCreated, 0, 0);
    icon.Hide();
    ::SendMessageW(icon.messageWindow(), taskbarCreated, 0, 0);
    EXPECT_EQ(shell.calls, (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_DELETE}));
}

// Shown on its page, whether or not that page is the one in front.
bool Shown(const app::Picture& picture) {
    return (::GetWindowLongW(picture.hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
}

class MainWindowTray : public testkit::MainWindowTest {
protected:
    MainWindowTray() {
        Start();
        window->ShowFirstTime();
        PumpMessages();
    }
};

TEST_F(MainWindowTray, WithoutANotificationAreaTheWindowStaysMinimisedOnTheTaskBar) {
    ShellRecord shell;
    shell.succeed = false;
    driver().TrayIcon()->ReplaceShellCall(shell.Call());
    testkit::ClickTo(driver().TrayIconBox(), true);
    const LONG_PTR style = ::GetWindowLongPtrW(window->hwnd(), GWL_EXSTYLE);

    driver().MinimizeButton().Click();
    PumpMessages();
    EXPECT_EQ(shell.calls, std::vector<DWORD>{NIM_ADD});
    EXPECT_TRUE(::IsIconic(window->hwnd()));
    EXPECT_TRUE(::IsWindowVisible(window->hwnd())) << "hidden with no way back";
    EXPECT_EQ(::GetWindowLongPtrW(window->hwnd(), GWL_EXSTYLE), style);
    EXPECT_FALSE(driver().TrayIcon()->Visible());
}

TEST_F(MainWindowTray, TheColourModeSetsItsWholeTableAndIsWritten) {
    struct Mode {
        bool grey;
        COLORREF colour;
        int listTop, listHeight;
        const wchar_t* caption;
        const char* setting;
    };
    const Mode modes[] = {
        {true, 8421504, 4, 395, L"画面キャプチャツール\u3000ver.2.10", "cb_IllustNotShow=1\r\n"},
        {false, 12621236, 49, 350, L"Mirulo\u3000ver.2.10", "cb_IllustNotShow=0\r\n"},
    };
    for (const Mode& mode : modes) {
        SCOPED_TRACE(mode.grey ? "on" : "off");
        testkit::ClickTo(driver().BusinessModeBox(), mode.grey);
        for (int page = 0; page < 4; ++page) {
            EXPECT_EQ(window->pager().Page(page).GradientEnd(), mode.colour) << "page " << page;
            EXPECT_EQ(window->pager().Page(page).PressedTabColor(), mode.colour) << "tab " << page;
        }
        for (app::Picture* picture : {&driver().MainPageIllustration(), &driver().Settings1Illustration(),
                                      &driver().Settings2Illustration(), &driver().Settings3Illustration(),
                                      &driver().Banner(), &driver().Title()}) {
            EXPECT_EQ(Shown(*picture), !mode.grey) << picture->name().data();
        }
        EXPECT_EQ(Shown(driver().BusinessTitle()), mode.grey);
        RECT list{};
        ::GetWindowRect(driver().PictureList().hwnd(), &list);
        ::MapWindowPoints(nullptr, window->pager().Page(0).hwnd(), reinterpret_cast<POINT*>(&list), 2);
        EXPECT_EQ(list.left, window->Scale(4));
        EXPECT_EQ(list.top, window->Scale(mode.listTop));
        EXPECT_EQ(list.right - list.left, window->Scale(319));
        EXPECT_EQ(list.bottom - list.top, window->Scale(mode.listHeight));
        wchar_t caption[64] = {};
        ::GetWindowTextW(window->hwnd(), caption, 64);
        EXPECT_STREQ(caption, mode.caption);
        EXPECT_NE(StoredSettings().find(mode.setting), std::string::npos);
    }
}

// The picture list's colour-mode place is its place from then on: a window moved
// to a monitor of another scale lays it out from there, not from the table.
TEST_F(MainWindowTray, TheColourModeListPlaceSurvivesAChangeOfScale) {
    testkit::ClickTo(driver().BusinessModeBox(), true);
    for (const UINT dpi : {144u, 96u}) {
        SCOPED_TRACE(dpi);
        RECT frame{};
        ::GetWindowRect(window->hwnd(), &frame);
        ::SendMessageW(window->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&frame));
        RECT list{};
        ::GetWindowRect(driver().PictureList().hwnd(), &list);
        ::MapWindowPoints(nullptr, window->pager().Page(0).hwnd(), reinterpret_cast<POINT*>(&list), 2);
        const auto scaled = [dpi](int at96) { return ::MulDiv(at96, static_cast<int>(dpi), 96); };
        EXPECT_EQ(list.top, scaled(4));
        EXPECT_EQ(list.bottom, scaled(399));
    }
}

// A wheel turn as the system delivers it: to the control with the focus, with
// the pointer's place on the screen.
void Wheel(HWND target, HWND pointerOn, int notches) {
    RECT place{};
    ::GetWindowRect(pointerOn, &place);
    const POINT at{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
    ::SetCursorPos(at.x, at.y);
    ::PostMessageW(target, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA * notches), MAKELPARAM(at.x, at.y));
    PumpMessages();
}

TEST_F(MainWindowTray, TheWheelOverASettingListChangesNothingAndElsewhereWorksAsUsual) {
    testkit::ClickTo(driver().AutoCaptureBox(), true);
    window->pager().SetActivePageIndex(2);
    ::SetForegroundWindow(window->hwnd());
    ::SetFocus(driver().AutoCapturePeriodList().hwnd());
    PumpMessages();
    const int index = driver().AutoCapturePeriodList().ItemIndex();
    const std::string written = StoredSettings();

    Wheel(driver().AutoCapturePeriodList().hwnd(), driver().AutoCapturePeriodList().hwnd(), 1);
    EXPECT_EQ(driver().AutoCapturePeriodList().ItemIndex(), index);
    EXPECT_EQ(StoredSettings(), written) << "a swallowed turn wrote the settings";

    // The same turn with the pointer on a label: the focused list moves, as the
    // system makes it (this shows the turn above reached the list's window).
    Wheel(driver().AutoCapturePeriodList().hwnd(), driver().AutoCaptureUnitLabel().hwnd(), 1);
    EXPECT_NE(driver().AutoCapturePeriodList().ItemIndex(), index);

    window->pager().SetActivePageIndex(0);
    for (int i = 0; i < 100; ++i) {
        driver().PictureList().Add(L"picture " + std::to_wstring(i));
    }
    Wheel(driver().PictureList().hwnd(), driver().PictureList().hwnd(), 3);
    EXPECT_GT(::SendMessageW(driver().PictureList().hwnd(), LB_GETTOPINDEX, 0, 0), 0)
        << "the picture list did not scroll";
}

} // namespace
