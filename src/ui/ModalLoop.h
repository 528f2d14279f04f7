#pragma once
// The program's one modal message loop. A modal window (the range picker, the
// rename dialog) shows itself, then runs this loop until it has its answer;
// every other message of the thread — hot keys, timer ticks, the main window's
// paints — is handled meanwhile, as in any modal loop.
#include <windows.h>

#include <functional>
#include <vector>

namespace mirulo::ui {

enum class ModalEnd {
    Done,   // `done` came true
    Quit,   // the program is ending: WM_QUIT was taken and posted again for the outer loop
    Failed, // GetMessage failed
};

// Dispatches the thread's messages until `done()` is true. `afterEach`, when
// given, runs after every dispatched message while the loop goes on.
ModalEnd RunModalLoop(const std::function<bool()>& done, const std::function<void()>& afterEach = {});

// The thread's other enabled, visible top-level windows, disabled while a
// window is modal and enabled again (those still alive) when this goes.
class DisabledThreadWindows {
public:
    explicit DisabledThreadWindows(HWND modal);
    DisabledThreadWindows(const DisabledThreadWindows&) = delete;
    DisabledThreadWindows& operator=(const DisabledThreadWindows&) = delete;
    ~DisabledThreadWindows();

private:
    std::vector<HWND> windows_;
};

} // namespace mirulo::ui
