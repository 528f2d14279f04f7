#pragma once
// A saved picture onto the clipboard, as a bitmap other programs paste
// (CF_BITMAP). The file is read and decoded before the clipboard is touched, so
// a picture that cannot be read leaves the clipboard as the user had it.
#include <windows.h>

#include <string>
#include <string_view>

namespace mirulo::library {

enum class PictureFormat { Png, Jpeg, Other };

// By the path's extension in lower case: ".png" and ".PNG" are PNG, ".jpg" is
// JPEG; anything else (".jpeg" included) is not a picture this tool copies.
PictureFormat PictureFormatOf(std::wstring_view path);

// Puts the picture at `path` on the clipboard in place of what it held, owned by
// `owner`. Transparent pixels are laid over white, as the picture would look on
// a blank page. Returns false, touching nothing, for an extension that is not a
// PNG or JPEG one. Throws platform::UserError when the file cannot be read or
// the clipboard cannot be opened ("クリップボード <system text> を開けません",
// after 6 tries 10 ms apart) and image::CodecError when the file does not decode.
bool CopyPictureToClipboard(HWND owner, const std::wstring& path);

} // namespace mirulo::library
