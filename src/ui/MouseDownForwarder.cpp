#include "ui/MouseDownForwarder.h"

#include <commctrl.h>

#include <utility>

namespace mirulo::ui {

namespace {
constexpr UINT_PTR kSubclassId = 6;
}

void MouseDownForwarder::ForwardPressesOf(HWND control, std::function<bool()> listening) {
    listening_ = std::move(listening);
    ::SetWindowSubclass(control, &AfterTheControl, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK MouseDownForwarder::AfterTheControl(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                     UINT_PTR, DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &AfterTheControl, kSubclassId);
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
        const LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
        auto* self = reinterpret_cast<MouseDownForwarder*>(data);
        if (self->listening_ && self->listening_()) {
            self->Forward(hwnd, message);
        }
        return result;
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace mirulo::ui
