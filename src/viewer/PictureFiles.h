#pragma once
// Saved pictures as the viewer reads them: whole files, decoded by our own PNG
// and JPEG readers (bounded, and checked against damaged files).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "image/Image.h"

namespace mirulo::viewer {

// True for an existing file, false for a folder.
bool FileExists(const std::wstring& path);

// The whole file. Throws platform::UserError naming the file and the system's
// reason when it cannot be read.
std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path);

// A PNG or JPEG picture, told apart by its first bytes, whatever its name says.
// Throws image::CodecError for anything else and for damaged files.
image::Image DecodePicture(const std::vector<std::uint8_t>& bytes);

// The picture in the file at `path`. Every failure throws platform::UserError
// with `headline`, the file's path and the reason in the user's words (the
// decoders' own reasons are for developers).
image::Image ReadPicture(const std::wstring& path, std::wstring_view headline);

// Why the bytes of a picture file could not be decoded, in the user's words.
std::wstring UndecodableReason(const std::vector<std::uint8_t>& bytes);

} // namespace mirulo::viewer
