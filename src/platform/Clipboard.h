#pragma once
// Taking the clipboard over for what we put on it.
#include <windows.h>

#include <string_view>

#include "platform/Handles.h"

namespace mirulo::platform {

// The clipboard, opened for `owner` (which then owns what is put on it) and
// emptied, for as long as this object lives, and closed when it goes. Another
// program often holds the clipboard for a moment, so opening is tried again for
// about 50 ms before giving up with UserError "クリップボード <system text> を開けません";
// the clipboard is closed again when emptying fails.
class [[nodiscard]] ClipboardOwner {
public:
    static ClipboardOwner Open(HWND owner);

    ClipboardOwner(const ClipboardOwner&) = delete;
    ClipboardOwner& operator=(const ClipboardOwner&) = delete;
    ClipboardOwner(ClipboardOwner&& other) noexcept;
    ClipboardOwner& operator=(ClipboardOwner&& other) noexcept;
    ~ClipboardOwner();

    bool IsOpen() const noexcept { return open_; }
    // Hands the bitmap over to the clipboard as CF_BITMAP; the clipboard deletes
    // it when it is emptied. Throws UserError `failure` with the system's reason
    // when the clipboard does not take it (the bitmap is then deleted here), and
    // std::logic_error when the clipboard was closed already.
    void PutBitmap(UniqueBitmap bitmap, std::wstring_view failure);

private:
    ClipboardOwner() noexcept = default;
    void Close() noexcept;

    bool open_ = false;
};

} // namespace mirulo::platform
