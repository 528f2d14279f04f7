#pragma once
// The auto-capture's period and what each of its ticks does, apart from the
// window that shows them. Portable.
#include <cstdint>

namespace mirulo::capture {

// The period list holds 14 entries; a settings file without a usable entry
// number gets the fourth, "4".
inline constexpr std::int32_t kTimerEntryCount = 14;
inline constexpr std::int32_t kDefaultTimerEntry = 3;

// The entry a stored TimerNumber selects. A number outside the list would leave
// the timer without a period, so it falls back to the default entry.
std::int32_t TimerEntryFromStored(std::int32_t stored);

// Milliseconds between two ticks for the period number an entry shows, counted
// in seconds or in minutes.
std::uint32_t TimerIntervalMs(std::int32_t number, bool secondsMode);

// All four 0 means that no fixed range has been set.
bool IsFixedRangeSet(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

enum class TickAction {
    ReportNoFolder, // show the save-folder message, then switch the auto-capture off
    Capture,        // capture the fixed range; the timer keeps running
    ReportNoRange,  // show the no-range message, then switch the auto-capture off
};

TickAction DecideTick(bool saveFolderUsable, bool fixedRangeSet);

} // namespace mirulo::capture
