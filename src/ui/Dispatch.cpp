#include "ui/Dispatch.h"

#include <exception>
#include <new>
#include <string>

#include "platform/Wide.h"

namespace mirulo::ui {

void ReportCurrentException(platform::Host& host, HWND owner) noexcept {
    try {
        std::wstring text;
        try {
            throw;
        } catch (const std::bad_alloc&) {
            text = L"メモリが不足しています";
        } catch (const std::exception& e) {
            text = platform::Widen(e.what());
        } catch (...) {
            text = L"不明なエラーが発生しました";
        }
        host.ShowMessage(owner, text, kApplicationTitle, MB_OK | MB_ICONERROR);
    } catch (...) {
        // Nothing sensible is left to do when even the error box fails; the
        // handler has already ended and the program goes on.
    }
}

} // namespace mirulo::ui

namespace mirulo::ui {

void ProcessPendingMessages() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

} // namespace mirulo::ui
