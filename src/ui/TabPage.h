#pragma once
// One page of the tab widget: a container for the controls of that page. It
// paints the page's vertical gradient and lends the same picture to see-through
// children (labels, check boxes, radio buttons, group boxes), so they sit on the
// gradient instead of in grey boxes. Controls created on the page get their
// notifications reflected like on any other window of ours.
#include <windows.h>

#include <string>

#include "platform/Handles.h"
#include "ui/TabCanvas.h"
#include "ui/Window.h"

namespace mirulo::ui {

// The font of a tab's caption; the height is in pixels at 96 DPI.
struct TabFont {
    std::wstring face = L"Meiryo UI";
    int pixelHeight = 15;
    bool bold = false;
};

class TabPage final : public Window {
public:
    static constexpr COLORREF kGradientStart = RGB(250, 249, 245);
    static constexpr COLORREF kDefaultGradientEnd = RGB(180, 149, 192);
    static constexpr COLORREF kDefaultPressedTabColor = RGB(180, 149, 192);
    static constexpr COLORREF kBorderColor = RGB(0, 0, 0);

    TabPage(platform::Host& host, std::wstring caption, TabFont font);

    const std::wstring& Caption() const noexcept { return caption_; }
    const TabFont& Font() const noexcept { return font_; }
    COLORREF GradientEnd() const noexcept { return gradientEnd_; }
    COLORREF PressedTabColor() const noexcept { return pressedTabColor_; }
    bool TabEnabled() const noexcept { return tabEnabled_; }
    bool Visible() const;

    // Whether a child control draws on its parent's background (static texts,
    // check boxes, radio buttons, group boxes, the corners of push buttons).
    // Edit boxes and lists keep their own colours, even when disabled or
    // read-only, when they too ask with WM_CTLCOLORSTATIC.
    static bool IsSeeThrough(HWND child);

protected:
    bool OnPaint() override;
    bool OnEraseBackground(HDC dc) override;
    void OnSize(UINT kind, int width, int height) override;
    HBRUSH ChildBackground(HDC dc, HWND child) override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // The widget owns the page's place, colours and the opening for its tab.
    friend class TabPager;
    void Create(HWND parent, const RECT& place);
    void SetGradientEnd(COLORREF color);
    void SetPressedTabColor(COLORREF color) noexcept { pressedTabColor_ = color; }
    void SetTabEnabled(bool enabled) noexcept { tabEnabled_ = enabled; }
    // The columns [left, right) of the top edge stay open so the selected tab
    // runs into the page without a line between them; left >= right closes it.
    void SetTabOpening(int left, int right);

    void Rebuild();
    void Redraw();

    std::wstring caption_;
    TabFont font_;
    COLORREF gradientEnd_ = kDefaultGradientEnd;
    COLORREF pressedTabColor_ = kDefaultPressedTabColor;
    bool tabEnabled_ = true;
    int openingLeft_ = 0;
    int openingRight_ = 0;

    TabCanvas background_;
    platform::UniqueBrush childBrush_; // made from background_ when a child first asks
    bool stale_ = true;
};

} // namespace mirulo::ui
