#include "ui/TabPager.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "ui/Window.h"

namespace mirulo::ui {
namespace {

constexpr wchar_t kPagerClass[] = L"MiruloTabPager";

// Geometry at 96 DPI. The pages sit at (1, 26) and keep these gaps to the
// widget's right and bottom edges, which gives 405 × 485 in a 407 × 513 widget.
constexpr int kStartMargin = 4;
constexpr int kTabGap = 2;
constexpr int kTabPadding = 12;
constexpr int kMinTabWidth = 52;
constexpr int kSelectedTabTop = 2;
constexpr int kTabTop = 4;
constexpr int kTabCorner = 3;
constexpr int kPageLeft = 1;
constexpr int kPageTop = 26;
constexpr int kPageRightGap = 1;
constexpr int kPageBottomGap = 2;

constexpr COLORREF kTextColor = RGB(0, 0, 0);
constexpr COLORREF kDisabledTextColor = RGB(96, 104, 120);
constexpr COLORREF kTabSheen = RGB(255, 255, 255);

int ScaleBy(int pixelsAt96, UINT dpi) noexcept {
    return ::MulDiv(pixelsAt96, static_cast<int>(dpi), 96);
}

} // namespace

// The widget's own window: forwards what it receives to the pager. A separate
// class because the pager's public OnMouseDown callback and the window's
// OnMouseDown handler would otherwise share one name.
class TabPager::Surface final : public Window {
public:
    Surface(platform::Host& host, TabPager& owner) : Window(host), owner_(owner) {}

    void Create(HWND parent, const RECT& place) {
        RegisterWindowClass(kPagerClass, 0, ::LoadCursorW(nullptr, IDC_HAND), nullptr, nullptr, nullptr);
        CreateHwnd(kPagerClass, WS_EX_CONTROLPARENT,
                   WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, L"", place.left, place.top,
                   place.right - place.left, place.bottom - place.top, parent);
    }

protected:
    bool OnPaint() override {
        owner_.Paint();
        return true;
    }
    bool OnEraseBackground(HDC /*dc*/) override { return true; }
    void OnSize(UINT /*kind*/, int /*width*/, int /*height*/) override { owner_.Layout(); }
    bool OnMouseDown(UINT message, WPARAM /*keys*/, int x, int y) override {
        owner_.MouseDown(message, POINT{x, y});
        return true;
    }
    HBRUSH ChildBackground(HDC dc, HWND child) override { return owner_.ChildBackground(dc, child); }
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (message) {
        case WM_MOUSEMOVE:
            owner_.MouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            break;
        case WM_MOUSELEAVE:
            owner_.MouseLeave();
            break;
        case WM_PRINTCLIENT:
            owner_.PrintClient(reinterpret_cast<HDC>(wParam));
            break;
        case WM_DPICHANGED_AFTERPARENT:
            owner_.SetDpi(dpi());
            break;
        default:
            return false;
        }
        result = 0;
        return true;
    }

private:
    TabPager& owner_;
};

TabPager::TabPager(platform::Host& host) : host_(host) {}

TabPager::~TabPager() {
    // Pages are children of the widget: let them go while their parent still exists.
    pages_.clear();
    surface_.reset();
}

HWND TabPager::hwnd() const noexcept {
    return surface_ ? surface_->hwnd() : nullptr;
}

int TabPager::Scale(int pixelsAt96) const noexcept {
    return ScaleBy(pixelsAt96, dpi_);
}

void TabPager::Create(HWND parent, const RECT& placeAt96) {
    if (hwnd() != nullptr) {
        throw std::logic_error("タブは作成済みです");
    }
    const UINT parentDpi = ::GetDpiForWindow(parent);
    dpi_ = parentDpi != 0 ? parentDpi : 96;
    const RECT place{Scale(placeAt96.left), Scale(placeAt96.top), Scale(placeAt96.right),
                     Scale(placeAt96.bottom)};
    RECT parentClient{};
    ::GetClientRect(parent, &parentClient);
    anchorGaps_ = RECT{place.left, place.top, std::max<LONG>(parentClient.right - place.right, 0),
                       std::max<LONG>(parentClient.bottom - place.bottom, 0)};

    surface_ = std::make_unique<Surface>(host_, *this);
    surface_->Create(parent, place);
    MeasureTabs();
    for (auto& page : pages_) {
        page->Create(hwnd(), PagePlace());
    }
    if (!pages_.empty()) {
        SetActivePageIndex(std::max(activeIndex_, 0));
    }
}

void TabPager::Resize(int parentWidth, int parentHeight) {
    if (hwnd() == nullptr) {
        return;
    }
    const int width = std::max<int>(parentWidth - anchorGaps_.left - anchorGaps_.right, 0);
    const int height = std::max<int>(parentHeight - anchorGaps_.top - anchorGaps_.bottom, 0);
    ::SetWindowPos(hwnd(), nullptr, anchorGaps_.left, anchorGaps_.top, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

TabPage& TabPager::AddPage(std::wstring caption, const TabFont& font) {
    pages_.push_back(std::make_unique<TabPage>(host_, std::move(caption), font));
    TabPage& page = *pages_.back();
    if (hwnd() != nullptr) {
        page.Create(hwnd(), PagePlace());
        MeasureTabs();
    }
    if (activeIndex_ < 0) {
        SetActivePageIndex(0);
    } else {
        UpdateTabOpenings();
        InvalidateStrip();
    }
    return page;
}

TabPage& TabPager::Page(int index) {
    return CheckedPage(index);
}

const TabPage& TabPager::Page(int index) const {
    return CheckedPage(index);
}

TabPage& TabPager::CheckedPage(int index) const {
    if (index < 0 || index >= PageCount()) {
        throw std::out_of_range("タブの番号が範囲外です");
    }
    return *pages_[static_cast<std::size_t>(index)];
}

void TabPager::SetActivePageIndex(int index) {
    TabPage& next = CheckedPage(index);
    activeIndex_ = index;
    if (hwnd() == nullptr) {
        return;
    }
    // The new page goes on top before the old one goes away, so the widget's
    // own background never shows in between.
    ::SetWindowPos(next.hwnd(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    for (const auto& page : pages_) {
        if (page.get() != &next && page->Visible()) {
            ::ShowWindow(page->hwnd(), SW_HIDE);
        }
    }
    UpdateTabOpenings();
    InvalidateStrip();
}

void TabPager::SetPageGradientEnd(int index, COLORREF color) {
    CheckedPage(index).SetGradientEnd(color);
}

void TabPager::SetPagePressedTabColor(int index, COLORREF color) {
    CheckedPage(index).SetPressedTabColor(color);
    InvalidateStrip();
}

void TabPager::SetTabEnabled(int index, bool enabled) {
    CheckedPage(index).SetTabEnabled(enabled);
    if (!enabled && hotIndex_ == index) {
        hotIndex_ = -1;
    }
    InvalidateStrip();
}

RECT TabPager::TabRect(int index) const {
    CheckedPage(index);
    const std::size_t count = static_cast<std::size_t>(index) + 1;
    if (tabWidths_.size() < count) {
        return RECT{};
    }
    int left = Scale(kStartMargin);
    for (std::size_t i = 0; i + 1 < count; ++i) {
        left += tabWidths_[i] + Scale(kTabGap);
    }
    const int pageTop = Scale(kPageTop);
    // The selected tab stands taller and covers the strip's line, so it runs
    // straight into its page.
    if (index == activeIndex_) {
        return RECT{left, Scale(kSelectedTabTop), left + tabWidths_[count - 1], pageTop};
    }
    return RECT{left, Scale(kTabTop), left + tabWidths_[count - 1], pageTop - 1};
}

int TabPager::TabAt(POINT point) const {
    // The selected tab is drawn last, so it wins where it overlaps the strip.
    if (activeIndex_ >= 0) {
        const RECT active = TabRect(activeIndex_);
        if (::PtInRect(&active, point)) {
            return activeIndex_;
        }
    }
    for (int index = 0; index < PageCount(); ++index) {
        const RECT tab = TabRect(index);
        if (::PtInRect(&tab, point)) {
            return index;
        }
    }
    return -1;
}

RECT TabPager::PagePlace() const {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    return RECT{Scale(kPageLeft), Scale(kPageTop), std::max<LONG>(client.right - Scale(kPageRightGap), 0),
                std::max<LONG>(client.bottom - Scale(kPageBottomGap), 0)};
}

void TabPager::Layout() {
    backgroundStale_ = true;
    if (hwnd() == nullptr) {
        return;
    }
    const RECT place = PagePlace();
    for (const auto& page : pages_) {
        if (page->hwnd() != nullptr) {
            ::SetWindowPos(page->hwnd(), nullptr, place.left, place.top, place.right - place.left,
                           place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    UpdateTabOpenings();
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void TabPager::SetDpi(UINT dpi) {
    if (dpi == 0 || dpi == dpi_) {
        return;
    }
    const UINT old = dpi_;
    dpi_ = dpi;
    anchorGaps_ = RECT{::MulDiv(anchorGaps_.left, static_cast<int>(dpi_), static_cast<int>(old)),
                       ::MulDiv(anchorGaps_.top, static_cast<int>(dpi_), static_cast<int>(old)),
                       ::MulDiv(anchorGaps_.right, static_cast<int>(dpi_), static_cast<int>(old)),
                       ::MulDiv(anchorGaps_.bottom, static_cast<int>(dpi_), static_cast<int>(old))};
    if (hwnd() == nullptr) {
        return;
    }
    MeasureTabs();
    Layout();
}

void TabPager::MeasureTabs() {
    tabWidths_.clear();
    platform::WindowDc screen = platform::WindowDc::Client(hwnd());
    for (const auto& page : pages_) {
        HFONT font = TabFontHandle(*page);
        platform::SelectedObject selected(screen.get(), font);
        SIZE extent{};
        ::GetTextExtentPoint32W(screen.get(), page->Caption().c_str(),
                                static_cast<int>(page->Caption().size()), &extent);
        tabWidths_.push_back(
            std::max(static_cast<int>(extent.cx) + 2 * Scale(kTabPadding), Scale(kMinTabWidth)));
    }
}

HFONT TabPager::TabFontHandle(const TabPage& page) {
    FontSpec wanted;
    wanted.face = page.Font().face;
    wanted.pixelHeight = page.Font().pixelHeight;
    wanted.bold = page.Font().bold;
    // Latin faces such as Tahoma keep their own look; the Japanese glyphs come
    // from the faces the system links to them.
    wanted.charset = DEFAULT_CHARSET;
    return fonts_.Get(wanted, dpi_);
}

void TabPager::UpdateTabOpenings() {
    if (hwnd() == nullptr) {
        return;
    }
    const RECT place = PagePlace();
    for (int index = 0; index < PageCount(); ++index) {
        TabPage& page = *pages_[static_cast<std::size_t>(index)];
        if (index == activeIndex_) {
            const RECT tab = TabRect(index);
            page.SetTabOpening(tab.left + 1 - place.left, tab.right - 1 - place.left);
        } else {
            page.SetTabOpening(0, 0);
        }
    }
}

void TabPager::InvalidateStrip() {
    if (hwnd() == nullptr) {
        return;
    }
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    client.bottom = std::min<LONG>(client.bottom, Scale(kPageTop) + 1);
    ::InvalidateRect(hwnd(), &client, FALSE);
}

void TabPager::RebuildBackground() {
    if (!backgroundStale_) {
        return;
    }
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    background_.Resize(client.right, client.bottom);
    const int width = background_.width();
    const int height = background_.height();
    const int line = Scale(kPageTop) - 1;
    // The gradient runs over the strip between the border and the line; below
    // the line the pages cover it, and any uncovered rest keeps the last colour.
    background_.FillVertical(RECT{1, 1, width - 1, line}, kBackgroundTop, kBackgroundBottom);
    background_.FillSolid(RECT{1, line, width - 1, height - 1}, kBackgroundBottom);
    background_.HorizontalLine(1, width - 1, line, kLineColor);
    background_.Frame(RECT{0, 0, width, height}, kBorderColor);
    childBrush_.reset();
    backgroundStale_ = false;
}

void TabPager::Render() {
    RebuildBackground();
    frame_.CopyFrom(background_);
    for (int index = 0; index < PageCount(); ++index) {
        if (index != activeIndex_) {
            DrawTab(index);
        }
    }
    if (activeIndex_ >= 0) {
        DrawTab(activeIndex_);
    }
}

void TabPager::DrawTab(int index) {
    const TabPage& page = *pages_[static_cast<std::size_t>(index)];
    const RECT tab = TabRect(index);
    if (tab.right <= tab.left) {
        return;
    }
    const bool selected = index == activeIndex_;
    const bool disabled = !page.TabEnabled();
    const bool hot = !selected && !disabled && index == hotIndex_;
    const bool plain = !selected && !disabled && !hot;

    COLORREF fillTop = kTabSheen;
    COLORREF fillBottom = kTabColor;
    if (selected) {
        fillTop = page.PressedTabColor();
        fillBottom = TabPage::kGradientStart;
    } else if (disabled) {
        fillTop = fillBottom = kDisabledTabColor;
    } else if (hot) {
        fillTop = kTabColor;
        fillBottom = BlendColor(kTabColor, page.PressedTabColor(), 1, 2);
    }

    const int left = tab.left;
    const int right = tab.right;
    const int top = tab.top;
    const int bottom = tab.bottom;
    const int corner = std::max(Scale(kTabCorner), 2);
    // Body: every row inside the outline (and inside the second line where there
    // is one), the corners cut at 45 degrees; the fill colours land exactly on
    // its first and last row.
    const int firstRow = top + (plain ? 1 : 2);
    const int steps = std::max(bottom - firstRow - 1, 1);
    for (int y = firstRow; y < bottom; ++y) {
        const int inset = std::max(corner - (y - top), 0);
        frame_.HorizontalLine(left + inset + 1, right - inset - 1, y,
                              BlendColor(fillTop, fillBottom, y - firstRow, steps));
    }
    // Outline, and for the states that stand out a second line just inside it.
    const auto outline = [&](int l, int t, int r, int c, COLORREF color) {
        frame_.HorizontalLine(l + c, r - c, t, color);
        for (int k = 1; k < c; ++k) {
            frame_.SetPixel(l + c - k, t + k, color);
            frame_.SetPixel(r - 1 - c + k, t + k, color);
        }
        frame_.VerticalLine(l, t + c, bottom, color);
        frame_.VerticalLine(r - 1, t + c, bottom, color);
    };
    outline(left, top, right, corner, plain ? kBevelInner : kBevelOuter);
    if (!plain) {
        outline(left + 1, top + 1, right - 1, corner - 1, kBevelInner);
    }

    HDC dc = frame_.dc();
    platform::SelectedObject font(dc, TabFontHandle(page));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, disabled ? kDisabledTextColor : kTextColor);
    RECT text{left, top + 1, right, selected ? bottom - 1 : bottom};
    ::DrawTextW(dc, page.Caption().c_str(), static_cast<int>(page.Caption().size()), &text,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TabPager::Paint() {
    platform::PaintDc paint(hwnd());
    Render();
    frame_.BlitTo(paint.get(), paint.area());
}

void TabPager::PrintClient(HDC dc) {
    Render();
    frame_.BlitTo(dc, RECT{0, 0, frame_.width(), frame_.height()});
}

void TabPager::MouseDown(UINT message, POINT point) {
    if (message == WM_LBUTTONDOWN) {
        const int index = TabAt(point);
        if (index >= 0 && index != activeIndex_ && pages_[static_cast<std::size_t>(index)]->TabEnabled()) {
            SetActivePageIndex(index);
            // Show the switch before the listener starts anything modal, such
            // as dragging the window.
            ::UpdateWindow(hwnd());
        }
    }
    if (OnMouseDown) {
        OnMouseDown(message, point);
    }
}

void TabPager::MouseMove(POINT point) {
    if (!trackingMouse_) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = hwnd();
        trackingMouse_ = ::TrackMouseEvent(&track) != FALSE;
    }
    const int index = TabAt(point);
    SetHot(index >= 0 && pages_[static_cast<std::size_t>(index)]->TabEnabled() ? index : -1);
}

void TabPager::MouseLeave() {
    trackingMouse_ = false;
    SetHot(-1);
}

void TabPager::SetHot(int index) {
    if (index == hotIndex_) {
        return;
    }
    for (const int changed : {hotIndex_, index}) {
        if (changed >= 0 && changed < PageCount()) {
            const RECT tab = TabRect(changed);
            ::InvalidateRect(hwnd(), &tab, FALSE);
        }
    }
    hotIndex_ = index;
}

HBRUSH TabPager::ChildBackground(HDC dc, HWND child) {
    if (!TabPage::IsSeeThrough(child)) {
        return nullptr;
    }
    // Controls on the strip sit right of the tabs, so the background alone is
    // what shows behind them.
    RebuildBackground();
    if (!childBrush_) {
        childBrush_ = background_.MakePatternBrush();
    }
    return AlignSurfaceBrush(dc, hwnd(), child, childBrush_.get());
}

} // namespace mirulo::ui
