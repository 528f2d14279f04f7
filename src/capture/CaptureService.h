#pragma once
// The capture flow from the desktop to a file: take the picture of a range, then
// encode it, write it and, when asked, put it on the clipboard. It knows no
// window: the caller checks the save folder, shows the notices and runs what
// follows a capture.
#include <windows.h>

#include <string>

#include "capture/CaptureFileName.h"
#include "capture/CaptureKind.h"
#include "capture/CapturePicture.h"
#include "capture/ClipboardSession.h"
#include "platform/Host.h"

namespace mirulo::capture {

struct SaveRequest {
    std::wstring saveFolder; // as stored; the file goes straight into it
    std::wstring code;       // the capture-type code for the file name
    ImageFormat format = ImageFormat::Png;
    HWND clipboardOwner = nullptr; // set: the picture goes to the clipboard too
};

class CaptureService {
public:
    // The clock is the host's, so tests fix the file names.
    explicit CaptureService(platform::Host& host) : host_(host) {}

    // The whole desktop or the fixed range of it, cut from a fresh snapshot that
    // is released before this returns. A range reaching beyond the desktop comes
    // out at its full size, white outside; a range of zero width or height gives
    // an empty picture. `range` must not be Picked: that rectangle comes from the
    // range picker and is cut by its caller.
    CapturePicture Take(CaptureRange range, const FixedRange& fixed) const;

    // Encodes the picture (PNG level 7 or JPEG quality 90) and writes it as
    // "<folder>\<time>_<code>.png|.jpg"; with a clipboard owner the picture then
    // goes to the clipboard as well. Returns the file's path; throws
    // platform::UserError when the file could not be written, ClipboardError
    // when only the clipboard copy failed (the file is saved by then).
    std::wstring Save(const CapturePicture& picture, const SaveRequest& request) const;

private:
    platform::Host& host_;
};

} // namespace mirulo::capture
