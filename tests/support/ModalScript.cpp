#include "support/ModalScript.h"

#include <map>
#include <string>

namespace mirulo::testkit {
namespace {

std::map<UINT_PTR, ModalScript*>& Scripts() {
    static std::map<UINT_PTR, ModalScript*> scripts;
    return scripts;
}

} // namespace

ModalScript::ModalScript(std::vector<Step> steps, UINT periodMs) : steps_(std::move(steps)) {
    timer_ = ::SetTimer(nullptr, 0, periodMs, &ModalScript::Tick);
    Scripts()[timer_] = this;
}

ModalScript::~ModalScript() {
    ::KillTimer(nullptr, timer_);
    Scripts().erase(timer_);
}

void CALLBACK ModalScript::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    const auto found = Scripts().find(id);
    if (found != Scripts().end()) {
        found->second->RunNext();
    }
}

void ModalScript::RunNext() {
    // A step may itself run a modal loop that dispatches further ticks.
    if (running_ || finished()) {
        return;
    }
    running_ = true;
    if (steps_[next_]()) {
        ++next_;
    }
    running_ = false;
}

void PumpFor(DWORD milliseconds) {
    const ULONGLONG until = ::GetTickCount64() + milliseconds;
    MSG msg{};
    for (ULONGLONG now = ::GetTickCount64(); now < until; now = ::GetTickCount64()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(until - now), QS_ALLINPUT);
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

std::vector<HWND> OwnWindowsOfClass(const wchar_t* windowClass) {
    struct Search {
        const wchar_t* windowClass;
        std::vector<HWND> found;
    } search{windowClass, {}};
    ::EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD process = 0;
            ::GetWindowThreadProcessId(hwnd, &process);
            wchar_t name[64] = {};
            ::GetClassNameW(hwnd, name, 64);
            if (process == ::GetCurrentProcessId() && std::wstring(name) == s->windowClass &&
                ::IsWindowVisible(hwnd)) {
                s->found.push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace mirulo::testkit
