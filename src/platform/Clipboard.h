#pragma once
// Taking the clipboard over for what we put on it.
#include <windows.h>

namespace mirulo::platform {

// Opens the clipboard for `owner` (which then owns what is put on it) and
// empties it; the caller closes it with ::CloseClipboard. Another program often
// holds the clipboard for a moment, so opening is tried again for about 50 ms
// before giving up with UserError "クリップボード <system text> を開けません";
// the clipboard is closed again when emptying fails.
void OpenEmptiedClipboard(HWND owner);

} // namespace mirulo::platform
