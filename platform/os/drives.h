// The drives of the system, for choosers of files that show them above the folders.
#pragma once

#include <string>
#include <vector>

// The root folder of every drive the system has, in the system's order ("C:\", "D:\" on
// Windows, drives.cpp in win32/). Empty where all files hang below the one root "/"
// (drives.cpp here).
std::vector<std::string> LogicalDrives();
