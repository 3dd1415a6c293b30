// The wall clock: the C library's time and localtime, with a switch for tests.
//
// The program reads the local time only through LocalTimeNow. Normally that is
// localtime(time()); a test backend can install a virtual clock instead, which then gives
// the local time itself (no time zone is applied to it), so tests fix the time exactly.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>

// The current local time (hour 0-23, minute 0-59, second 0-59, and the date).
std::tm LocalTimeNow();

// Seconds since the epoch, as time() gives them, or the virtual clock's seconds.
std::time_t TimeNow();

// Milliseconds since the epoch (the virtual clock's, when one is installed): where in the
// current second the wall clock is.
int64_t WallClockMs();

// Installs a virtual clock: a function giving milliseconds since the epoch that are taken
// as local time. An empty function returns to the real clock.
void SetVirtualWallClock(std::function<int64_t()> millisecondsNow);

// A broken-down local time for a number of seconds taken as local time (no time zone).
std::tm VirtualLocalTime(std::time_t localSeconds);

// Seconds for a local time of day on the virtual clock's epoch day (1 January 2026),
// for tests: LocalSeconds(13, 47, 5) shows 13:47:05.
std::time_t LocalSeconds(int hour, int minute, int second);
