#include "capture/ClipboardSession.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "platform/Handles.h"
#include "platform/SystemError.h"

namespace mirulo::capture {
namespace {

// Six tries, 10 ms apart: about 50 ms of patience for a program that holds the
// clipboard briefly, short enough that a capture never feels stuck.
constexpr int kOpenAttempts = 6;
constexpr DWORD kOpenRetryDelayMs = 10;

[[noreturn]] void ThrowCannotOpen(DWORD code) {
    // OpenClipboard does not always set an error when another window holds the
    // clipboard; "access denied" is what that situation is.
    const std::wstring reason = platform::SystemMessage(code != 0 ? code : ERROR_ACCESS_DENIED);
    throw ClipboardError(L"クリップボード " + reason + L" を開けません");
}

} // namespace

ClipboardSession ClipboardSession::Open(HWND owner) {
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
    ClipboardSession session;
    session.open_ = true;
    if (!::EmptyClipboard()) {
        // The session's destructor closes the clipboard again.
        ThrowCannotOpen(::GetLastError());
    }
    return session;
}

ClipboardSession::ClipboardSession(ClipboardSession&& other) noexcept
    : open_(std::exchange(other.open_, false)) {}

ClipboardSession& ClipboardSession::operator=(ClipboardSession&& other) noexcept {
    if (this != &other) {
        Close();
        open_ = std::exchange(other.open_, false);
    }
    return *this;
}

ClipboardSession::~ClipboardSession() {
    Close();
}

void ClipboardSession::Close() noexcept {
    if (std::exchange(open_, false)) {
        ::CloseClipboard();
    }
}

void ClipboardSession::PutBitmap(const CapturePicture& picture) {
    if (!open_) {
        throw std::logic_error("ClipboardSession::PutBitmap after the session was moved from");
    }
    if (picture.empty()) {
        throw std::invalid_argument("ClipboardSession::PutBitmap: an empty picture");
    }
    const platform::WindowDc screen = platform::WindowDc::Client(nullptr);
    if (!screen) {
        platform::ThrowLastError(L"クリップボードに画像をコピーできません");
    }
    platform::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), picture.width(), picture.height()));
    if (!bitmap) {
        platform::ThrowLastError(L"クリップボードに画像をコピーできません");
    }
    const BITMAPINFO info = DibSurface::Describe(picture.width(), picture.height());
    if (::SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(picture.height()), picture.bits(), &info,
                    DIB_RGB_COLORS) != picture.height()) {
        platform::ThrowLastError(L"クリップボードに画像をコピーできません");
    }
    if (::SetClipboardData(CF_BITMAP, bitmap.get()) == nullptr) {
        platform::ThrowLastError(L"クリップボードに画像をコピーできません");
    }
    // The clipboard owns the bitmap now and deletes it when it is emptied.
    (void)bitmap.release();
}

} // namespace mirulo::capture
