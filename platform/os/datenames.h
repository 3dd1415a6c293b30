// Dates and the halves of the day in the user's language, as UTF-8: the names the system
// has for the user's locale (LC_TIME on Linux, the user's locale on Windows).
#pragma once

#include <ctime>
#include <string>

// The date with the day of the week and the month written out, "Wednesday 9 December
// 2026" in English.
std::string LocalLongDate(const std::tm& date);
// The mark of the morning or the afternoon in 12-hour time ("AM", "PM"); "AM" and "PM"
// where the locale has none of its own.
std::string LocalDayPeriod(bool afternoon);
