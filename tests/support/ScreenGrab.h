#pragma once
// What the screen shows, read back from the screen itself, for tests that look
// at another program's windows (or keep a picture of them for a person).
#include <windows.h>

#include "image/Image.h"
#include "platform/DibSurface.h"

namespace mirulo::testkit {

// The pixels of `area` (screen coordinates): BGRX rows, ready to read.
platform::DibSurface GrabScreen(const RECT& area);
// The same as an RGB picture.
image::Image GrabScreenPicture(const RECT& area);

} // namespace mirulo::testkit
