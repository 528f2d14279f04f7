// The main window with the range picker: setting the fixed range, the picked-range
// capture and its buttons, and what a hot key or a tick does while a picker is open.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <span>

#include "capture/RangePicker.h"
#include "image/PngReader.h"
#include "platform/Wide.h"
#include "support/ClipboardHeld.h"
#include "support/Messages.h"
#include "support/ModalScript.h"
#include "support/PatternWindow.h"
#include "support/MainWindowTest.h"
#include "win/app/picker/PickerTestHost.h"

using namespace mirulo;
using capture::fixture::PatternColour;
using capture::fixture::PatternWindow;
using testkit::ClipboardHeld;
using testkit::ModalScript;
using testkit::OwnWindowsOfClass;

namespace {

constexpr wchar_t kNoFolder[] = L"スクリーンショット保存フォルダが未指定または存在しません。\n\r["
                                L"保存フォルダ設定]ボタンで指定してください。";

std::vector<std::wstring> NamesEndingIn(const std::wstring& folder, const std::wstring& suffix) {
    std::vector<std::wstring> names;
    for (const std::wstring& name : testkit::FolderNames(folder)) {
        if (name.ends_with(suffix)) {
            names.push_back(name);
        }
    }
    return names;
}

// The value of `key` in the settings file's text, or "(none)".
std::string IniValue(const std::string& text, const std::string& key) {
    const std::size_t at = text.find("\r\n" + key + "=");
    if (at == std::string::npos) {
        return "(none)";
    }
    const std::size_t start = at + 3 + key.size();
    return text.substr(start, text.find("\r\n", start) - start);
}

// Picks from `from` to `to` on the topmost picker once one is open.
ModalScript::Step PickOnTopmost(POINT from, POINT to) {
    return [from, to] {
        const std::vector<HWND> pickers = OwnWindowsOfClass(capture::kRangePickerClass);
        if (pickers.empty()) {
            return false;
        }
        HWND image = ::FindWindowExW(pickers.front(), nullptr, capture::kRangePictureClass, nullptr);
        ::PostMessageW(image, WM_LBUTTONUP, 0, MAKELPARAM(from.x, from.y));
        ::PostMessageW(image, WM_MOUSEMOVE, 0, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
        ::PostMessageW(image, WM_MOUSEMOVE, 0, MAKELPARAM(to.x, to.y));
        ::PostMessageW(image, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
        return true;
    };
}

ModalScript::Step EscapeOnTopmost() {
    return [] {
        const std::vector<HWND> pickers = OwnWindowsOfClass(capture::kRangePickerClass);
        if (pickers.empty()) {
            return false;
        }
        ::PostMessageW(pickers.front(), WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
    };
}

class PickerFlow : public testkit::MainWindowTest {
protected:
    PickerFlow() { MakeSaveFolder(); }

    void Start(const std::string& extraSettings = "") {
        MainWindowTest::Start(SaveFolderLine() + extraSettings);
        ASSERT_TRUE(host.Messages().empty());
    }

    image::Image Decode(const std::wstring& name) const {
        const std::string bytes = testkit::ReadFileBytes(saves + L"\\" + name);
        return image::DecodePng(
            std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    }

    testkit::PickerTestHost& picker = UseHost<testkit::PickerTestHost>();
};

TEST_F(PickerFlow, SettingTheFixedRangeStoresThePickAndCancellingStillWritesTheOldOne) {
    Start("X=1\r\nY=2\r\nW=3\r\nH=4\r\n");
    EXPECT_EQ(driver().FixedRangeLabel().Caption(), L"[X]1 [Y]2 [幅]3 [高]4");

    bool topmost = false;
    {
        ModalScript script({
            [&] {
                const auto pickers = OwnWindowsOfClass(capture::kRangePickerClass);
                topmost =
                    !pickers.empty() && (::GetWindowLongW(pickers.front(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
                return !pickers.empty();
            },
            PickOnTopmost({300, 200}, {120, 90}),
        });
        driver().SetFixedRangeButton().Click();
    }
    EXPECT_TRUE(topmost) << "the picker for the fixed range stays above every window";
    EXPECT_EQ(window->CurrentSettings().fixedRangeLeft, 120);
    EXPECT_EQ(window->CurrentSettings().fixedRangeTop, 90);
    EXPECT_EQ(window->CurrentSettings().fixedRangeWidth, 180);
    EXPECT_EQ(window->CurrentSettings().fixedRangeHeight, 110);
    EXPECT_EQ(driver().FixedRangeLabel().Caption(), L"[X]120 [Y]90 [幅]180 [高]110");
    const std::string written = StoredSettings();
    EXPECT_EQ(IniValue(written, "X") + "," + IniValue(written, "Y") + "," + IniValue(written, "W") + "," +
                  IniValue(written, "H"),
              "120,90,180,110");
    EXPECT_FALSE(::IsIconic(window->hwnd()));
    EXPECT_TRUE(::IsWindowVisible(window->hwnd()));
    EXPECT_EQ(::GetWindowLongW(window->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "raised, not left topmost";

    ASSERT_TRUE(::DeleteFileW(SettingsPath().c_str()));
    {
        ModalScript script({EscapeOnTopmost()});
        driver().SetFixedRangeButton().Click();
    }
    EXPECT_EQ(driver().FixedRangeLabel().Caption(), L"[X]120 [Y]90 [幅]180 [高]110");
    ASSERT_TRUE(testkit::FileExists(SettingsPath())) << "a cancelled picking writes the settings too";
    EXPECT_EQ(IniValue(StoredSettings(), "W"), "180");
    EXPECT_TRUE(NamesEndingIn(saves, L".png").empty());
}

TEST_F(PickerFlow, APickedCaptureSavesTheRectangleOfTheFrozenPictureAndShowsTheFirstPage) {
    // The sound is on but no sound file is there: a capture that saved a picture
    // says so when it tries to play.
    Start("ToClipboard2Enabled=1\r\nSoundEnabled=1\r\n");
    PatternWindow pattern(300, 200, 64, 48);
    testkit::PumpMessages();
    const RECT at = pattern.rect();
    const POINT corner{at.left - ::GetSystemMetrics(SM_XVIRTUALSCREEN),
                       at.top - ::GetSystemMetrics(SM_YVIRTUALSCREEN)};
    window->pager().SetActivePageIndex(2);
    ASSERT_TRUE(::OpenClipboard(window->hwnd()));
    ::EmptyClipboard();
    ::CloseClipboard();

    ModalScript script({PickOnTopmost({corner.x + 50, corner.y + 40}, {corner.x + 10, corner.y + 5})});
    driver().StartCapture(capture::kPickedByHotKey);

    const auto saved = NamesEndingIn(saves, L"_指K.png");
    ASSERT_EQ(saved.size(), 1u);
    const image::Image picture = Decode(saved[0]);
    ASSERT_EQ(picture.width, 40u);
    ASSERT_EQ(picture.height, 35u);
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            const std::uint8_t* p = picture.row(y) + x * 3;
            const std::uint32_t rgb = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
            ASSERT_EQ(rgb, PatternColour(static_cast<int>(x) + 10, static_cast<int>(y) + 5)) << x << "," << y;
        }
    }
    EXPECT_EQ(host.Messages().size(), 1u) << "the capture sound was due";
    EXPECT_EQ(window->pager().ActivePageIndex(), 0);
    ASSERT_EQ(driver().PictureList().Count(), 1);
    EXPECT_EQ(driver().PictureList().ItemIndex(), 0);
    EXPECT_TRUE(OwnWindowsOfClass(capture::kRangePickerClass).empty());
    ASSERT_TRUE(::OpenClipboard(window->hwnd()));
    BITMAP copied{};
    if (auto bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP))) {
        ::GetObjectW(bitmap, sizeof(copied), &copied);
    }
    ::CloseClipboard();
    EXPECT_EQ(copied.bmWidth, 40);
    EXPECT_EQ(copied.bmHeight, 35);
}

TEST_F(PickerFlow, EscapeSavesNothingYetRefreshesTheListShowsTheFirstPageAndDropsTheDelay) {
    Start("SoundEnabled=1\r\n");
    testkit::WriteFileBytes(saves + L"\\20240101_000000_000_全K.png", "not looked at");
    window->pager().SetActivePageIndex(3);
    driver().CaptureDelay() = 3000;
    ModalScript script({EscapeOnTopmost()});
    driver().StartCapture(capture::kPickedByHotKey);
    EXPECT_EQ(testkit::FolderNames(saves).size(), 1u);
    EXPECT_TRUE(host.Messages().empty()) << "no capture sound: nothing was saved";
    EXPECT_EQ(driver().PictureList().Count(), 1) << "the list refresh runs after a cancel too";
    EXPECT_EQ(window->pager().ActivePageIndex(), 0);
    EXPECT_EQ(driver().CaptureDelay(), 0) << "the next capture must not wait for a delay nobody used";
    EXPECT_TRUE(host.CallsOf(platform::HostCall::Kind::Sleep).empty());
}

TEST_F(PickerFlow, TheDelayedButtonsWaitAfterPickingAndAMissingFolderDropsTheDelayUntouched) {
    Start();
    {
        ModalScript script({PickOnTopmost({10, 10}, {30, 20})});
        driver().PickedRangeIn3sButton().Click();
    }
    std::vector<DWORD> sleeps;
    for (const auto& call : host.CallsOf(platform::HostCall::Kind::Sleep)) {
        sleeps.push_back(call.flags);
    }
    EXPECT_EQ(sleeps, (std::vector<DWORD>{200, 3000, 200}));
    EXPECT_EQ(NamesEndingIn(saves, L"_指B.png").size(), 1u);
    EXPECT_EQ(driver().CaptureDelay(), 0);
    EXPECT_FALSE(::IsIconic(window->hwnd()));
    EXPECT_TRUE(::IsWindowVisible(window->hwnd()));

    testkit::RemoveFolderTree(saves);
    host.calls.clear();
    driver().PickedRangeIn10sButton().Click();
    EXPECT_EQ(host.Messages(), std::vector<std::wstring>{kNoFolder});
    EXPECT_EQ(driver().CaptureDelay(), 0);
    EXPECT_TRUE(host.CallsOf(platform::HostCall::Kind::Sleep).empty());
    EXPECT_FALSE(::IsIconic(window->hwnd()));
}

TEST_F(PickerFlow, AHotKeyAndATickWhileAPickerIsOpenCaptureAndLeaveNoPickerBehind) {
    // Hot key 2: Alt+F9; auto-capture on with a fixed range.
    Start("Key2Number=10\r\nKey2AddNumber=3\r\nX=0\r\nY=0\r\nW=32\r\nH=16\r\nTimerEnabled=1\r\n");
    ASSERT_NE(driver().HotKeyId(2), 0);
    const HWND main = window->hwnd();
    const WPARAM hotKey = static_cast<WPARAM>(driver().HotKeyId(2));
    std::size_t pickersAtOnce = 0;
    ModalScript script({
        [&] {
            if (OwnWindowsOfClass(capture::kRangePickerClass).empty()) {
                return false;
            }
            ::PostMessageW(main, WM_TIMER, 1, 0); // the auto-capture's tick
            ::PostMessageW(main, WM_HOTKEY, hotKey, 0);
            return true;
        },
        [&] {
            pickersAtOnce = std::max(pickersAtOnce, OwnWindowsOfClass(capture::kRangePickerClass).size());
            return pickersAtOnce == 2;
        },
        PickOnTopmost({5, 5}, {25, 15}),
        [] { return OwnWindowsOfClass(capture::kRangePickerClass).size() == 1; },
        PickOnTopmost({40, 40}, {10, 20}),
    });
    driver().StartCapture(capture::kPickedByButton);

    EXPECT_TRUE(script.finished());
    EXPECT_EQ(pickersAtOnce, 2u) << "hot key 2 opens a second picker over the first";
    EXPECT_EQ(::FindWindowW(capture::kRangePickerClass, nullptr), nullptr) << "every picker is destroyed";
    EXPECT_EQ(NamesEndingIn(saves, L"_固T.png").size(), 1u);
    EXPECT_EQ(NamesEndingIn(saves, L"_指K.png").size(), 2u)
        << "the hot key's code stays for the outer capture";
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_TRUE(::IsWindowEnabled(main));
}

// The tick's capture runs inside the picking; the picture picked afterwards is
// still the hot key's, under its own code.
TEST_F(PickerFlow, ATickDuringThePickingLeavesThePickedPictureItsCode) {
    Start("X=0\r\nY=0\r\nW=32\r\nH=16\r\nTimerEnabled=1\r\n");
    const HWND main = window->hwnd();
    ModalScript script({
        [&] {
            if (OwnWindowsOfClass(capture::kRangePickerClass).empty()) {
                return false;
            }
            ::PostMessageW(main, WM_TIMER, 1, 0);
            return true;
        },
        [&] { return !NamesEndingIn(saves, L"_固T.png").empty(); },
        PickOnTopmost({5, 5}, {25, 15}),
    });
    driver().StartCapture(capture::kPickedByHotKey);
    driver().AutoCaptureTimer().SetEnabled(false);

    EXPECT_TRUE(script.finished());
    EXPECT_EQ(NamesEndingIn(saves, L"_固T.png").size(), 1u);
    EXPECT_EQ(NamesEndingIn(saves, L"_指K.png").size(), 1u) << "the picked picture is saved as a picked one";
    EXPECT_TRUE(host.Messages().empty());
}

// A held clipboard costs the clipboard copy only: the picked picture is saved
// and everything that follows a picking runs, as for the other captures.
TEST_F(PickerFlow, AHeldClipboardStillRunsEveryStepAfterThePickedSave) {
    Start("ToClipboard2Enabled=1\r\nSoundEnabled=1\r\n");
    driver().CreateViewer();
    window->pager().SetActivePageIndex(2);
    ::ShowWindow(window->hwnd(), SW_MINIMIZE);
    ::ShowWindow(window->hwnd(), SW_RESTORE);
    std::optional<std::string> thrown;
    {
        ClipboardHeld held;
        ASSERT_TRUE(held.holding());
        ModalScript script({PickOnTopmost({10, 10}, {50, 40})});
        try {
            driver().StartCapture(capture::kPickedByHotKey);
        } catch (const capture::ClipboardError& error) {
            thrown = error.what();
        }
    }
    ASSERT_TRUE(thrown.has_value()) << "the clipboard's failure is still reported";
    const auto saved = NamesEndingIn(saves, L"_指K.png");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(host.Messages().size(), 1u) << "the capture sound was due";
    ASSERT_EQ(driver().PictureList().Count(), 1) << "the list is refreshed";
    EXPECT_EQ(driver().PictureList().Item(0), saved[0]);
    EXPECT_EQ(window->pager().ActivePageIndex(), 0);
    EXPECT_NE(driver().StatusText().find(saved[0]), std::wstring::npos) << "the viewer shows the new picture";
    EXPECT_FALSE(::IsIconic(window->hwnd()));
    EXPECT_TRUE(::IsWindowVisible(window->hwnd()));
}

} // namespace
