#pragma once
// Drives windows that run their own modal loop (the range picker, a message
// box): the steps run one by one from a thread timer, which every message loop
// of the thread dispatches, so a test can act while the code under test waits.
#include <windows.h>

#include <functional>
#include <vector>

namespace mirulo::testkit {

class ModalScript {
public:
    // A step returns false to be tried again at the next tick (a window it
    // waits for is not there yet).
    using Step = std::function<bool()>;

    explicit ModalScript(std::vector<Step> steps, UINT periodMs = 100);
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;
    ~ModalScript();

    bool finished() const { return next_ >= steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    void RunNext();

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    UINT_PTR timer_ = 0;
    bool running_ = false;
};

// Handles this thread's messages for about `milliseconds`, timers included.
void PumpFor(DWORD milliseconds);

// The visible top-level windows of `windowClass` that this process shows.
std::vector<HWND> OwnWindowsOfClass(const wchar_t* windowClass);

} // namespace mirulo::testkit
