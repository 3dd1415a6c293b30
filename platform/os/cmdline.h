// Command lines as the system's Run list holds them: one string, split into arguments by
// the C runtime's rules.
//
//  - Arguments are separated by spaces or tabs.
//  - Text between double quotes keeps its spaces; "" inside quotes is one literal quote.
//  - Backslashes are literal, except before a double quote: 2n backslashes and a quote
//    give n backslashes and a quote mark; 2n+1 backslashes and a quote give n backslashes
//    and a literal quote.
//
// These rules apply to every argument, the program's path included, so a path holding
// quotes or ending in backslashes (possible on this system) is still written unambiguously.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The arguments of a command line.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The text to put between double quotes so that splitting gives the argument back. Text
// without double quotes and without trailing backslashes is returned unchanged.
std::string EscapeInQuotes(std::string_view argument);

// One argument as it goes on a command line: unchanged when it is not empty and holds no
// space, tab or double quote, otherwise in double quotes.
std::string QuoteArgument(std::string_view argument);

// A command line for the arguments. The first (the program) is always in double quotes.
std::string JoinCommandLine(const std::vector<std::string>& arguments);
