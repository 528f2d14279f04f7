#include "capture/ClipboardSession.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "platform/Handles.h"
#include "platform/SystemError.h"

namespace mirulo::capture {

ClipboardSession ClipboardSession::Open(HWND owner) {
    return ClipboardSession(platform::ClipboardOwner::Open(owner));
}

void ClipboardSession::PutBitmap(const CapturePicture& picture) {
    if (!clipboard_.IsOpen()) {
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
    clipboard_.PutBitmap(std::move(bitmap), L"クリップボードに画像をコピーできません");
}

} // namespace mirulo::capture
