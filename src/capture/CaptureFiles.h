#pragma once
// Where captures go on disk: the saved file's path, and writing the file so that
// it appears whole or not at all. (The save folder test is library::IsFolder.)
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "capture/CaptureFileName.h"
#include "platform/Host.h"

namespace mirulo::capture {

// `saveFolder` exactly as stored, "\", and the capture's name for `now`
// ("yyyymmdd_hhnnss_zzz_<code>.png|.jpg").
std::wstring CaptureFilePath(std::wstring_view saveFolder, const platform::LocalTime& now,
                             std::wstring_view code, ImageFormat format);

// Writes `bytes` to `path`, replacing a file of that name. The bytes go to a
// temporary file beside the target first (".~mirulo-….tmp", which no picture
// list shows), are flushed, and the temporary file is then renamed over the
// target, so a failure never leaves a partial file under the picture's name.
// On failure the temporary file is removed and platform::UserError names the
// file and the system's reason.
void WriteFileReplacing(const std::wstring& path, std::span<const std::uint8_t> bytes);

} // namespace mirulo::capture
