#pragma once
// The message loop of an in-process test: windows made by the test get their
// queued messages (paints, posted notifications) only when the test runs them.
#include <windows.h>

namespace mirulo::testkit {

// Dispatches every message waiting for this thread, then returns.
void PumpMessages();
// Keeps dispatching this thread's messages for `ms` milliseconds.
void PumpMessagesFor(DWORD ms);

} // namespace mirulo::testkit
