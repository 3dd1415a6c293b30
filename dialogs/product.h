// The program's name, version, copyright and web addresses, as its windows show and open
// them. The version is the project's (CMakeLists.txt), as every program prints it.
#pragma once

#include "zt_version.h"

inline constexpr const char* kProgramName = "Tarvo's Binary Clock";
inline constexpr const char* kProgramVersion = ZT_VERSION;
inline constexpr const char* kCopyright = ZT_COPYRIGHT;
// The product web page: its address as the start-up panel shows it, and the page itself.
inline constexpr const char* kProductAddress = "www.zentick.org";
inline constexpr const char* kProductUrl = "https://www.zentick.org/";
// The page where users can support the program's development.
inline constexpr const char* kDonationUrl = "https://www.zentick.org/donate";
