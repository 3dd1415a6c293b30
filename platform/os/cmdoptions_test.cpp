#include "platform/os/cmdoptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const TOptionSpec kTable[] = {
    {"help", 'h', TOptionValue::None, 0, 0, "", "", "print this help and exit"},
    {"version", 'V', TOptionValue::None, 0, 0, "", "", "print the version and exit"},
    {"verbose", 'v', TOptionValue::None, 0, 0, "", "", "say more"},
    {"type", 't', TOptionValue::Number, 0, 6, "", "N", "clock format"},
    {"out", 'o', TOptionValue::Text, 0, 0, "", "FILE", "where to write"},
    {"dialog", 0, TOptionValue::Choice, 0, 0, "settings|about", "", "the dialog"},
};

// The parsed options as "name=value" words and the operands as "[operand]", or the error.
std::string Read(const std::vector<std::string>& arguments,
                 TUnknownOptions unknown = TUnknownOptions::Refuse) {
    const TParsedOptions parsed = ParseOptions(kTable, arguments, unknown);
    if (!parsed.Error.empty()) return "error: " + parsed.Error;
    std::string out;
    for (const TParsedOption& option : parsed.Options) {
        out += std::string(option.Spec->Long);
        if (option.Spec->Value != TOptionValue::None) out += "=" + option.Text;
        out += " ";
    }
    for (const std::string& operand : parsed.Operands)
        out += "[" + operand + "] ";
    return out;
}

TEST(CmdOptions, ValuesInEveryGnuSpelling) {
    struct Case {
        std::vector<std::string> Arguments;
        const char* Expected;
    } cases[] = {
        {{"--type=3"}, "type=3 "},
        {{"--type", "3"}, "type=3 "},
        {{"-t", "3"}, "type=3 "},
        {{"-t3"}, "type=3 "},
        {{"--out=a=b.png"}, "out=a=b.png "},
        {{"--out="}, "out= "},
        {{"--out", "--type"}, "out=--type "},
        {{"-vho", "x.png"}, "verbose help out=x.png "},
        {{"-vhox.png"}, "verbose help out=x.png "},
        {{"file", "--type", "1", "other"}, "type=1 [file] [other] "},
        {{"--", "--type", "-h"}, "[--type] [-h] "},
        {{"-", "-V"}, "version [-] "},
        {{"--dialog", "about"}, "dialog=about "},
        {{"--type", "+4", "--type=-0"}, "type=+4 type=-0 "},
        {{}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.Arguments), c.Expected) << c.Arguments.size();
}

TEST(CmdOptions, FaultsAreNamedAndEndTheReading) {
    struct Case {
        std::vector<std::string> Arguments;
        const char* Expected;
    } cases[] = {
        {{"--bogus"}, "error: unknown option '--bogus'"},
        {{"--bogus=1"}, "error: unknown option '--bogus'"},
        {{"-x"}, "error: unknown option '-x'"},
        {{"-hx"}, "error: unknown option '-x'"},
        {{"--ty", "1"}, "error: unknown option '--ty'"},
        {{"--type"}, "error: option '--type' needs a value"},
        {{"-t"}, "error: option '-t' needs a value"},
        {{"--help=yes"}, "error: option '--help' takes no value"},
        {{"--type", "99"}, "error: --type must be 0 to 6"},
        {{"--type=-1"}, "error: --type must be 0 to 6"},
        {{"--type", "three"}, "error: --type must be 0 to 6"},
        {{"--type", "3x"}, "error: --type must be 0 to 6"},
        {{"--type="}, "error: --type must be 0 to 6"},
        {{"--type", "99999999999999999999999"}, "error: --type must be 0 to 6"},
        {{"--dialog", "menu"}, "error: --dialog must be settings or about"},
        {{"--type", "1", "--bogus", "--type", "2"}, "error: unknown option '--bogus'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.Arguments), c.Expected) << c.Arguments.front();
}

TEST(CmdOptions, IgnoringUnknownOptionsStillChecksKnownOnes) {
    using enum TUnknownOptions;
    EXPECT_EQ(Read({"-autominimize"}, Ignore), "");
    EXPECT_EQ(Read({"--bogus", "-hx", "--version"}, Ignore), "version ");
    EXPECT_EQ(Read({"-vh"}, Ignore), "verbose help ");
    EXPECT_EQ(Read({"--type", "9"}, Ignore), "error: --type must be 0 to 6");
}

TEST(CmdOptions, FindGivesTheLastOccurrence) {
    const TParsedOptions parsed = ParseOptions(kTable, {"--type=1", "-t", "5"});
    ASSERT_TRUE(parsed.Error.empty());
    ASSERT_TRUE(parsed.Has("type"));
    EXPECT_EQ(parsed.Find("type")->Number, 5);
    EXPECT_FALSE(parsed.Has("out"));
}

TEST(CmdOptions, HelpListsEveryRowAligned) {
    const std::string help = OptionHelp(std::span(kTable).first(2));
    EXPECT_EQ(help,
              "  -h, --help     print this help and exit\n"
              "  -V, --version  print the version and exit\n");
    const std::string all = OptionHelp(kTable);
    EXPECT_NE(all.find("  -t, --type N"), std::string::npos);
    EXPECT_NE(all.find("      --dialog settings|about  the dialog\n"), std::string::npos);
}

TEST(CmdOptions, VersionNamesTheProgramTheCopyrightAndTheLicence) {
    const std::string text = VersionText("zentick");
    EXPECT_EQ(text.rfind("zentick 2.", 0), 0u) << text;
    EXPECT_NE(text.find("\nCopyright (c) 2026 The zentick developers\n"), std::string::npos);
    EXPECT_NE(text.find("MIT"), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
}

}  // namespace
