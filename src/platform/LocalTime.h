#pragma once
// A local date and time down to the millisecond, as the clock gives it. Portable,
// so that the code that names files after it can be tested natively.

namespace mirulo::platform {

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

} // namespace mirulo::platform
