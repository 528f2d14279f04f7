#include "ui/MouseWheelFilter.h"

#include <windowsx.h>

namespace mirulo::ui {
namespace {

// The filters of this thread, newest first; a hook procedure has no user data.
thread_local MouseWheelFilter* tFilters = nullptr;

} // namespace

MouseWheelFilter::MouseWheelFilter(HWND root, std::function<bool(POINT)> decide)
    : root_(root), decide_(std::move(decide)) {
    hook_ = ::SetWindowsHookExW(WH_GETMESSAGE, &MouseWheelFilter::Hook, nullptr, ::GetCurrentThreadId());
    previous_ = tFilters;
    tFilters = this;
}

MouseWheelFilter::~MouseWheelFilter() {
    if (hook_ != nullptr) {
        ::UnhookWindowsHookEx(hook_);
    }
    for (MouseWheelFilter** link = &tFilters; *link != nullptr; link = &(*link)->previous_) {
        if (*link == this) {
            *link = previous_;
            break;
        }
    }
}

LRESULT CALLBACK MouseWheelFilter::Hook(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_MOUSEWHEEL) {
        for (MouseWheelFilter* filter = tFilters; filter != nullptr; filter = filter->previous_) {
            if (msg->hwnd != filter->root_ && !::IsChild(filter->root_, msg->hwnd)) {
                continue;
            }
            bool swallow = false;
            try {
                swallow = filter->decide_(POINT{GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)});
            } catch (...) {
                swallow = false; // a failing decision leaves the wheel as the system makes it
            }
            if (swallow) {
                msg->message = WM_NULL;
            }
            break;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace mirulo::ui
