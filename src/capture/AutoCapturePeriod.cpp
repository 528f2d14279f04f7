#include "capture/AutoCapturePeriod.h"

namespace mirulo::capture {

std::int32_t TimerEntryFromStored(std::int32_t stored) {
    return stored >= 0 && stored < kTimerEntryCount ? stored : kDefaultTimerEntry;
}

std::uint32_t TimerIntervalMs(std::int32_t number, bool secondsMode) {
    // The list's numbers reach 300: 300 minutes is 18 000 000 ms, far inside 32 bits.
    const std::uint32_t count = number > 0 ? static_cast<std::uint32_t>(number) : 0u;
    return count * (secondsMode ? 1000u : 60000u);
}

bool IsFixedRangeSet(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    return left != 0 || top != 0 || width != 0 || height != 0;
}

TickAction DecideTick(bool saveFolderUsable, bool fixedRangeSet) {
    if (!saveFolderUsable) {
        return TickAction::ReportNoFolder;
    }
    return fixedRangeSet ? TickAction::Capture : TickAction::ReportNoRange;
}

} // namespace mirulo::capture
