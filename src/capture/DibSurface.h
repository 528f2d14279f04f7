#pragma once
// The capture code's name for the one DIB section type of the program.
#include "platform/DibSurface.h"

namespace mirulo::capture {
using platform::DibSurface;
} // namespace mirulo::capture
