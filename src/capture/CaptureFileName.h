#pragma once
// Names of saved captures: "yyyymmdd_hhnnss_zzz_<code>.png" or ".jpg", for
// example 20240315_142530_045_固K.png. Portable, and in UTF-16 (std::u16string)
// because the name goes straight into a Win32 path and the capture-type codes
// are Japanese characters.
#include <string>
#include <string_view>

#include "platform/LocalTime.h"

namespace mirulo::capture {

enum class ImageFormat { Png, Jpg };

// The format chosen in the format list: entry 0 is PNG, every other entry
// (including "nothing selected", -1) is JPG.
ImageFormat FormatFromListIndex(int listIndex);

// ".png" or ".jpg".
std::u16string_view FileExtension(ImageFormat format);

// The time stamp (year 4 digits, millisecond 3, the rest 2, zero-padded), "_",
// the capture-type code as given, and the format's extension.
std::u16string CaptureFileName(const platform::LocalTime& time, std::u16string_view code, ImageFormat format);

} // namespace mirulo::capture
