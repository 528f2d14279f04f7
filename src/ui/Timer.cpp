#include "ui/Timer.h"

#include "ui/Window.h"

namespace mirulo::ui {

Timer::Timer(Window& owner, UINT_PTR id, UINT interval) : owner_(owner), id_(id), interval_(interval) {
    owner_.RegisterTimer(*this);
}

Timer::~Timer() {
    Stop();
    owner_.UnregisterTimer(*this);
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) {
        return;
    }
    enabled_ = enabled;
    if (enabled_) {
        Start();
    } else {
        Stop();
    }
}

void Timer::SetInterval(UINT interval) {
    interval_ = interval;
    if (enabled_) {
        Start(); // SetTimer with the same id replaces the old period
    }
}

void Timer::Fire() {
    if (enabled_ && OnTimer) {
        OnTimer();
    }
}

void Timer::Start() {
    // An interval of 0 means "never" rather than "as fast as possible".
    if (interval_ == 0) {
        Stop();
        return;
    }
    if (owner_.hwnd() != nullptr) {
        ::SetTimer(owner_.hwnd(), id_, interval_, nullptr);
    }
}

void Timer::Stop() {
    if (owner_.hwnd() != nullptr) {
        ::KillTimer(owner_.hwnd(), id_);
    }
}

} // namespace mirulo::ui
