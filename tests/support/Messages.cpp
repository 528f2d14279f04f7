#include "support/Messages.h"

#include <windows.h>

namespace mirulo::testkit {

void PumpMessages() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void PumpMessagesFor(DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    do {
        PumpMessages();
        ::Sleep(10);
    } while (::GetTickCount64() < end);
}

} // namespace mirulo::testkit
