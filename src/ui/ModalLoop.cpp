#include "ui/ModalLoop.h"

namespace mirulo::ui {

ModalEnd RunModalLoop(const std::function<bool()>& done, const std::function<void()>& afterEach) {
    MSG msg{};
    while (!done()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: the outer loop must see the quit as well.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return ModalEnd::Quit;
        }
        if (got == -1) {
            return ModalEnd::Failed;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
        if (afterEach && !done()) {
            afterEach();
        }
    }
    return ModalEnd::Done;
}

DisabledThreadWindows::DisabledThreadWindows(HWND modal) {
    struct Search {
        HWND modal;
        std::vector<HWND>* found;
    } search{modal, &windows_};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            if (hwnd != s->modal && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd)) {
                s->found->push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    for (HWND hwnd : windows_) {
        ::EnableWindow(hwnd, FALSE);
    }
}

DisabledThreadWindows::~DisabledThreadWindows() {
    for (HWND hwnd : windows_) {
        if (::IsWindow(hwnd)) {
            ::EnableWindow(hwnd, TRUE);
        }
    }
}

} // namespace mirulo::ui
