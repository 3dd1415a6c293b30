#include "platform/os/cmdline.h"

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> arguments;
    std::string current;
    bool started = false;
    bool quoted = false;
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (started) arguments.push_back(std::move(current));
            current.clear();
            started = false;
            ++i;
            continue;
        }
        started = true;
        if (c == '\\') {
            size_t count = 0;
            while (i < line.size() && line[i] == '\\')
                ++count, ++i;
            if (i < line.size() && line[i] == '"') {
                current.append(count / 2, '\\');
                if (count % 2 == 1) {
                    current.push_back('"');
                    ++i;
                }
            } else {
                current.append(count, '\\');
            }
            continue;
        }
        if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                current.push_back('"');
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        current.push_back(c);
        ++i;
    }
    if (started) arguments.push_back(std::move(current));
    return arguments;
}

std::string EscapeInQuotes(std::string_view argument) {
    std::string result;
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            result.append(backslashes * 2 + 1, '\\');
        } else {
            result.append(backslashes, '\\');
        }
        backslashes = 0;
        result.push_back(c);
    }
    // Backslashes before the closing quote must not escape it.
    result.append(backslashes * 2, '\\');
    return result;
}

std::string QuoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
        return std::string(argument);
    }
    return "\"" + EscapeInQuotes(argument) + "\"";
}

std::string JoinCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) line += ' ';
        line += i == 0 ? "\"" + EscapeInQuotes(arguments[i]) + "\"" : QuoteArgument(arguments[i]);
    }
    return line;
}
