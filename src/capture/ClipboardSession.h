#pragma once
// The clipboard, opened and emptied for one capture and closed when the session
// ends.
#include <windows.h>

#include <utility>

#include "capture/CapturePicture.h"
#include "platform/Clipboard.h"
#include "platform/SystemError.h"

namespace mirulo::capture {

// The clipboard could not be opened or filled; the picture's file is a separate
// matter and may well be saved.
class ClipboardError : public platform::UserError {
public:
    using platform::UserError::UserError;
};

class [[nodiscard]] ClipboardSession {
public:
    // Opens the clipboard for `owner` (which then owns what is put on it) and
    // empties it. Another program often holds the clipboard for a moment, so
    // opening is tried again for about 50 ms before giving up with
    // ClipboardError "クリップボード <system text> を開けません".
    static ClipboardSession Open(HWND owner);

    // Moving hands the open clipboard on; the session's end closes it.

    // Puts the picture's pixels on the clipboard as a device-dependent bitmap
    // (CF_BITMAP, no other format, no palette); the clipboard owns it from then
    // on. Throws ClipboardError when the bitmap cannot be made or placed,
    // std::invalid_argument for an empty picture.
    void PutBitmap(const CapturePicture& picture);

private:
    explicit ClipboardSession(platform::ClipboardOwner clipboard) noexcept
        : clipboard_(std::move(clipboard)) {}

    platform::ClipboardOwner clipboard_;
};

} // namespace mirulo::capture
