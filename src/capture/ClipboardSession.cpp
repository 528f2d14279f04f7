#include "capture/ClipboardSession.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "platform/Clipboard.h"
#include "platform/Handles.h"
#include "platform/SystemError.h"

namespace mirulo::capture {

ClipboardSession ClipboardSession::Open(HWND owner) {
    platform::OpenEmptiedClipboard(owner);
    ClipboardSession session;
    session.open_ = true;
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
        throw std::logic_error("クリップボードは既に閉じられています");
    }
    if (picture.empty()) {
        throw std::invalid_argument("空の画像はクリップボードへコピーできません");
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
