#pragma once
// The program's general error handling: every event enters our code through
// Guarded, so a handler that throws ends that handler only; the user sees one
// error box captioned with the application title and the program carries on.
#include <windows.h>

#include <utility>

#include "platform/Host.h"

namespace mirulo::ui {

inline constexpr wchar_t kApplicationTitle[] = L"ミルロ";

// Shows the exception being handled (call only inside a catch block).
void ReportCurrentException(platform::Host& host, HWND owner) noexcept;

template <typename Handler> void Guarded(platform::Host& host, HWND owner, Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        ReportCurrentException(host, owner);
    }
}

} // namespace mirulo::ui

namespace mirulo::ui {

// Handles what is waiting in the thread's queue, for a flow that wants the
// system to have caught up between two of its steps. A quit request is put back.
void ProcessPendingMessages();

} // namespace mirulo::ui
