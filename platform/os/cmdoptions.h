// Command lines in the GNU style, read from a table of options.
//
// A program describes its options as rows of TOptionSpec (long name, short letter, what
// value it takes, and for a number its range or for a word its choices) and hands the
// table and its arguments to ParseOptions:
//
//   --name=VALUE and --name VALUE       a long option with its value
//   -n VALUE, -nVALUE                   a short option with its value
//   -abc                                short options without values, together
//   --                                  everything after it is an operand
//   -  and any argument not starting with "-" is an operand (operands and options may
//      come in any order)
//
// The first fault ends the reading with a message for the user (TParsedOptions::Error):
// an unknown option ("unknown option '--bogus'"), a value missing or given to an option
// that takes none, a number out of its range or not a number ("--type must be 0 to 6"),
// a word not among its choices ("--dialog must be settings or about"). With
// TUnknownOptions::Ignore, unknown options are skipped instead (a short group is skipped
// whole when any of its letters is unknown); known ones are still checked.
//
// The program prints the error as "PROGRAM: message" on standard error, adds
// "Try 'PROGRAM --help' for more information." and ends with status 2 (OptionError), and
// --help lists the table (OptionHelp). --version prints VersionText: the version line,
// then the copyright and the licence, as GNU programs do.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class TOptionValue {
    None,    // a switch: --help
    Number,  // a whole number from Min to Max: --type 3
    Text,    // any text: --out FILE
    Choice,  // one of the words of Choices: --dialog about
};

struct TOptionSpec {
    std::string_view Long;  // "type" for --type; never empty
    char Short = 0;         // 'h' for -h; 0 for none
    TOptionValue Value = TOptionValue::None;
    int64_t Min = 0;  // Number: the range, both ends included
    int64_t Max = 0;
    std::string_view Choices;    // Choice: the words, separated by '|'
    std::string_view ValueName;  // how --help names the value: "N", "FILE"
    std::string_view Help;       // one line for --help
};

struct TParsedOption {
    const TOptionSpec* Spec = nullptr;
    std::string Text;    // the value as given (empty for a switch)
    int64_t Number = 0;  // Number: the value
};

enum class TUnknownOptions { Refuse, Ignore };

struct TParsedOptions {
    std::vector<TParsedOption> Options;  // in the order given
    std::vector<std::string> Operands;
    std::string Error;  // empty when the command line is right

    // The last occurrence of --name, or none.
    const TParsedOption* Find(std::string_view longName) const;
    bool Has(std::string_view longName) const { return Find(longName) != nullptr; }
};

// Reads the arguments after the program's name.
TParsedOptions ParseOptions(std::span<const TOptionSpec> table,
                            const std::vector<std::string>& arguments,
                            TUnknownOptions unknown = TUnknownOptions::Refuse);

// The arguments of main after the program's name.
std::vector<std::string> Arguments(int argc, char** argv);

// The option lines of --help, one per row, descriptions lined up:
//   "  -h, --help             print this help and exit\n"
std::string OptionHelp(std::span<const TOptionSpec> table);

// What --version prints for program: "program VERSION", the copyright line and the
// licence lines (zt_version.h, made by the build from the project's version), each ending
// in a newline.
std::string VersionText(std::string_view program);

// Prints "program: error" and the hint to try --help on standard error; returns 2, the
// status a program ends with on a wrong command line.
int OptionError(std::string_view program, const std::string& error);
