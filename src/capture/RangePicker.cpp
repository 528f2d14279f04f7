#include "capture/RangePicker.h"

#include <windowsx.h>

#include <stdexcept>

#include "ui/ModalLoop.h"

namespace mirulo::capture {
namespace {

constexpr COLORREF kBandColour = RGB(255, 0, 0);
constexpr int kBandWidth = 3;

// How many pickers have been shown so far: a picker whose loop sees this change
// while it handled one message knows that another picker came and went on top
// of it (hot key 2 pressed while picking).
int g_pickersShown = 0;

} // namespace

// The picture control: shows the picture 1:1 and reports the pointer to the form, in its
// own client coordinates, which are the picture's.
class RangePicker::PictureControl final : public ui::Window {
public:
    PictureControl(RangePicker& form, int width, int height) : ui::Window(form.host()), form_(form) {
        RegisterWindowClass(kRangePictureClass, 0, ::LoadCursorW(nullptr, IDC_CROSS), nullptr, nullptr,
                            nullptr);
        CreateHwnd(kRangePictureClass, 0, WS_CHILD | WS_VISIBLE, L"", 0, 0, width, height, form.hwnd());
    }

protected:
    bool OnEraseBackground(HDC) override { return true; }

    bool OnPaint() override {
        platform::PaintDc paint(hwnd());
        const RECT& area = paint.area();
        ::BitBlt(paint.get(), area.left, area.top, area.right - area.left, area.bottom - area.top,
                 form_.Picture().dc(), area.left, area.top, SRCCOPY);
        return true;
    }

    bool OnOtherMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) override {
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        switch (message) {
        case WM_MOUSEMOVE:
            form_.OnPictureMouseMove(at);
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            form_.OnPictureMouseUp(message, at);
            break;
        default:
            return false;
        }
        result = 0;
        return true;
    }

private:
    RangePicker& form_;
};

RangePicker::RangePicker(platform::Host& host, DesktopSnapshot snapshot, bool stayOnTop)
    : ui::Window(host), picture_(std::move(snapshot)) {
    RegisterWindowClass(kRangePickerClass, 0, ::LoadCursorW(nullptr, IDC_CROSS), nullptr, nullptr, nullptr);
    // A tool window: the picker is no task of its own and has no button in the task bar.
    const DWORD exStyle = WS_EX_TOOLWINDOW | (stayOnTop ? WS_EX_TOPMOST : 0u);
    const POINT origin = picture_.origin();
    CreateHwnd(kRangePickerClass, exStyle, WS_POPUP | WS_CLIPCHILDREN, L"", origin.x, origin.y,
               picture_.width(), picture_.height(), nullptr);
    pictureControl_ = std::make_unique<PictureControl>(*this, picture_.width(), picture_.height());
}

RangePicker::~RangePicker() {
    FormDestroy();
}

RangePicker::ModalResult RangePicker::ShowModal() {
    modalResult_ = ModalResult::None;
    FormShow();
    ::ShowWindow(hwnd(), SW_SHOW);
    ::SetForegroundWindow(hwnd());
    ::SetFocus(hwnd());
    ++g_pickersShown;
    {
        const ui::DisabledThreadWindows others(hwnd());
        int shownBefore = g_pickersShown;
        const auto keepPickingHere = [&] {
            if (shownBefore != g_pickersShown && ::IsWindow(hwnd())) {
                // A picker opened over this one has closed and its capture has
                // brought the main window forward: the user is still picking here.
                ::SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
                ::SetForegroundWindow(hwnd());
                ::SetFocus(hwnd());
            }
            shownBefore = g_pickersShown;
        };
        const ui::ModalEnd end =
            ui::RunModalLoop([this] { return modalResult_ != ModalResult::None; }, keepPickingHere);
        if (end != ui::ModalEnd::Done) {
            // The program is ending (or the queue failed): the picking is given up.
            modalResult_ = ModalResult::Cancel;
        }
    }
    if (::IsWindow(hwnd())) {
        ::ShowWindow(hwnd(), SW_HIDE);
    }
    return modalResult_;
}

std::optional<PickedRange> RangePicker::Pick() {
    if (ShowModal() != ModalResult::OK) {
        return std::nullopt;
    }
    return NormalizeCorners(pickedCorners.left, pickedCorners.top, pickedCorners.right, pickedCorners.bottom);
}

void RangePicker::Close(ModalResult result) {
    modalResult_ = result;
}

// --- Handlers ------------------------------------------------------------------

void RangePicker::FormShow() {
    if (!crossCursor_) {
        crossCursor_.emplace(IDC_CROSS);
    }
    drawingBand_ = false;
}

void RangePicker::FormDestroy() {
    crossCursor_.reset();
}

void RangePicker::OnKeyPressed(WPARAM key) {
    if (key == VK_ESCAPE) {
        Close(ModalResult::Cancel);
    }
}

void RangePicker::OnPictureMouseUp(UINT message, POINT at) {
    if (message != WM_LBUTTONUP || modalResult_ != ModalResult::None) {
        return;
    }
    if (!drawingBand_) {
        drawingBand_ = true;
        if (!pen_) {
            pen_.reset(::CreatePen(PS_SOLID, kBandWidth, kBandColour));
        }
        bandStart_ = at;
        bandEnd_ = at;
        return;
    }
    drawingBand_ = false;
    // The band goes before the picker closes: the picture may be what gets saved.
    if (bandShown_) {
        DrawBand(bandStart_, bandEnd_);
        bandShown_ = false;
    }
    // The second corner is where the last move was reported, not the release.
    pickedCorners = RECT{bandStart_.x, bandStart_.y, bandEnd_.x, bandEnd_.y};
    Close(ModalResult::OK);
}

void RangePicker::OnPictureMouseMove(POINT at) {
    if (!drawingBand_ || modalResult_ != ModalResult::None) {
        return;
    }
    if (bandShown_) {
        DrawBand(bandStart_, bandEnd_); // takes the previous band away
    }
    bandEnd_ = at;
    DrawBand(bandStart_, bandEnd_);
    bandShown_ = true;
}

void RangePicker::DrawBand(POINT from, POINT to) {
    HDC dc = picture_.dc();
    if (dc == nullptr || !pen_) {
        return;
    }
    // NOTXOR with the same pen twice gives every pixel back, so drawing the same
    // outline again erases it without keeping a copy of what lay beneath.
    const platform::SelectedObject pen(dc, pen_.get());
    const platform::SelectedObject brush(dc, ::GetStockObject(HOLLOW_BRUSH));
    const int oldMode = ::SetROP2(dc, R2_NOTXORPEN);
    ::Rectangle(dc, from.x, from.y, to.x, to.y);
    ::SetROP2(dc, oldMode);
    ::GdiFlush();
    InvalidateBand(from, to);
}

void RangePicker::InvalidateBand(POINT from, POINT to) {
    if (!pictureControl_ || pictureControl_->hwnd() == nullptr) {
        return;
    }
    // Only the four edges change; a large band must not repaint its inside.
    const PickedRange r = NormalizeCorners(from.x, from.y, to.x, to.y);
    const int right = r.left + r.width;
    const int bottom = r.top + r.height;
    const int m = kBandWidth;
    const RECT edges[] = {
        {r.left - m, r.top - m, right + m, r.top + m},
        {r.left - m, bottom - m, right + m, bottom + m},
        {r.left - m, r.top - m, r.left + m, bottom + m},
        {right - m, r.top - m, right + m, bottom + m},
    };
    for (const RECT& edge : edges) {
        ::InvalidateRect(pictureControl_->hwnd(), &edge, FALSE);
    }
}

bool RangePicker::OnOtherMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message == WM_KEYDOWN) {
        OnKeyPressed(wParam);
        result = 0;
        return true;
    }
    return false;
}

} // namespace mirulo::capture
