// The tab widget as the main window uses it: four pages in a fixed order, one
// shown at a time, presses on its strip reported for dragging the window (a
// left press on a tab switching first), and the colours that reach the screen:
// the gradients, the colour mode's changes, and see-through controls that show
// the page's gradient instead of grey boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/RecordingHost.h"
#include "ui/Control.h"
#include "ui/TabPager.h"
#include "ui/Window.h"
#include "platform/DibSurface.h"
#include "support/Messages.h"

using namespace mirulo;

namespace {

constexpr int kClientWidth = 407;
constexpr int kClientHeight = 513;
constexpr COLORREF kLavender = RGB(180, 149, 192);
constexpr COLORREF kGrey = RGB(128, 128, 128);

struct PageSpec {
    const wchar_t* caption;
    ui::TabFont font;
};

const PageSpec kPages[] = {
    {L"メイン", {L"Meiryo UI", 15, true}},
    {L"設定１", {L"Tahoma", 15, false}},
    {L"設定２", {L"Meiryo UI", 15, false}},
    {L"設定３", {L"Meiryo UI", 15, false}},
};

RECT Place(int x, int y, int width, int height) {
    return RECT{x, y, x + width, y + height};
}

POINT Centre(const RECT& rect) {
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Where `child` lies in `parent`'s client coordinates.
RECT PlaceIn(HWND parent, HWND child) {
    RECT place{};
    ::GetWindowRect(child, &place);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

std::wstring WindowText(HWND window) {
    wchar_t text[128] = {};
    ::GetWindowTextW(window, text, 128);
    return text;
}

class TestWindow final : public ui::Window {
public:
    // A popup: Wine without a window manager waits two seconds to destroy a
    // shown captioned window, and the tests need no caption.
    static constexpr DWORD kStyle = WS_POPUP | WS_CLIPCHILDREN;

    explicit TestWindow(platform::Host& host) : ui::Window(host) {
        RegisterWindowClass(L"MiruloTabPagerTest", 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                            nullptr, nullptr);
        CreateHwnd(L"MiruloTabPagerTest", 0, kStyle, L"tabs", 40, 40, 100, 100, nullptr);
        SetClientSize(kClientWidth, kClientHeight);
    }

    void SetClientSize(int width, int height) {
        RECT frame{0, 0, width, height};
        ::AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
        ::SetWindowPos(hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    std::function<void(int, int)> onSize;

protected:
    void OnSize(UINT /*kind*/, int width, int height) override {
        if (onSize) {
            onSize(width, height);
        }
    }
};

// What the window shows, read back after every pending paint has run.
class Snapshot {
public:
    explicit Snapshot(HWND window) : window_(window) {
        testkit::PumpMessages();
        ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        RECT client{};
        ::GetClientRect(window, &client);
        width_ = client.right;
        height_ = client.bottom;
        pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
        const platform::DibSurface copy = platform::DibSurface::Create(width_, height_);
        HDC shown = ::GetDC(window);
        ::BitBlt(copy.dc(), 0, 0, width_, height_, shown, 0, 0, SRCCOPY);
        ::ReleaseDC(window, shown);
        ::GdiFlush();
        std::memcpy(pixels_.data(), copy.bits(), pixels_.size() * 4);
    }

    // The pixel at `point` of `from`'s client area.
    COLORREF At(HWND from, POINT point) const {
        ::MapWindowPoints(from, window_, &point, 1);
        if (point.x < 0 || point.y < 0 || point.x >= width_ || point.y >= height_) {
            return CLR_INVALID;
        }
        const std::uint32_t pixel =
            pixels_[static_cast<std::size_t>(point.y) * static_cast<std::size_t>(width_) +
                    static_cast<std::size_t>(point.x)];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }

private:
    HWND window_;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// A window's own picture (what lies behind its controls), via WM_PRINTCLIENT.
class Background {
public:
    explicit Background(HWND page) {
        RECT client{};
        ::GetClientRect(page, &client);
        HDC screen = ::GetDC(page);
        HDC memory = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::SendMessageW(page, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        for (int y = 0; y < client.bottom; ++y) {
            std::vector<COLORREF> row;
            for (int x = 0; x < client.right; ++x) {
                row.push_back(::GetPixel(memory, x, y));
            }
            rows_.push_back(std::move(row));
        }
        ::SelectObject(memory, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(memory);
        ::ReleaseDC(page, screen);
    }
    COLORREF At(POINT point) const {
        return rows_.at(static_cast<std::size_t>(point.y)).at(static_cast<std::size_t>(point.x));
    }

private:
    std::vector<std::vector<COLORREF>> rows_;
};

std::string Hex(COLORREF color) {
    char text[16];
    std::snprintf(text, sizeof(text), "#%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
    return text;
}

class TabPagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        pager.Create(window.hwnd(), RECT{0, 0, kClientWidth, kClientHeight});
        for (const PageSpec& page : kPages) {
            pager.AddPage(page.caption, page.font);
        }
        ::ShowWindow(window.hwnd(), SW_SHOWNOACTIVATE);
        testkit::PumpMessages();
    }

    std::vector<bool> VisiblePages() const {
        std::vector<bool> visible;
        for (int index = 0; index < pager.PageCount(); ++index) {
            visible.push_back(::IsWindowVisible(pager.Page(index).hwnd()) != FALSE);
        }
        return visible;
    }

    // The colour at the top of the tab's fill, looked for down its middle column.
    bool TabShowsColour(const Snapshot& shot, int index, COLORREF colour) const {
        const RECT tab = pager.TabRect(index);
        for (int y = tab.top; y < tab.top + 5; ++y) {
            if (shot.At(pager.hwnd(), POINT{(tab.left + tab.right) / 2, y}) == colour) {
                return true;
            }
        }
        return false;
    }

    platform::RecordingHost host;
    TestWindow window{host};
    ui::TabPager pager{host};
};

TEST_F(TabPagerTest, HoldsThePagesInOrderWithTheirCaptionsAndPlaces) {
    ASSERT_EQ(pager.PageCount(), 4);
    int previousRight = 0;
    for (int index = 0; index < pager.PageCount(); ++index) {
        SCOPED_TRACE(index);
        ui::TabPage& page = pager.Page(index);
        EXPECT_EQ(page.Caption(), kPages[index].caption);
        EXPECT_EQ(WindowText(page.hwnd()), kPages[index].caption);
        EXPECT_EQ(page.Font().face, kPages[index].font.face);
        EXPECT_EQ(page.Font().bold, kPages[index].font.bold);
        EXPECT_EQ(::GetParent(page.hwnd()), pager.hwnd());

        const RECT place = PlaceIn(pager.hwnd(), page.hwnd());
        EXPECT_EQ(place.left, 1);
        EXPECT_EQ(place.top, 26);
        EXPECT_EQ(place.right - place.left, 405);
        EXPECT_EQ(place.bottom - place.top, 485);

        // Tabs run left to right from the start margin, above the pages.
        const RECT tab = pager.TabRect(index);
        EXPECT_GT(tab.right - tab.left, 30);
        EXPECT_LE(tab.bottom, 26);
        EXPECT_GE(tab.left, index == 0 ? 4 : previousRight);
        previousRight = tab.right;
    }
    EXPECT_EQ(pager.TabRect(0).left, 4);
    EXPECT_THROW(pager.Page(4), std::out_of_range);
    EXPECT_THROW(pager.Page(-1), std::out_of_range);
}

TEST_F(TabPagerTest, ShowsExactlyTheActivePage) {
    EXPECT_EQ(pager.ActivePageIndex(), 0);
    EXPECT_EQ(VisiblePages(), (std::vector<bool>{true, false, false, false}));
    for (const int index : {2, 0, 3, 1, 1}) {
        SCOPED_TRACE(index);
        pager.SetActivePageIndex(index);
        std::vector<bool> expected(4, false);
        expected[static_cast<std::size_t>(index)] = true;
        EXPECT_EQ(pager.ActivePageIndex(), index);
        EXPECT_EQ(VisiblePages(), expected);
    }
    EXPECT_THROW(pager.SetActivePageIndex(4), std::out_of_range);
    EXPECT_EQ(pager.ActivePageIndex(), 1);
    EXPECT_EQ(VisiblePages(), (std::vector<bool>{false, true, false, false}));
}

TEST_F(TabPagerTest, ReportsPressesOnItsSurfaceAndSwitchesOnALeftPressOnATab) {
    struct Press {
        const char* what;
        UINT message;
        std::optional<int> tab; // press at this tab's middle, else at `point`
        POINT point;
        int disabledTab;
        int activeAfter;
        bool reported;
    };
    const Press presses[] = {
        {"left on the second tab", WM_LBUTTONDOWN, 1, {}, -1, 1, true},
        {"left on the active tab", WM_LBUTTONDOWN, 0, {}, -1, 0, true},
        {"right on the third tab", WM_RBUTTONDOWN, 2, {}, -1, 0, true},
        {"middle on the fourth tab", WM_MBUTTONDOWN, 3, {}, -1, 0, true},
        {"left on the strip beside the tabs", WM_LBUTTONDOWN, std::nullopt, {330, 12}, -1, 0, true},
        {"left on a disabled tab", WM_LBUTTONDOWN, 2, {}, 2, 0, true},
        {"left on the page", WM_LBUTTONDOWN, std::nullopt, {200, 300}, -1, 0, false},
    };
    for (const Press& press : presses) {
        SCOPED_TRACE(press.what);
        pager.SetActivePageIndex(0);
        for (int index = 0; index < pager.PageCount(); ++index) {
            pager.SetTabEnabled(index, index != press.disabledTab);
        }
        std::vector<std::pair<UINT, POINT>> reports;
        int activeWhenReported = -1;
        pager.OnMouseDown = [&](UINT message, POINT point) {
            reports.emplace_back(message, point);
            activeWhenReported = pager.ActivePageIndex();
        };

        const POINT point = press.tab ? Centre(pager.TabRect(*press.tab)) : press.point;
        // Deliver the press to whichever window lies under the point, as the
        // window system would.
        HWND target = ::ChildWindowFromPointEx(pager.hwnd(), point, CWP_SKIPINVISIBLE);
        ASSERT_NE(target, nullptr);
        POINT local = point;
        ::MapWindowPoints(pager.hwnd(), target, &local, 1);
        const WPARAM keys = press.message == WM_LBUTTONDOWN   ? MK_LBUTTON
                            : press.message == WM_RBUTTONDOWN ? MK_RBUTTON
                                                              : MK_MBUTTON;
        ::SendMessageW(target, press.message, keys, MAKELPARAM(local.x, local.y));

        EXPECT_EQ(pager.ActivePageIndex(), press.activeAfter);
        EXPECT_TRUE(::IsWindowVisible(pager.Page(press.activeAfter).hwnd()));
        if (press.reported) {
            ASSERT_EQ(reports.size(), 1u);
            EXPECT_EQ(reports[0].first, press.message);
            EXPECT_EQ(reports[0].second.x, point.x);
            EXPECT_EQ(reports[0].second.y, point.y);
            // The listener starts the window drag; the tab has switched by then.
            EXPECT_EQ(activeWhenReported, press.activeAfter);
        } else {
            EXPECT_TRUE(reports.empty());
        }
        EXPECT_NE(::GetFocus(), pager.hwnd());
    }
}

TEST_F(TabPagerTest, HighlightsTheTabUnderThePointerWithTheHandCursor) {
    ::SetForegroundWindow(window.hwnd());
    const Snapshot before(window.hwnd());
    const RECT tab = pager.TabRect(2);
    const POINT inside{tab.left + 4, tab.bottom - 3}; // clear of the caption

    POINT onScreen = Centre(tab);
    ::ClientToScreen(pager.hwnd(), &onScreen);
    ::SetCursorPos(onScreen.x, onScreen.y);
    for (int wait = 0; wait < 50 && pager.HotTabIndex() != 2; ++wait) {
        testkit::PumpMessages();
        ::Sleep(20);
    }
    EXPECT_EQ(pager.HotTabIndex(), 2);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    const Snapshot hot(window.hwnd());
    EXPECT_NE(hot.At(pager.hwnd(), inside), before.At(pager.hwnd(), inside));

    POINT away{200, 300};
    ::ClientToScreen(pager.hwnd(), &away);
    ::SetCursorPos(away.x, away.y);
    for (int wait = 0; wait < 50 && pager.HotTabIndex() != -1; ++wait) {
        testkit::PumpMessages();
        ::Sleep(20);
    }
    EXPECT_EQ(pager.HotTabIndex(), -1);
    const Snapshot after(window.hwnd());
    EXPECT_EQ(after.At(pager.hwnd(), inside), before.At(pager.hwnd(), inside));
}

TEST_F(TabPagerTest, PaintsTheStripAndThePageInTheirColours) {
    const Snapshot shot(window.hwnd());
    HWND strip = pager.hwnd();
    HWND page = pager.Page(0).hwnd();
    RECT pageClient{};
    ::GetClientRect(page, &pageClient);
    const int pageBottom = pageClient.bottom - 1;
    const RECT tab = pager.TabRect(0);
    const int openingX = Centre(tab).x - 1; // page x under the selected tab

    struct Sample {
        const char* what;
        HWND window;
        POINT point;
        COLORREF colour;
    };
    const Sample samples[] = {
        {"strip gradient top", strip, {kClientWidth - 3, 1}, RGB(250, 249, 245)},
        {"strip gradient bottom", strip, {kClientWidth - 3, 24}, RGB(192, 192, 168)},
        {"line under the strip", strip, {kClientWidth - 3, 25}, RGB(32, 155, 227)},
        {"widget border", strip, {0, 12}, RGB(0, 45, 150)},
        {"page gradient top", page, {300, 1}, RGB(250, 249, 245)},
        {"page gradient bottom", page, {300, pageBottom - 1}, kLavender},
        {"page border", page, {0, 200}, RGB(0, 0, 0)},
        {"page top edge beside its tab", page, {300, 0}, RGB(0, 0, 0)},
        {"page top edge under its tab", page, {openingX, 0}, RGB(250, 249, 245)},
    };
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.what);
        EXPECT_EQ(Hex(shot.At(sample.window, sample.point)), Hex(sample.colour));
    }
    EXPECT_TRUE(TabShowsColour(shot, 0, kLavender));
    EXPECT_FALSE(TabShowsColour(shot, 1, kLavender));
}

TEST_F(TabPagerTest, ColourChangesReachTheScreenForEachPage) {
    // The colour mode turns page 0 grey first; the others follow one by one.
    pager.SetPageGradientEnd(0, kGrey);
    pager.SetPagePressedTabColor(0, kGrey);
    struct Expectation {
        int activePage;
        COLORREF gradientEnd;
        COLORREF pressed;
    };
    for (const Expectation& expected : {Expectation{0, kGrey, kGrey}, Expectation{1, kLavender, kLavender}}) {
        SCOPED_TRACE(expected.activePage);
        if (pager.ActivePageIndex() != expected.activePage) {
            pager.SetActivePageIndex(expected.activePage);
        }
        const Snapshot shot(window.hwnd());
        HWND page = pager.Page(expected.activePage).hwnd();
        RECT client{};
        ::GetClientRect(page, &client);
        EXPECT_EQ(Hex(shot.At(page, POINT{300, client.bottom - 2})), Hex(expected.gradientEnd));
        EXPECT_TRUE(TabShowsColour(shot, expected.activePage, expected.pressed));
    }
    EXPECT_EQ(pager.Page(0).GradientEnd(), kGrey);
    EXPECT_EQ(pager.Page(0).PressedTabColor(), kGrey);
    EXPECT_EQ(pager.Page(1).GradientEnd(), kLavender);
}

TEST_F(TabPagerTest, SeeThroughControlsShowThePageGradientBehindThem) {
    pager.SetActivePageIndex(1);
    HWND page = pager.Page(1).hwnd();
    ui::Label label(L"Label17");
    label.Create(page, L"STATIC", WS_VISIBLE | SS_LEFT, 0, L"MB", Place(30, 100, 200, 17), 101);
    ui::CheckBox check(L"chk_Capa");
    check.Create(page, L"BUTTON", WS_VISIBLE | BS_AUTOCHECKBOX, 0, L"有効化", Place(30, 140, 240, 17), 102);
    ui::GroupBox group(L"gb_Editor");
    group.Create(page, L"BUTTON", WS_VISIBLE | BS_GROUPBOX, 0, L"リスト表示対象", Place(20, 200, 330, 90),
                 103);
    ui::RadioButton radio(L"rd_GrEdit1");
    radio.Create(page, L"BUTTON", WS_VISIBLE | BS_AUTORADIOBUTTON, 0, L"ペイント", Place(40, 230, 200, 17),
                 104);
    // Without a wrapper to ask, the page itself tells a disabled edit box (which
    // asks with WM_CTLCOLORSTATIC too) from a see-through control.
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_DISABLED, 30, 320,
                                  100, 25, page, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);

    struct Spot {
        const char* what;
        POINT point; // page coordinates, clear of text and glyphs
        bool showsPage;
    };
    const Spot spots[] = {
        {"label", {225, 108}, true},
        {"check box", {265, 148}, true},
        {"radio button in the group box", {235, 238}, true},
        {"inside the group box", {300, 270}, true},
        {"disabled edit box", {120, 332}, false},
    };
    // The strip lends its gradient the same way to controls placed on it.
    ui::Label stripLabel(L"lbl_Strip");
    stripLabel.Create(pager.hwnd(), L"STATIC", WS_VISIBLE | SS_LEFT, 0, L"x", Place(300, 2, 50, 22), 106);
    {
        const Snapshot shot(window.hwnd());
        const Background strip(pager.hwnd());
        for (const POINT point : {POINT{345, 3}, POINT{345, 22}}) {
            EXPECT_EQ(Hex(shot.At(pager.hwnd(), point)), Hex(strip.At(point)));
        }
    }

    for (const COLORREF end : {kLavender, kGrey}) {
        SCOPED_TRACE(Hex(end));
        pager.SetPageGradientEnd(1, end);
        const Snapshot shot(window.hwnd());
        const Background background(page);
        for (const Spot& spot : spots) {
            SCOPED_TRACE(spot.what);
            const COLORREF shown = shot.At(page, spot.point);
            if (spot.showsPage) {
                EXPECT_EQ(Hex(shown), Hex(background.At(spot.point)));
            } else {
                EXPECT_NE(Hex(shown), Hex(background.At(spot.point)));
            }
        }
    }
}

TEST_F(TabPagerTest, FollowsItsParentOnAllFourSides) {
    struct Size {
        int width;
        int height;
    };
    window.onSize = [&](int width, int height) { pager.Resize(width, height); };
    for (const Size size : {Size{500, 600}, Size{380, 450}, Size{kClientWidth, kClientHeight}}) {
        SCOPED_TRACE(size.width);
        window.SetClientSize(size.width, size.height);
        RECT widget{};
        ::GetClientRect(pager.hwnd(), &widget);
        EXPECT_EQ(widget.right, size.width);
        EXPECT_EQ(widget.bottom, size.height);
        const RECT place = PlaceIn(pager.hwnd(), pager.Page(0).hwnd());
        EXPECT_EQ(place.left, 1);
        EXPECT_EQ(place.top, 26);
        EXPECT_EQ(place.right, size.width - 1);
        EXPECT_EQ(place.bottom, size.height - 2);

        // The border follows the new edges.
        const Snapshot shot(window.hwnd());
        EXPECT_EQ(Hex(shot.At(pager.hwnd(), POINT{size.width - 1, 12})), Hex(RGB(0, 45, 150)));
    }
}

} // namespace
