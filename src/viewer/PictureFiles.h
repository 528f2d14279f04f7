#pragma once
// Saved pictures as the viewer reads them: whole files, decoded by our own PNG
// and JPEG readers (bounded, and checked against damaged files).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "image/Image.h"

namespace mirulo::viewer {

// The whole file. Throws platform::UserError naming the file and the system's
// reason when it cannot be read.
std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path);

// The picture in the file at `path`. Every failure throws platform::UserError
// with `headline`, the file's path and the reason in the user's words (the
// decoders' own reasons are for developers).
image::Image ReadPicture(const std::wstring& path, std::wstring_view headline);

} // namespace mirulo::viewer
