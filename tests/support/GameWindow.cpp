#include "support/GameWindow.h"

#include "support/Desktop.h"

namespace mirulo::testkit {

GameWindow::GameWindow(RECT place) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH));
    wc.lpszClassName = L"MiruloTestGame";
    ::RegisterClassW(&wc); // fails harmlessly when a previous game registered it
    hwnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"ゲーム", WS_OVERLAPPEDWINDOW, place.left, place.top,
                              place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                              wc.hInstance, nullptr);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::UpdateWindow(hwnd_);
}

GameWindow::~GameWindow() {
    ::DestroyWindow(hwnd_);
}

bool GameWindow::TakeTheKeyboard() const {
    ClickOn(hwnd_);
    return WaitUntil([&] { return ::GetForegroundWindow() == hwnd_; }, 5000);
}

} // namespace mirulo::testkit
