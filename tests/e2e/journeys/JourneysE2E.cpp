// Whole user journeys on the real program: the window in the notification area
// while the keys and the auto-capture keep working, and coming back to it.
// Each journey keeps pictures of its key moments in build/screens.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "support/Desktop.h"
#include "support/MiruloProcess.h"
#include "support/TempFolder.h"

using namespace mirulo::testkit;

namespace {

constexpr wchar_t kMainClass[] = L"Tfm_Mirulo";

std::string Ascii(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        out.push_back(static_cast<char>(c)); // the test folders' paths are ASCII
    }
    return out;
}

// The picture list's entries, top first: the list box whose entries are picture files.
std::vector<std::wstring> PictureListEntries(HWND window) {
    std::vector<std::wstring> entries;
    struct Search {
        std::vector<std::wstring>* entries;
    } search{&entries};
    ::EnumChildWindows(
        window,
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            wchar_t name[32] = {};
            ::GetClassNameW(hwnd, name, 32);
            if (_wcsicmp(name, L"ListBox") != 0) {
                return TRUE;
            }
            std::vector<std::wstring> items;
            const auto count = ::SendMessageW(hwnd, LB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < count; ++i) {
                std::wstring item(static_cast<std::size_t>(::SendMessageW(hwnd, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)) + 1,
                                  L'\0');
                item.resize(static_cast<std::size_t>(
                    ::SendMessageW(hwnd, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()))));
                items.push_back(item);
            }
            const bool pictures = !items.empty() && (items[0].ends_with(L".png") || items[0].ends_with(L".jpg"));
            if (pictures) {
                *reinterpret_cast<Search*>(lParam)->entries = items;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return entries;
}

class Journey : public ::testing::Test {
protected:
    HWND Start(const std::string& settings) {
        exe_ = InstallProgramCopy(folder_.path());
        ::CreateDirectoryW(saves_.c_str(), nullptr);
        WriteFileBytes(folder_ / L"Mirulo.exe_ユーザー設定.ini",
                       "\xEF\xBB\xBF[System]\r\nFolder=" + Ascii(saves_) + "\r\n" + settings);
        process_ = std::make_unique<MiruloProcess>(exe_);
        return WaitForWindow(kMainClass, process_->id(), 30000);
    }

    std::optional<RECT> WaitForIcon() const {
        std::optional<RECT> icon;
        WaitUntil([&] { return (icon = DockedTrayIcon(process_->id())).has_value(); }, 6000);
        return icon;
    }

    void TearDown() override {
        if (process_) {
            if (HWND window = WaitForWindow(kMainClass, process_->id(), 0)) {
                ::PostMessageW(window, WM_CLOSE, 0, 0);
                process_->WaitForExit(10000);
            }
        }
    }

    TempFolder folder_{L"mirulo-journey"};
    std::wstring saves_ = folder_ / L"shots";
    std::wstring exe_;
    std::unique_ptr<MiruloProcess> process_;
};

TEST_F(Journey, StartedInTheTrayAHotKeyCapturesAndTheIconBringsTheWindowBackWithTheNewPictureOnTop) {
    // Hot key 3 is "なし" + "F5".
    HWND window = Start("chk_Minimized=1\r\nchk_TrayIcon=1\r\nKey3Number=6\r\nKey3AddNumber=0\r\n");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(window); }, 5000)) << "the window did not hide";
    ASSERT_TRUE(WaitForIcon().has_value()) << "no icon docked; windows:\n" << DescribeVisibleWindows();
    KeepScreenshot(L"journey-tray-1-hidden");

    std::wstring why;
    ASSERT_TRUE(XDoTool(L"key F5", &why)) << why;
    ASSERT_TRUE(WaitUntil([&] { return FilesEndingIn(saves_, L"_全K.png").size() == 1; }, 10000))
        << "no full-screen picture from the hot key while hidden";
    const std::wstring picture = FilesEndingIn(saves_, L"_全K.png")[0];
    EXPECT_FALSE(::IsWindowVisible(window)) << "a full-screen capture leaves the window where it was";
    EXPECT_EQ(FindMessageBox(process_->id()), nullptr);

    // The icon may have been docked again meanwhile: click where it is now.
    const std::optional<RECT> icon = WaitForIcon();
    ASSERT_TRUE(icon.has_value()) << DescribeVisibleWindows();
    ASSERT_TRUE(ClickAt((icon->left + icon->right) / 2, (icon->top + icon->bottom) / 2));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) && !::IsIconic(window); }, 5000))
        << "the click on the icon did not bring the window back";
    std::vector<std::wstring> entries;
    EXPECT_TRUE(WaitUntil([&] { return !(entries = PictureListEntries(window)).empty(); }, 5000));
    ASSERT_FALSE(entries.empty()) << "the picture list is empty";
    EXPECT_NE(entries[0].find(picture.substr(0, picture.size() - 4)), std::wstring::npos)
        << "top of the list: " << std::string(entries[0].begin(), entries[0].end());
    EXPECT_EQ(entries.size(), 1u);
    ::Sleep(300);
    KeepScreenshot(L"journey-tray-2-back-with-the-picture");
}

TEST_F(Journey, AutoCaptureInSecondsKeepsCapturingFromTheTrayAndStopsWhenSwitchedOff) {
    // A fixed range, the period list on "1", the tray on; the user does the rest.
    HWND window = Start("chk_TrayIcon=1\r\nX=0\r\nY=0\r\nW=80\r\nH=60\r\nTimerNumber=0\r\nTimerEnabled=0\r\n");
    ASSERT_NE(window, nullptr);
    ::Sleep(500);
    std::wstring why;

    // Page "設定２" by its tab, as a user clicks it: the tabs sit at the strip's left, about 70 px each.
    HWND pager = ::FindWindowExW(window, nullptr, L"MiruloTabPager", nullptr);
    ASSERT_NE(pager, nullptr);
    const int dpi = static_cast<int>(::GetDpiForWindow(window));
    POINT tab{::MulDiv(30 + 2 * 70, dpi, 96), ::MulDiv(12, dpi, 96)};
    ::ClientToScreen(pager, &tab);
    ASSERT_TRUE(ClickAt(tab.x, tab.y));

    HWND timerBox = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (timerBox = FindControl(window, L"Button", L"自動スクショ")) != nullptr &&
                                       ::IsWindowVisible(timerBox); },
                          3000))
        << "the auto-capture box is not shown";
    ASSERT_TRUE(ClickOn(timerBox));
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(timerBox, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 3000));

    // Seconds: Shift with a right click on the unit switch, then the warning answered.
    HWND unitSwitch = FindControl(window, L"Static", L"単位切替");
    ASSERT_NE(unitSwitch, nullptr);
    RECT r{};
    ::GetWindowRect(unitSwitch, &r);
    ASSERT_TRUE(XDoTool(L"mousemove " + std::to_wstring((r.left + r.right) / 2) + L" " +
                            std::to_wstring((r.top + r.bottom) / 2) + L" keydown shift click 3 keyup shift",
                        &why))
        << why;
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindMessageBox(process_->id())) != nullptr; }, 5000))
        << "no warning about seconds";
    EXPECT_EQ(MessageBoxText(box).rfind(L"自動スクショの単位を「秒」に変更しました。", 0), 0u);
    KeepScreenshot(L"journey-auto-1-seconds-warning");
    AnswerMessageBox(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return FindMessageBox(process_->id()) == nullptr; }, 3000));
    EXPECT_TRUE(FindControl(window, L"Static", L"秒毎") != nullptr);

    // Into the notification area with the minimise button, an icon button of the tab strip right of the tabs.
    POINT button{::MulDiv(361 + 10, dpi, 96), ::MulDiv(12, dpi, 96)};
    HWND minimise = ::ChildWindowFromPoint(pager, button);
    ASSERT_TRUE(minimise != nullptr && minimise != pager) << "no minimise button on the strip";
    ASSERT_TRUE(ClickOn(minimise));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(window); }, 5000)) << "the window did not hide";
    std::optional<RECT> icon = WaitForIcon();
    ASSERT_TRUE(icon.has_value()) << DescribeVisibleWindows();

    const std::size_t atHiding = FilesEndingIn(saves_, L"_固T.png").size();
    ::Sleep(4500);
    const std::size_t whileHidden = FilesEndingIn(saves_, L"_固T.png").size();
    EXPECT_GE(whileHidden, atHiding + 3) << "one picture a second while in the tray";
    EXPECT_EQ(FindMessageBox(process_->id()), nullptr);
    KeepScreenshot(L"journey-auto-2-in-the-tray");

    icon = WaitForIcon();
    ASSERT_TRUE(icon.has_value());
    ASSERT_TRUE(ClickAt((icon->left + icon->right) / 2, (icon->top + icon->bottom) / 2));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) && !::IsIconic(window); }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(timerBox) != FALSE; }, 3000));
    ASSERT_TRUE(ClickOn(timerBox));
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(timerBox, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, 3000));
    ::Sleep(300); // a tick already on its way may still land
    const std::size_t atSwitchOff = FilesEndingIn(saves_, L"_固T.png").size();
    ::Sleep(3000);
    EXPECT_EQ(FilesEndingIn(saves_, L"_固T.png").size(), atSwitchOff) << "pictures after the switch-off";
    KeepScreenshot(L"journey-auto-3-switched-off");

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(process_->WaitForExit(10000), std::optional<DWORD>(0u));
    const std::string settings = ReadFileBytes(folder_ / L"Mirulo.exe_ユーザー設定.ini");
    EXPECT_NE(settings.find("TimerEnabled=0"), std::string::npos);
    EXPECT_NE(settings.find("blTimerSecMode=1"), std::string::npos);
}

} // namespace
