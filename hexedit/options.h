// The command line of zentick-hexedit:
//
//   zentick-hexedit [-h | --help | -V | --version] [--] [FILE [ARGUMENT...]]
//
// Read in the GNU style (platform/os/cmdoptions.h): options may come before or after the
// file name. -h/--help prints the usage and -V/--version the program's name, version,
// copyright and licence, both to standard output, and the program then ends with 0
// without opening a window. The first argument that is not an option (or any after "--")
// names the file to open; the arguments after it are ignored. An unknown option is an
// error (status 2).
#pragma once

#include <string>
#include <vector>

struct THexEditOptions {
    bool Help = false;
    bool Version = false;
    std::string FileName;  // empty: start without a file
    std::string Error;     // not empty: the command line was wrong, and why
};

// Reads the arguments after the program's name.
THexEditOptions ParseHexEditOptions(const std::vector<std::string>& arguments);
// The texts --help and --version print.
std::string HexEditUsage();
std::string HexEditVersion();
