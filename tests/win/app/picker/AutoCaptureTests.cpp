// The auto-capture with the real message loop: when the first tick comes, how
// often ticks capture, how it switches itself off, and the hidden unit switch.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "platform/Wide.h"
#include "support/ModalScript.h"
#include "support/MainWindowTest.h"
#include "win/app/picker/PickerTestHost.h"

using namespace mirulo;
using testkit::PumpFor;

namespace {

constexpr wchar_t kNoFolder[] = L"スクリーンショット保存フォルダが未指定または存在しません。\n\r["
                                L"保存フォルダ設定]ボタンで指定してください。";
constexpr wchar_t kNoRange[] = L"撮影範囲が未指定です。\n\r[スクショ範囲指定]を行ってください。";
constexpr wchar_t kToSeconds[] =
    L"自動スクショの単位を「秒」に変更しました。\n\r\n\r【注意】\n\rパソコン性能によっては高負荷により操作不"
    L"能になるか"
    L"もしれまんせん。\n\rもしそうなった場合は、ミルロの設定をリセットするために、パソコンを再起動（もしくは"
    L"電源ボタン長"
    L"押しして強制停止）し、再起動後にミルロフォルダ内のファイル「ユーザー設定」を削除してください。";
constexpr wchar_t kToMinutes[] = L"自動スクショの単位を「分」に戻しました。";

std::size_t CountEndingIn(const std::wstring& folder, const std::wstring& suffix) {
    std::size_t count = 0;
    for (const std::wstring& name : testkit::FolderNames(folder)) {
        count += name.ends_with(suffix) ? 1 : 0;
    }
    return count;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class AutoCapture : public testkit::MainWindowTest {
protected:
    AutoCapture() { MakeSaveFolder(); }

    void Start(const std::string& extraSettings) {
        MainWindowTest::Start(SaveFolderLine() + extraSettings);
        ASSERT_TRUE(host.Messages().empty());
    }

    testkit::PickerTestHost& picker = UseHost<testkit::PickerTestHost>();
};

TEST_F(AutoCapture, TickingTheBoxWaitsAFullPeriodThenCapturesAboutOnceASecond) {
    Start("blTimerSecMode=1\r\nTimerNumber=0\r\nX=0\r\nY=0\r\nW=40\r\nH=30\r\n");
    EXPECT_EQ(driver().AutoCaptureTimer().Interval(), 1000u);
    EXPECT_FALSE(driver().AutoCaptureTimer().Enabled());
    testkit::ClickTo(driver().AutoCaptureBox(), true);
    EXPECT_TRUE(driver().AutoCaptureTimer().Enabled());
    EXPECT_TRUE(Contains(StoredSettings(), "\r\nTimerEnabled=1\r\n"));
    PumpFor(500);
    EXPECT_EQ(CountEndingIn(saves, L"_固T.png"), 0u) << "no capture at once";
    PumpFor(4000);
    const std::size_t captured = CountEndingIn(saves, L"_固T.png");
    EXPECT_GE(captured, 2u);
    EXPECT_LE(captured, 5u);
    EXPECT_TRUE(host.Messages().empty());

    testkit::ClickTo(driver().AutoCaptureBox(), false);
    EXPECT_FALSE(driver().AutoCaptureTimer().Enabled());
    PumpFor(1500);
    EXPECT_EQ(CountEndingIn(saves, L"_固T.png"), captured);
}

TEST_F(AutoCapture, ATickWithNothingToCaptureShowsOneMessageAndSwitchesOff) {
    struct Case {
        const char* what;
        const char* range;
        bool removeFolder;
        const wchar_t* message;
    };
    const Case cases[] = {
        {"no fixed range", "", false, kNoRange},
        {"save folder removed", "X=0\r\nY=0\r\nW=10\r\nH=10\r\n", true, kNoFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window.reset();
        host.calls.clear();
        ::CreateDirectoryW(saves.c_str(), nullptr);
        Start(std::string("blTimerSecMode=1\r\nTimerNumber=0\r\nTimerEnabled=1\r\n") + c.range);
        ASSERT_TRUE(driver().AutoCaptureTimer().Enabled());
        if (c.removeFolder) {
            testkit::RemoveFolderTree(saves);
        }
        // The box stays open for three periods, as when nobody is at the machine.
        picker.messageOpenMs = 3500;
        PumpFor(1800);
        picker.messageOpenMs = 0;
        PumpFor(1500);
        EXPECT_EQ(host.Messages(), std::vector<std::wstring>{c.message});
        EXPECT_FALSE(driver().AutoCaptureTimer().Enabled());
        EXPECT_FALSE(driver().AutoCaptureBox().Checked());
        EXPECT_FALSE(driver().AutoCapturePeriodList().Enabled());
        EXPECT_FALSE(driver().AutoCaptureUnitLabel().Enabled());
        EXPECT_FALSE(driver().AutoCaptureUnitSwitch().Enabled());
        EXPECT_TRUE(Contains(StoredSettings(), "\r\nTimerEnabled=0\r\n"));
    }
}

TEST_F(AutoCapture, AFixedRangeHotKeyWithoutARangeSwitchesOffAndWritesEvenWhenAlreadyOff) {
    Start("");
    ASSERT_TRUE(::DeleteFileW(SettingsPath().c_str()));
    driver().StartCapture(capture::kFixedByHotKey);
    EXPECT_EQ(host.Messages(), std::vector<std::wstring>{kNoRange});
    EXPECT_TRUE(Contains(StoredSettings(), "\r\nTimerEnabled=0\r\n"));
}

TEST_F(AutoCapture, AStoredPeriodOutsideTheListFallsBackToFourAndIsWrittenBack) {
    for (const char* stored : {"14", "-1", "99999"}) {
        SCOPED_TRACE(stored);
        window.reset();
        Start(std::string("TimerNumber=") + stored + "\r\nTimerEnabled=1\r\n");
        EXPECT_EQ(driver().AutoCapturePeriodList().ItemIndex(), 3);
        EXPECT_EQ(driver().AutoCaptureTimer().Interval(), 240000u);
        EXPECT_TRUE(driver().AutoCaptureTimer().Enabled());
        EXPECT_TRUE(Contains(StoredSettings(), "\r\nTimerNumber=3\r\n"));
    }
}

// Real presses on "単位切替": Shift is read from the keyboard's state at the press.
class UnitSwitch : public AutoCapture {
protected:
    void Key(WORD key, bool down) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        ::SendInput(1, &input, sizeof(input));
    }

    void ClickLabel(bool right, bool shift) {
        RECT r{};
        ::GetWindowRect(driver().AutoCaptureUnitSwitch().hwnd(), &r);
        ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PumpFor(100);
        if (shift) {
            Key(VK_SHIFT, true);
            PumpFor(100);
        }
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
        ::SendInput(1, &input, sizeof(input));
        PumpFor(250);
        input.mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
        ::SendInput(1, &input, sizeof(input));
        PumpFor(100);
        if (shift) {
            Key(VK_SHIFT, false);
        }
        PumpFor(150);
    }

    void ShowSettingsPage() {
        window->pager().SetActivePageIndex(2);
        ::SetWindowPos(window->hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetForegroundWindow(window->hwnd());
        PumpFor(300);
    }
};

TEST_F(UnitSwitch, OnlyARightPressWithShiftSwitchesTheUnitAndBackToMinutesKeepsTheEntry) {
    Start("TimerNumber=0\r\n");
    ShowSettingsPage();
    ClickLabel(true, true); // the label is disabled while the box is unticked
    EXPECT_FALSE(window->CurrentSettings().autoCaptureInSeconds);

    testkit::ClickTo(driver().AutoCaptureBox(), true);
    ClickLabel(true, false);
    ClickLabel(false, true);
    EXPECT_FALSE(window->CurrentSettings().autoCaptureInSeconds);
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(driver().AutoCaptureTimer().Interval(), 60000u);

    ClickLabel(true, true);
    EXPECT_TRUE(window->CurrentSettings().autoCaptureInSeconds);
    EXPECT_EQ(driver().AutoCaptureUnitLabel().Caption(), L"秒毎");
    EXPECT_EQ(driver().AutoCaptureUnitLabel().textColor, RGB(255, 0, 0));
    EXPECT_EQ(driver().AutoCaptureTimer().Interval(), 1000u);
    EXPECT_EQ(host.Messages(), std::vector<std::wstring>{kToSeconds});
    EXPECT_TRUE(Contains(StoredSettings(), "\r\nblTimerSecMode=1\r\n"));

    ClickLabel(true, true);
    EXPECT_FALSE(window->CurrentSettings().autoCaptureInSeconds);
    EXPECT_EQ(driver().AutoCaptureUnitLabel().Caption(), L"分毎");
    EXPECT_EQ(driver().AutoCaptureUnitLabel().textColor, CLR_INVALID);
    EXPECT_EQ(driver().AutoCapturePeriodList().ItemIndex(), 0);
    EXPECT_EQ(driver().AutoCaptureTimer().Interval(), 60000u);
    EXPECT_EQ(host.Messages(), (std::vector<std::wstring>{kToSeconds, kToMinutes}));
    EXPECT_TRUE(Contains(StoredSettings(), "\r\nblTimerSecMode=0\r\n"));
    EXPECT_TRUE(driver().AutoCaptureTimer().Enabled());
}

} // namespace
