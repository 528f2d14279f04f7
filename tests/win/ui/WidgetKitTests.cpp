// The widget kit's promises to the handlers: code that sets a box behaves like a
// click, list selections from code stay silent, timers restart on a new
// interval, and a throwing handler costs one error box and nothing else.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/Handles.h"
#include "platform/RecordingHost.h"
#include "ui/Control.h"
#include "ui/Dispatch.h"
#include "ui/Timer.h"
#include "ui/Window.h"
#include "support/Messages.h"

using namespace mirulo;

namespace {

class TestWindow final : public ui::Window {
public:
    explicit TestWindow(platform::Host& host) : ui::Window(host) {
        RegisterWindowClass(L"MiruloWidgetKitTest", 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                            nullptr, nullptr);
        CreateHwnd(L"MiruloWidgetKitTest", 0, WS_OVERLAPPEDWINDOW, L"test", 0, 0, 300, 200, nullptr);
    }
    std::function<void()> onHotKey;
    std::function<void()> onPaint;

protected:
    bool OnPaint() override {
        if (!onPaint) {
            return false;
        }
        onPaint();
        return true;
    }
    void OnHotKey(int, UINT) override {
        if (onHotKey) {
            onHotKey();
        }
    }
};

RECT Place(int x, int y, int w, int h) {
    return RECT{x, y, x + w, y + h};
}

class WidgetKit : public ::testing::Test {
protected:
    platform::RecordingHost host;
    TestWindow window{host};
};

TEST_F(WidgetKit, SettingCheckedFromCodeRunsNoHandlerAndClickRunsItOnce) {
    ui::CheckBox box(L"chk_Test");
    box.Create(window.hwnd(), L"BUTTON", WS_VISIBLE | BS_AUTOCHECKBOX, 0, L"box", Place(0, 0, 80, 20), 100);
    std::vector<bool> seen;
    box.OnClick = [&] { seen.push_back(box.Checked()); };

    for (bool set : {true, true, false}) {
        box.SetChecked(set);
        EXPECT_EQ(box.Checked(), set);
    }
    EXPECT_TRUE(seen.empty()) << "SetChecked is for code that sets a state; a handler it ran would act twice";

    box.Click();
    box.Click();
    EXPECT_EQ(seen, (std::vector<bool>{true, false}))
        << "Click is a user's click: the state turns over, then OnClick";
}

TEST_F(WidgetKit, AUserClickOnACheckBoxTogglesItAndRunsTheHandlerOnce) {
    ui::CheckBox box(L"chk_Test");
    box.Create(window.hwnd(), L"BUTTON", WS_VISIBLE | BS_AUTOCHECKBOX, 0, L"box", Place(0, 0, 80, 20), 100);
    std::vector<bool> seen;
    box.OnClick = [&] { seen.push_back(box.Checked()); };
    ::SendMessageW(box.hwnd(), BM_CLICK, 0, 0);
    ::SendMessageW(box.hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST_F(WidgetKit, TwoQuickClicksOnADrawnButtonAreTwoClicks) {
    // A drawn button reports the second click of a double-click as BN_DOUBLECLICKED,
    // not BN_CLICKED: stepping through pictures quickly must not lose a step.
    ui::Button button(L"btn_Test");
    button.Create(window.hwnd(), L"BUTTON", WS_VISIBLE | BS_OWNERDRAW, 0, L"", Place(0, 0, 40, 30), 100);
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    const LPARAM inside = MAKELPARAM(10, 10);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
        ::SendMessageW(button.hwnd(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, inside);
    }
    EXPECT_EQ(clicks, 2);
}

TEST_F(WidgetKit, CheckingARadioButtonUnchecksItsGroupAndOnlyAClickRunsTheHandler) {
    ui::RadioButton first(L"rd_1"), second(L"rd_2");
    std::vector<ui::RadioButton*> group{&first, &second};
    first.Create(window.hwnd(), L"BUTTON", WS_VISIBLE | BS_AUTORADIOBUTTON, 0, L"1", Place(0, 0, 80, 20),
                 101);
    second.Create(window.hwnd(), L"BUTTON", WS_VISIBLE | BS_AUTORADIOBUTTON, 0, L"2", Place(0, 30, 80, 20),
                  102);
    first.JoinGroup(&group);
    second.JoinGroup(&group);
    first.SetChecked(true);
    int firstClicks = 0, secondClicks = 0;
    first.OnClick = [&] { ++firstClicks; };
    second.OnClick = [&] { ++secondClicks; };

    second.SetChecked(true);
    EXPECT_FALSE(first.Checked());
    EXPECT_TRUE(second.Checked());
    EXPECT_EQ(secondClicks, 0) << "checking from code runs no handler";

    first.Click();
    EXPECT_TRUE(first.Checked());
    EXPECT_FALSE(second.Checked());
    EXPECT_EQ(firstClicks, 1);
    EXPECT_EQ(secondClicks, 0);
}

TEST_F(WidgetKit, ListSelectionsFromCodeRunNoHandlerAndOutOfRangeClearsTheSelection) {
    ui::ComboBox combo(L"cb_Test");
    combo.Create(window.hwnd(), L"COMBOBOX", WS_VISIBLE | CBS_DROPDOWNLIST, 0, L"", Place(0, 0, 80, 200),
                 103);
    int changes = 0;
    combo.OnChange = [&] { ++changes; };
    for (const wchar_t* item : {L"なし", L"Shift", L"Ctl", L"Alt"}) {
        combo.Add(item);
    }
    struct Case {
        int set;
        int expected;
    };
    for (const Case& c : {Case{2, 2}, Case{0, 0}, Case{4, -1}, Case{-5, -1}, Case{3, 3}}) {
        combo.SetItemIndex(c.set);
        EXPECT_EQ(combo.ItemIndex(), c.expected) << "set " << c.set;
    }
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(combo.Item(1), L"Shift");
}

TEST_F(WidgetKit, AThrowingHandlerShowsExactlyOneErrorBoxAndTheWindowKeepsWorking) {
    int calls = 0;
    window.onHotKey = [&] {
        ++calls;
        if (calls == 1) {
            throw std::runtime_error("画像を読み込めません");
        }
    };
    ::PostMessageW(window.hwnd(), WM_HOTKEY, 1, 0);
    testkit::PumpMessages();
    ::PostMessageW(window.hwnd(), WM_HOTKEY, 1, 0);
    testkit::PumpMessages();

    EXPECT_EQ(calls, 2);
    const auto boxes = host.CallsOf(platform::HostCall::Kind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"画像を読み込めません");
    EXPECT_EQ(boxes[0].caption, L"ミルロ");
    EXPECT_EQ(boxes[0].owner, window.hwnd());
}

TEST_F(WidgetKit, AFailingPaintIsValidatedAndItsRetriesShowNoFurtherBox) {
    ::ShowWindow(window.hwnd(), SW_SHOWNOACTIVATE);
    int paints = 0;
    const auto failing = [&] {
        ++paints;
        throw std::runtime_error("描画できません");
    };
    // A paint left pending comes back with every message read: a bounded pump
    // shows that as a count instead of hanging.
    const auto paintNow = [&] {
        ::InvalidateRect(window.hwnd(), nullptr, FALSE);
        MSG msg;
        for (int read = 0; read < 50 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++read) {
            ::DispatchMessageW(&msg);
        }
    };

    window.onPaint = failing;
    for (int retry = 0; retry < 3; ++retry) {
        paintNow();
        RECT pending{};
        EXPECT_FALSE(::GetUpdateRect(window.hwnd(), &pending, FALSE));
    }
    EXPECT_EQ(paints, 3);
    EXPECT_EQ(host.Messages(), std::vector<std::wstring>{L"描画できません"});

    // Once painting works again, a new failure is news worth a box.
    window.onPaint = [&] { platform::PaintDc paint(window.hwnd()); };
    paintNow();
    window.onPaint = failing;
    paintNow();
    EXPECT_EQ(host.Messages(), (std::vector<std::wstring>{L"描画できません", L"描画できません"}));
}

TEST_F(WidgetKit, AThrowingClickHandlerIsReportedOnceThroughItsParent) {
    ui::Button button(L"btn_Test");
    button.Create(window.hwnd(), L"BUTTON", WS_VISIBLE | BS_PUSHBUTTON, 0, L"go", Place(0, 0, 80, 20), 104);
    button.OnClick = [] { throw std::runtime_error("失敗"); };
    ::SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(host.Messages(), std::vector<std::wstring>{L"失敗"});
}

TEST_F(WidgetKit, ANewIntervalRestartsTheTimerPeriod) {
    ui::Timer timer(window, 7, 60'000);
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetEnabled(true);
    timer.SetInterval(30); // a long first period must not delay the new one
    const DWORD start = ::GetTickCount();
    while (ticks == 0 && ::GetTickCount() - start < 5000) {
        testkit::PumpMessages();
        ::Sleep(5);
    }
    EXPECT_GE(ticks, 1);
    timer.SetEnabled(false);
    testkit::PumpMessages();
    const int after = ticks;
    ::Sleep(100);
    testkit::PumpMessages();
    EXPECT_EQ(ticks, after);
}

} // namespace
