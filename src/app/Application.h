#pragma once
#include "platform/Host.h"

namespace mirulo::app {

// The whole life of the program after the single-instance check: the windows in
// their order of creation, then the message loop until the main window closes.
int RunApplication(platform::Host& host);

} // namespace mirulo::app
