#include "hexedit/options.h"

#ifndef ZT_VERSION
#define ZT_VERSION "unknown"
#endif

THexEditOptions ParseHexEditOptions(const std::vector<std::string>& arguments) {
    THexEditOptions options;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            options.FileName = argument;
            break;
        }
        if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            options.Help = true;
        } else if (argument == "--version") {
            options.Version = true;
        } else {
            options.Error = "unknown option '" + argument + "'";
            break;
        }
    }
    return options;
}

std::string HexEditUsage() {
    return "Usage: zentick-hexedit [FILE]\n"
           "Shows FILE as bytes and characters and lets you edit, search and save it.\n"
           "\n"
           "  --help     show this help and exit\n"
           "  --version  show the version and exit\n";
}

std::string HexEditVersion() {
    return std::string("zentick-hexedit ") + ZT_VERSION + "\n";
}
