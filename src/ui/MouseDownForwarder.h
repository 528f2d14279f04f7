#pragma once
// For controls that act the moment a mouse button goes down on them. The press
// arrives inside the control's own window procedure, where no exception may
// pass; it is sent on to the parent as a WM_COMMAND of its own, so that the
// handler runs through the parent's window procedure and a failing handler is
// reported like any other.
#include <windows.h>

#include <functional>

namespace mirulo::ui {

class MouseDownForwarder {
public:
    static constexpr WORD kNotification = 0x7F01;

    // Subclasses `control` so that each press, once the control itself has
    // handled it (a list selects its entry first), is forwarded while
    // `listening()` says a handler waits for it.
    void ForwardPressesOf(HWND control, std::function<bool()> listening);

    // From the control's subclass procedure: `press` is WM_LBUTTONDOWN,
    // WM_RBUTTONDOWN or WM_MBUTTONDOWN.
    void Forward(HWND control, UINT press) {
        pending_ = press;
        ::SendMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), kNotification),
                       reinterpret_cast<LPARAM>(control));
    }

    // From the control's OnCommand: true when `code` is a forwarded press, which
    // then goes to `handler` (when set).
    bool Take(WORD code, const std::function<void(UINT message)>& handler) {
        if (code != kNotification) {
            return false;
        }
        const UINT press = pending_;
        pending_ = 0;
        if (handler && press != 0) {
            handler(press);
        }
        return true;
    }

private:
    static LRESULT CALLBACK AfterTheControl(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data);
    UINT pending_ = 0;
    std::function<bool()> listening_;
};

} // namespace mirulo::ui
