// The clock's time in words: what its tooltip shows and a screen reader reads.
#pragma once

#include <ctime>
#include <string>

// "13:47:05 — Wednesday 9 December 2026" in 24-hour mode, "1:47:05 PM — Wednesday 9
// December 2026" in 12-hour mode (midnight and noon are 12), with the names and the
// morning and afternoon marks of the user's locale.
std::string TimeInWords(const std::tm& local, bool hour24);
