#pragma once
// A saved picture's bytes, whatever its name says: PNG or JPEG, told apart by
// their first bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "image/Image.h"

namespace mirulo::image {

// Throws CodecError for anything but PNG or JPEG and for damaged files.
Image DecodePicture(const std::vector<std::uint8_t>& bytes);

// Why the bytes of a picture file could not be decoded, in the user's words,
// for the error box that names the file (the codecs' own reasons are for developers).
std::wstring UndecodableReason(const std::vector<std::uint8_t>& bytes);

} // namespace mirulo::image
