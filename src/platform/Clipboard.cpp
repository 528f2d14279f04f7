#include "platform/Clipboard.h"

#include <stdexcept>
#include <string>
#include <utility>

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

} // namespace

ClipboardOwner ClipboardOwner::Open(HWND owner) {
    OpenEmptiedClipboard(owner);
    ClipboardOwner clipboard;
    clipboard.open_ = true;
    return clipboard;
}

ClipboardOwner::ClipboardOwner(ClipboardOwner&& other) noexcept : open_(std::exchange(other.open_, false)) {}

ClipboardOwner& ClipboardOwner::operator=(ClipboardOwner&& other) noexcept {
    if (this != &other) {
        Close();
        open_ = std::exchange(other.open_, false);
    }
    return *this;
}

ClipboardOwner::~ClipboardOwner() {
    Close();
}

void ClipboardOwner::Close() noexcept {
    if (std::exchange(open_, false)) {
        ::CloseClipboard();
    }
}

void ClipboardOwner::PutBitmap(UniqueBitmap bitmap, std::wstring_view failure) {
    if (!open_) {
        throw std::logic_error("クリップボードは既に閉じられています");
    }
    if (::SetClipboardData(CF_BITMAP, bitmap.get()) == nullptr) {
        ThrowLastError(failure);
    }
    // The clipboard owns the bitmap now.
    (void)bitmap.release();
}

} // namespace mirulo::platform
