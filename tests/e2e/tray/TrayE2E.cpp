// Hiding in the notification area and coming back, starting minimised, and
// dragging the window by its tab strip, on the real program with the display's
// own tray and mouse.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/Desktop.h"
#include "support/MiruloProcess.h"
#include "support/TempFolder.h"

using namespace mirulo::testkit;

namespace {

constexpr wchar_t kMainClass[] = L"Tfm_Mirulo";
constexpr wchar_t kTrayMessageClass[] = L"MiruloTrayIcon";
constexpr LONG_PTR kHiddenExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;

class Tray : public ::testing::Test {
protected:
    HWND Start(const std::string& settings) {
        exe_ = InstallProgramCopy(folder_.path());
        WriteFileBytes(folder_ / L"Mirulo.exe_ユーザー設定.ini", "\xEF\xBB\xBF[System]\r\n" + settings);
        process_ = std::make_unique<MiruloProcess>(exe_);
        HWND window = WaitForWindow(kMainClass, process_->id(), 30000);
        return window;
    }

    // Our program's hidden window that the shell reports the icon's clicks to.
    HWND TrayMessageWindow() const {
        HWND found = nullptr;
        while ((found = ::FindWindowExW(nullptr, found, kTrayMessageClass, nullptr)) != nullptr) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(found, &process);
            if (process == process_->id()) {
                return found;
            }
        }
        return nullptr;
    }

    void TearDown() override {
        if (process_) {
            if (HWND window = WaitForWindow(kMainClass, process_->id(), 0)) {
                ::PostMessageW(window, WM_CLOSE, 0, 0);
                process_->WaitForExit(10000);
            }
        }
    }

    TempFolder folder_{L"mirulo-tray"};
    std::wstring exe_;
    std::unique_ptr<MiruloProcess> process_;
};

// The system adds WS_EX_WINDOWEDGE to every window with a caption.
LONG_PTR ExStyle(HWND window) {
    return ::GetWindowLongPtrW(window, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_WINDOWEDGE);
}

TEST_F(Tray, StartsMinimisedIntoTheNotificationAreaAndAClickOnTheIconBringsItBack) {
    HWND window = Start("chk_Minimized=1\r\nchk_TrayIcon=1\r\n");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(::IsWindowVisible(window)) << "the window shows first";
    const LONG_PTR shownStyle = ExStyle(window);
    EXPECT_NE(shownStyle, kHiddenExStyle);

    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(window); }, 5000)) << "the window did not hide";
    EXPECT_TRUE(::IsIconic(window));
    // The program hides the window, then makes it a tool window: seen from
    // here, the two steps can be a moment apart.
    EXPECT_TRUE(WaitUntil([&] { return ExStyle(window) == kHiddenExStyle; }, 2000))
        << std::hex << ExStyle(window);
    std::optional<RECT> icon;
    ASSERT_TRUE(WaitUntil([&] { return (icon = DockedTrayIcon(process_->id())).has_value(); }, 5000))
        << "no icon docked in the tray; windows:\n"
        << DescribeVisibleWindows();

    ClickAt((icon->left + icon->right) / 2, (icon->top + icon->bottom) / 2);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) && !::IsIconic(window); }, 5000))
        << "the click at the icon (" << icon->left << "," << icon->top << "-" << icon->right << ","
        << icon->bottom << ") did not bring the window back; windows:\n"
        << DescribeVisibleWindows();
    // The click is handled to its end a moment after the window shows.
    EXPECT_TRUE(WaitUntil([&] { return ExStyle(window) == shownStyle; }, 2000))
        << std::hex << ExStyle(window);
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == window; }, 2000)) << "not in front";
    EXPECT_FALSE((ExStyle(window) & WS_EX_TOPMOST) != 0) << "the window stays above every other";
    EXPECT_TRUE(WaitUntil([&] { return !DockedTrayIcon(process_->id()).has_value(); }, 5000))
        << "the icon stays";
}

TEST_F(Tray, StartsMinimisedOnTheTaskBarWithoutTheTrayOption) {
    HWND window = Start("chk_Minimized=1\r\nchk_TrayIcon=0\r\n");
    ASSERT_NE(window, nullptr);
    const LONG_PTR shownStyle = ExStyle(window);
    ASSERT_TRUE(WaitUntil([&] { return ::IsIconic(window) != FALSE; }, 5000)) << "not minimised";
    ::Sleep(500);
    EXPECT_TRUE(::IsWindowVisible(window)) << "a minimised window keeps its task-bar button";
    EXPECT_EQ(ExStyle(window), shownStyle);
    EXPECT_FALSE(DockedTrayIcon(process_->id()).has_value());
}

TEST_F(Tray, AShellThatStartsAgainGetsTheIconBackAndItsClickStillRestores) {
    HWND window = Start("chk_Minimized=1\r\nchk_TrayIcon=1\r\n");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return DockedTrayIcon(process_->id()).has_value(); }, 6000));

    // What a restarted shell knows of the icon: nothing.
    NOTIFYICONDATAW forget{};
    forget.cbSize = sizeof(forget);
    forget.hWnd = TrayMessageWindow();
    forget.uID = 1;
    ASSERT_NE(forget.hWnd, nullptr);
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &forget));
    ASSERT_TRUE(WaitUntil([&] { return !DockedTrayIcon(process_->id()).has_value(); }, 5000));

    ::PostMessageW(HWND_BROADCAST, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    std::optional<RECT> icon;
    ASSERT_TRUE(WaitUntil([&] { return (icon = DockedTrayIcon(process_->id())).has_value(); }, 5000))
        << "the icon was not added again";
    EXPECT_FALSE(::IsWindowVisible(window));

    ClickAt((icon->left + icon->right) / 2, (icon->top + icon->bottom) / 2);
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) && !::IsIconic(window); }, 5000));
}

TEST_F(Tray, ALeftDragOnTheTabStripMovesTheWindowByTheDragAndARightPressDoesNot) {
    HWND window = Start("");
    ASSERT_NE(window, nullptr);
    ::Sleep(500);
    RECT before{};
    ::GetWindowRect(window, &before);
    // A point of the strip right of the tabs, left of the minimise button.
    POINT strip{300, 10};
    const UINT dpi = ::GetDpiForWindow(window);
    strip = {::MulDiv(strip.x, static_cast<int>(dpi), 96), ::MulDiv(strip.y, static_cast<int>(dpi), 96)};
    ::ClientToScreen(window, &strip);

    ASSERT_TRUE(XDoTool(L"mousemove " + std::to_wstring(strip.x) + L" " + std::to_wstring(strip.y) +
                        L" mousedown 3 sleep 0.2 mousemove " + std::to_wstring(strip.x + 60) + L" " +
                        std::to_wstring(strip.y + 40) + L" sleep 0.2 mouseup 3"));
    ::Sleep(300);
    RECT afterRight{};
    ::GetWindowRect(window, &afterRight);
    EXPECT_EQ(afterRight.left, before.left);
    EXPECT_EQ(afterRight.top, before.top);

    ASSERT_TRUE(XDoTool(L"mousemove " + std::to_wstring(strip.x) + L" " + std::to_wstring(strip.y) +
                        L" mousedown 1 sleep 0.3 mousemove " + std::to_wstring(strip.x + 30) + L" " +
                        std::to_wstring(strip.y + 20) + L" sleep 0.3 mousemove " +
                        std::to_wstring(strip.x + 60) + L" " + std::to_wstring(strip.y + 40) +
                        L" sleep 0.3 mouseup 1"));
    RECT after{};
    EXPECT_TRUE(WaitUntil(
        [&] {
            ::GetWindowRect(window, &after);
            return after.left == before.left + 60 && after.top == before.top + 40;
        },
        3000))
        << "moved to " << after.left << "," << after.top << " from " << before.left << "," << before.top;
}

TEST_F(Tray, BothColourModesAreKeptAsPicturesWithTheirCaptions) {
    const struct {
        const char* setting;
        const wchar_t* caption;
        const wchar_t* picture;
    } modes[] = {
        {"cb_IllustNotShow=0\r\n", L"Mirulo\x3000ver.2.10", L"colour-mode-off"},
        {"cb_IllustNotShow=1\r\n", L"画面キャプチャツール\x3000ver.2.10", L"colour-mode-on"},
    };
    for (const auto& mode : modes) {
        HWND window = Start(mode.setting);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return WindowTitle(window) == mode.caption; }, 10000));
        ::Sleep(500);
        EXPECT_TRUE(KeepScreenshot(mode.picture));
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(process_->WaitForExit(10000).has_value());
        process_.reset();
    }
}

} // namespace
