// Feeds arbitrary bytes to the readers of desktop entries and command lines: the text as a
// .desktop file (ReadDesktopEntry, then every value as an Exec line), and the bytes split
// at NULs as an argument vector. Whatever the arguments, the Exec line written for them
// must start exactly those arguments once read back from a file, and the command line
// joined from them must split back into them; escaped values must unescape unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/cmdline.h"
#include "platform/os/posix/desktopentry.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // As a file: every value read, and the Exec lines parsed; a parsed line written again
    // gives the same arguments.
    for (const auto& [key, value] : ReadDesktopEntry(text)) {
        UnescapeDesktopValue(value);
        if (auto arguments = ParseExecValue(value)) {
            Check(ParseExecValue(ExecValue(*arguments)) == *arguments);
        }
    }

    // As values and arguments.
    Check(UnescapeDesktopValue(EscapeDesktopValue(text)) == text);
    std::vector<std::string> arguments;
    for (size_t start = 0; start <= size;) {
        size_t end = text.find('\0', start);
        if (end == std::string_view::npos) end = size;
        arguments.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    const std::string entry = "[Desktop Entry]\nExec=" + ExecValue(arguments) + "\n";
    const auto keys = ReadDesktopEntry(entry);
    Check(keys.count("Exec") == 1);
    Check(ParseExecValue(keys.at("Exec")) == arguments);

    Check(SplitCommandLine(JoinCommandLine(arguments)) == arguments);
    for (const std::string& argument : arguments) {
        Check(SplitCommandLine(QuoteArgument(argument)) == std::vector<std::string>{argument});
        Check(SplitCommandLine("\"" + EscapeInQuotes(argument) + "\"") ==
              std::vector<std::string>{argument});
    }
    // A command line read as the Run list reads it joins into one that reads the same.
    const std::vector<std::string> split = SplitCommandLine(text);
    if (!split.empty()) Check(SplitCommandLine(JoinCommandLine(split)) == split);
    return 0;
}
