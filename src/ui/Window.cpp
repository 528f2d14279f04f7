#include "ui/Window.h"

#include <windowsx.h>

#include <stdexcept>
#include <utility>

#include "ui/Control.h"
#include "ui/Dispatch.h"
#include "ui/ProgramCursor.h"
#include "ui/Timer.h"

namespace mirulo::ui {

Window::~Window() {
    if (hwnd_ != nullptr) {
        // The object goes first: make sure no message reaches it afterwards.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

UINT Window::dpi() const noexcept {
    if (announcedDpi_ != 0) {
        return announcedDpi_;
    }
    const UINT value = hwnd_ != nullptr ? ::GetDpiForWindow(hwnd_) : 0;
    return value != 0 ? value : 96;
}

int Window::Scale(int pixelsAt96) const noexcept {
    return ::MulDiv(pixelsAt96, static_cast<int>(dpi()), 96);
}

void Window::RegisterTimer(Timer& timer) {
    timers_[timer.id()] = &timer;
}

void Window::UnregisterTimer(Timer& timer) {
    const auto found = timers_.find(timer.id());
    if (found != timers_.end() && found->second == &timer) {
        timers_.erase(found);
    }
}

void Window::RegisterWindowClass(const wchar_t* className, UINT style, HCURSOR cursor, HBRUSH background,
                                 HICON icon, HICON smallIcon) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), className, &existing)) {
        return;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &Window::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = cursor != nullptr ? cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.lpszClassName = className;
    if (::RegisterClassExW(&wc) == 0) {
        throw std::runtime_error("ウィンドウクラスを登録できません");
    }
}

void Window::CreateHwnd(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* title, int x,
                        int y, int width, int height, HWND parent) {
    HWND created = ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, nullptr,
                                     ::GetModuleHandleW(nullptr), this);
    if (created == nullptr) {
        throw std::runtime_error("ウィンドウを作成できません");
    }
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) {
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    try {
        const LRESULT result = self->Dispatch(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        } else if (message == WM_PAINT) {
            self->paintFailureShown_ = false;
        }
        return result;
    } catch (...) {
        if (message != WM_PAINT) {
            ReportCurrentException(self->host_, hwnd);
            return 0;
        }
        // A region left invalid is painted again at once, and the error box's own
        // message loop would do so too: without this every retry adds a box.
        ::ValidateRect(hwnd, nullptr);
        if (!std::exchange(self->paintFailureShown_, true)) {
            ReportCurrentException(self->host_, hwnd);
        }
        return 0;
    }
}

LRESULT Window::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleMessage(message, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool Window::ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        if (Control* control = Control::FromHwnd(reinterpret_cast<HWND>(lParam))) {
            result = 0;
            return control->OnCommand(HIWORD(wParam));
        }
        return false;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (Control* control = Control::FromHwnd(header->hwndFrom)) {
            return control->OnNotify(*header, result);
        }
        return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        const auto dc = reinterpret_cast<HDC>(wParam);
        const auto child = reinterpret_cast<HWND>(lParam);
        HBRUSH brush = nullptr;
        Control* control = Control::FromHwnd(child);
        if (control != nullptr) {
            brush = control->OnControlColor(dc);
        }
        const bool seeThrough = control == nullptr || control->SeeThrough();
        if (brush == nullptr && seeThrough && (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN)) {
            brush = ChildBackground(dc, child);
        }
        if (brush == nullptr) {
            return false;
        }
        result = reinterpret_cast<LRESULT>(brush);
        return true;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (Control* control = Control::FromHwnd(item->hwndItem)) {
            result = TRUE;
            return control->OnDrawItem(*item);
        }
        return false;
    }
    default:
        return false;
    }
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ReflectToControl(message, wParam, lParam, result)) {
        return result;
    }
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_CLOSE:
        if (OnClose()) {
            return 0;
        }
        break;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_NCDESTROY:
        OnNcDestroy();
        break;
    case WM_SYSCOMMAND:
        if (OnSysCommand(wParam)) {
            return 0;
        }
        break;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_SHOWWINDOW:
        OnShowWindow(wParam != FALSE);
        break;
    case WM_GETMINMAXINFO:
        if (OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam))) {
            return 0;
        }
        break;
    case WM_HOTKEY:
        OnHotKey(static_cast<int>(wParam), HIWORD(lParam));
        return 0;
    case WM_TIMER: {
        const auto found = timers_.find(wParam);
        if (found != timers_.end()) {
            found->second->Fire();
            return 0;
        }
        break;
    }
    case WM_PAINT:
        if (OnPaint()) {
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (OnEraseBackground(reinterpret_cast<HDC>(wParam))) {
            return 1;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (OnMouseDown(message, wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (HCURSOR programCursor = ProgramCursor::Current()) {
            ::SetCursor(programCursor);
            return TRUE;
        }
        if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) {
            return TRUE;
        }
        break;
    case WM_DPICHANGED:
        announcedDpi_ = HIWORD(wParam) != 0 ? HIWORD(wParam) : 96;
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    default:
        if (OnOtherMessage(message, wParam, lParam, result)) {
            return result;
        }
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

} // namespace mirulo::ui
