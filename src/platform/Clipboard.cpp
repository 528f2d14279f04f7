#include "platform/Clipboard.h"

#include <string>

#include "platform/SystemError.h"

namespace mirulo::platform {
namespace {

// Six tries, 10 ms apart: about 50 ms of patience for a program that holds the
// clipboard briefly, short enough that a capture never feels stuck.
constexpr int kOpenAttempts = 6;
constexpr DWORD kOpenRetryDelayMs = 10;

[[noreturn]] void ThrowCannotOpen(DWORD code) {
    // OpenClipboard does not always set an error when another window holds the
    // clipboard; "access denied" is what that situation is.
    const std::wstring reason = SystemMessage(code != 0 ? code : ERROR_ACCESS_DENIED);
    throw UserError(L"クリップボード " + reason + L" を開けません");
}

} // namespace

void OpenEmptiedClipboard(HWND owner) {
    for (int attempt = 1;; ++attempt) {
        if (::OpenClipboard(owner)) {
            break;
        }
        const DWORD code = ::GetLastError();
        if (attempt == kOpenAttempts) {
            ThrowCannotOpen(code);
        }
        ::Sleep(kOpenRetryDelayMs);
    }
    if (!::EmptyClipboard()) {
        const DWORD code = ::GetLastError();
        ::CloseClipboard();
        ThrowCannotOpen(code);
    }
}

} // namespace mirulo::platform
