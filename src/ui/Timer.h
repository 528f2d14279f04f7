#pragma once
// A window timer with the two properties the handlers use. A new Interval
// restarts the period, as the user expects after changing it; switching an
// enabled timer on again does not.
#include <windows.h>

#include <functional>

namespace mirulo::ui {

class Window;

class Timer {
public:
    Timer(Window& owner, UINT_PTR id, UINT interval = 1000);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer();

    std::function<void()> OnTimer;

    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);
    UINT Interval() const noexcept { return interval_; }
    void SetInterval(UINT interval);
    UINT_PTR id() const noexcept { return id_; }

    // Called by the owner window on WM_TIMER.
    void Fire();

private:
    void Start();
    void Stop();

    Window& owner_;
    UINT_PTR id_;
    UINT interval_;
    bool enabled_ = false;
};

} // namespace mirulo::ui
