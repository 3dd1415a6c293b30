#include "platform/os/desktopentry.h"

#include <algorithm>

namespace {
bool IsPlainChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("_-./=:,+@%").find(c) != std::string_view::npos;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// Field codes a launcher replaces by files, URLs, the icon, the name or the file itself,
// or that are deprecated and expand to nothing.
bool IsFieldCode(char c) {
    return std::string_view("fFuUdDnNickvm").find(c) != std::string_view::npos;
}
}  // namespace

std::string EscapeDesktopValue(std::string_view value) {
    // Spaces at either end are written as \s so that no reader trims them away.
    const size_t trailing =
        value.find_last_not_of(' ') == std::string_view::npos ? 0 : value.find_last_not_of(' ') + 1;
    std::string result;
    for (size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        switch (c) {
            case '\\':
                result += "\\\\";
                break;
            case '\n':
                result += "\\n";
                break;
            case '\t':
                result += "\\t";
                break;
            case '\r':
                result += "\\r";
                break;
            case ' ':
                result += (i == 0 || i >= trailing) ? "\\s" : " ";
                break;
            default:
                result.push_back(c);
        }
    }
    return result;
}

std::string UnescapeDesktopValue(std::string_view value) {
    std::string result;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result.push_back(value[i]);
            continue;
        }
        switch (value[i + 1]) {
            case 's':
                result.push_back(' ');
                break;
            case 'n':
                result.push_back('\n');
                break;
            case 't':
                result.push_back('\t');
                break;
            case 'r':
                result.push_back('\r');
                break;
            case '\\':
                result.push_back('\\');
                break;
            default:
                result.append(value.substr(i, 2));
        }
        ++i;
    }
    return result;
}

std::string ExecValue(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) line.push_back(' ');
        bool plain = !argument.empty();
        for (char c : argument)
            plain = plain && IsPlainChar(c);
        if (!plain) line.push_back('"');
        for (char c : argument) {
            if (!plain && (c == '"' || c == '`' || c == '$' || c == '\\')) line.push_back('\\');
            line.push_back(c);
            if (c == '%') line.push_back('%');
        }
        if (!plain) line.push_back('"');
    }
    return EscapeDesktopValue(line);
}

std::optional<std::vector<std::string>> ParseExecValue(std::string_view value) {
    const std::string line = UnescapeDesktopValue(value);
    // Split into arguments, undoing the quoting.
    std::vector<std::string> raw;
    std::string current;
    bool started = false;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < line.size() &&
                       std::string_view("\"`$\\").find(line[i + 1]) != std::string_view::npos) {
                current.push_back(line[++i]);
            } else {
                current.push_back(c);
            }
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (started) raw.push_back(std::move(current));
            current.clear();
            started = false;
        } else if (c == '"') {
            quoted = true;
            started = true;
        } else if (c == '\\' && i + 1 < line.size()) {
            current.push_back(line[++i]);
            started = true;
        } else {
            current.push_back(c);
            started = true;
        }
    }
    if (quoted) return std::nullopt;
    if (started) raw.push_back(std::move(current));

    // Expand the field codes as a launch without files does.
    std::vector<std::string> arguments;
    for (const std::string& argument : raw) {
        if (argument.size() == 2 && argument[0] == '%' && IsFieldCode(argument[1])) continue;
        std::string expanded;
        for (size_t i = 0; i < argument.size(); ++i) {
            if (argument[i] == '%' && i + 1 < argument.size()) {
                if (argument[i + 1] == '%') expanded.push_back('%');
                ++i;
            } else {
                expanded.push_back(argument[i]);
            }
        }
        arguments.push_back(std::move(expanded));
    }
    return arguments;
}

std::map<std::string, std::string> ReadDesktopEntry(std::string_view text) {
    std::map<std::string, std::string> keys;
    bool inEntry = false;
    while (!text.empty()) {
        std::string_view::size_type end = text.find('\n');
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        std::string_view::size_type equals = line.find('=');
        if (!inEntry || equals == std::string_view::npos) continue;
        std::string key(Trim(line.substr(0, equals)));
        keys.emplace(key, std::string(Trim(line.substr(equals + 1))));
    }
    return keys;
}
