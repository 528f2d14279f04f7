#include "ui/TabPage.h"

#include <cwchar>

namespace mirulo::ui {
namespace {

constexpr wchar_t kPageClass[] = L"MiruloTabPage";

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

bool IsGroupBox(HWND window) {
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
    return _wcsicmp(ClassOf(window).c_str(), L"Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX;
}

} // namespace

bool TabPage::IsSeeThrough(HWND child) {
    const std::wstring name = ClassOf(child);
    return _wcsicmp(name.c_str(), L"Static") == 0 || _wcsicmp(name.c_str(), L"Button") == 0;
}

TabPage::TabPage(platform::Host& host, std::wstring caption, TabFont font)
    : Window(host), caption_(std::move(caption)), font_(std::move(font)) {}

bool TabPage::Visible() const {
    return hwnd() != nullptr && ::IsWindowVisible(hwnd()) != FALSE;
}

void TabPage::Create(HWND parent, const RECT& place) {
    RegisterWindowClass(kPageClass, 0, ::LoadCursorW(nullptr, IDC_ARROW), nullptr, nullptr, nullptr);
    // No WS_CLIPCHILDREN: group boxes do not fill their inside, so the page has
    // to paint beneath them (OnPaint leaves out every other child instead).
    CreateHwnd(kPageClass, WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPSIBLINGS, caption_.c_str(), place.left,
               place.top, place.right - place.left, place.bottom - place.top, parent);
}

void TabPage::SetGradientEnd(COLORREF color) {
    if (color == gradientEnd_) {
        return;
    }
    gradientEnd_ = color;
    Redraw();
}

void TabPage::SetTabOpening(int left, int right) {
    if (right <= left) {
        left = right = 0;
    }
    if (left == openingLeft_ && right == openingRight_) {
        return;
    }
    openingLeft_ = left;
    openingRight_ = right;
    stale_ = true;
    if (hwnd() != nullptr) {
        RECT topEdge{};
        ::GetClientRect(hwnd(), &topEdge);
        topEdge.bottom = 1;
        ::InvalidateRect(hwnd(), &topEdge, FALSE);
    }
}

void TabPage::Rebuild() {
    if (!stale_ || hwnd() == nullptr) {
        return;
    }
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    background_.Resize(client.right, client.bottom);
    const int width = background_.width();
    const int height = background_.height();
    background_.FillVertical(RECT{1, 1, width - 1, height - 1}, kGradientStart, gradientEnd_);
    background_.Frame(RECT{0, 0, width, height}, kBorderColor);
    if (openingLeft_ < openingRight_) {
        background_.HorizontalLine(openingLeft_, openingRight_, 0, kGradientStart);
    }
    childBrush_.reset();
    stale_ = false;
}

void TabPage::Redraw() {
    stale_ = true;
    if (hwnd() != nullptr) {
        // The children show the page through them, so they repaint as well.
        ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

bool TabPage::OnPaint() {
    platform::PaintDc paint(hwnd());
    Rebuild();
    HDC dc = paint.get();
    for (HWND child = ::GetWindow(hwnd(), GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child) || IsGroupBox(child)) {
            continue;
        }
        RECT place{};
        ::GetWindowRect(child, &place);
        ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&place), 2);
        ::ExcludeClipRect(dc, place.left, place.top, place.right, place.bottom);
    }
    background_.BlitTo(dc, paint.area());
    return true;
}

bool TabPage::OnEraseBackground(HDC /*dc*/) {
    // OnPaint covers every pixel in one copy; erasing first would only flicker.
    return true;
}

void TabPage::OnSize(UINT /*kind*/, int /*width*/, int /*height*/) {
    Redraw();
}

HBRUSH TabPage::ChildBackground(HDC dc, HWND child) {
    if (!IsSeeThrough(child)) {
        return nullptr;
    }
    Rebuild();
    if (!childBrush_) {
        childBrush_ = background_.MakePatternBrush();
    }
    return AlignSurfaceBrush(dc, hwnd(), child, childBrush_.get());
}

bool TabPage::OnOtherMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT& result) {
    if (message != WM_PRINTCLIENT) {
        return false;
    }
    // Themed controls draw their parent's background through this message.
    Rebuild();
    background_.BlitTo(reinterpret_cast<HDC>(wParam), RECT{0, 0, background_.width(), background_.height()});
    result = 0;
    return true;
}

} // namespace mirulo::ui
