#pragma once
// The gradient tab widget that holds the main window's pages: a strip of tabs at
// the top left, one page shown beneath it. It takes no keyboard focus, shows the
// hand cursor on its own surface, and reports every button press on that surface
// (the strip, not the pages or controls) so the window can be dragged by it.
// Places are given at 96 DPI and scaled by the DPI of the window.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Host.h"
#include "ui/Fonts.h"
#include "ui/TabCanvas.h"
#include "ui/TabPage.h"

namespace mirulo::ui {

class TabPager {
public:
    static constexpr COLORREF kBackgroundTop = RGB(250, 249, 245);
    static constexpr COLORREF kBackgroundBottom = RGB(192, 192, 168);
    static constexpr COLORREF kBorderColor = RGB(0, 45, 150);
    static constexpr COLORREF kLineColor = RGB(32, 155, 227);
    static constexpr COLORREF kTabColor = RGB(250, 249, 245);
    static constexpr COLORREF kDisabledTabColor = RGB(173, 209, 255);
    static constexpr COLORREF kBevelOuter = RGB(0, 0, 0);
    static constexpr COLORREF kBevelInner = RGB(146, 143, 130);

    explicit TabPager(platform::Host& host);
    TabPager(const TabPager&) = delete;
    TabPager& operator=(const TabPager&) = delete;
    ~TabPager();

    // Creates the widget at `placeAt96` within the parent's client area.
    void Create(HWND parent, const RECT& placeAt96);
    HWND hwnd() const noexcept;
    // Follows the parent's client area; the widget is anchored to all four sides,
    // so the main window passes its new client size (device pixels).
    void Resize(int parentWidth, int parentHeight);
    // Takes a new DPI: tab fonts, tab widths, the page places and the gaps to the
    // parent's edges follow it. The parent calls it from its WM_DPICHANGED; the
    // widget also picks the new DPI up by itself after its parent has moved.
    void SetDpi(UINT dpi);
    UINT Dpi() const noexcept { return dpi_; }

    // Pages in tab order. The first page added becomes the active one.
    TabPage& AddPage(std::wstring caption, const TabFont& font);
    TabPage& Page(int index);
    const TabPage& Page(int index) const;
    int PageCount() const noexcept { return static_cast<int>(pages_.size()); }

    int ActivePageIndex() const noexcept { return activeIndex_; }
    // Shows that page, hides the others and repaints the strip.
    void SetActivePageIndex(int index);

    void SetPageGradientEnd(int index, COLORREF color);
    void SetPagePressedTabColor(int index, COLORREF color);
    // A disabled tab is drawn in the disabled colour and ignores the mouse.
    void SetTabEnabled(int index, bool enabled);

    // The tab's rectangle in the widget's client coordinates (device pixels).
    RECT TabRect(int index) const;
    // The tab under `point` (client coordinates), or -1.
    int TabAt(POINT point) const;
    // The tab under the mouse, or -1.
    int HotTabIndex() const noexcept { return hotIndex_; }

    // A mouse button went down on the widget's own surface: WM_LBUTTONDOWN,
    // WM_RBUTTONDOWN or WM_MBUTTONDOWN with the client point. A left press on a
    // tab has already made that tab's page active when this runs.
    std::function<void(UINT message, POINT point)> OnMouseDown;

private:
    class Surface;
    friend class Surface;

    int Scale(int pixelsAt96) const noexcept;
    TabPage& CheckedPage(int index) const;
    RECT PagePlace() const;
    void Layout();
    void MeasureTabs();
    HFONT TabFontHandle(const TabPage& page);
    void UpdateTabOpenings();
    void InvalidateStrip();
    void RebuildBackground();
    void Render();
    void DrawTab(int index);

    // Messages of the widget's window.
    void Paint();
    void PrintClient(HDC dc);
    void MouseDown(UINT message, POINT point);
    void MouseMove(POINT point);
    void MouseLeave();
    void SetHot(int index);
    HBRUSH ChildBackground(HDC dc, HWND child);

    platform::Host& host_;
    std::unique_ptr<Surface> surface_;
    std::vector<std::unique_ptr<TabPage>> pages_;
    std::vector<int> tabWidths_;
    UINT dpi_ = 96;
    int activeIndex_ = -1;
    int hotIndex_ = -1;
    bool trackingMouse_ = false;
    RECT anchorGaps_{}; // distances to the parent's edges, kept on resize

    FontCache fonts_;
    TabCanvas background_; // gradient, border and line: what shows between tabs
    TabCanvas frame_;      // background plus tabs, copied to the screen in one go
    platform::UniqueBrush childBrush_;
    bool backgroundStale_ = true;
};

} // namespace mirulo::ui
