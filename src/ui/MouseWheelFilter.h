#pragma once
// Sees every wheel turn meant for a window or any of its controls before the
// control does, wherever the turn is delivered (the control with the focus, or
// the one under the pointer), and lets the owner swallow it. A drop-down list
// would otherwise change its selection when the user only meant to scroll past.
#include <windows.h>

#include <functional>

namespace mirulo::ui {

class MouseWheelFilter {
public:
    // `decide` gets the pointer's screen position and returns true to swallow the turn.
    MouseWheelFilter(HWND root, std::function<bool(POINT screenPoint)> decide);
    MouseWheelFilter(const MouseWheelFilter&) = delete;
    MouseWheelFilter& operator=(const MouseWheelFilter&) = delete;
    ~MouseWheelFilter();

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);

    HWND root_;
    std::function<bool(POINT)> decide_;
    HHOOK hook_ = nullptr;
    MouseWheelFilter* previous_ = nullptr;
};

} // namespace mirulo::ui
