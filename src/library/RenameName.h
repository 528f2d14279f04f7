#pragma once
// Which new names the rename dialog may give a picture. Portable: UTF-16 text in,
// a yes or no out.
#include <string_view>

namespace mirulo::library {

// True when `name` names a file directly inside the save folder that Windows
// can reach again by that name. Refused: an empty name; any path separator,
// drive or stream (`\`, `/`, `:`), and "..", which would move the picture out
// of the folder; the characters Windows never allows in a name (control
// characters and `< > " | ? *`); a name ending in a dot or a blank, which
// Windows would silently shorten; and the reserved device names (CON, PRN,
// AUX, NUL, CONIN$, CONOUT$, COM0-9, LPT0-9, and COM/LPT with a superscript
// 1-3), whatever their letter case and extension ("con.png", "Nul .jpg"). Also
// refused: the form of the program's own temporary files (".~mirulo-" at the
// start, in any letter case), which a later start would finish or remove.
bool IsPlainFileName(std::u16string_view name);

} // namespace mirulo::library
