#pragma once
// Parts of a path, as text: no file system involved.
#include <string>
#include <string_view>

namespace mirulo::platform {

// The part after the last backslash, slash or colon ("C:\pics\a.png" -> "a.png");
// a path without one is its own file name.
std::wstring FileNamePart(std::wstring_view path);

} // namespace mirulo::platform
