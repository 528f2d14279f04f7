#include "app/SingleInstance.h"

#include <windows.h>

#include "app/MainWindow.h"

namespace mirulo::app {

bool HandOverToRunningInstance() {
    // The handle is deliberately never closed: the mutex must live exactly as
    // long as this process, and the system releases it when the process ends.
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, L"Mirulo");
    if (mutex == nullptr || ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return false; // first instance, or no mutex at all: start normally
    }
    HWND running = ::FindWindowW(kMainWindowClass, nullptr);
    ::SendMessageW(running, WM_SYSCOMMAND, SC_RESTORE, 0);
    ::SetForegroundWindow(running);
    return true;
}

} // namespace mirulo::app
