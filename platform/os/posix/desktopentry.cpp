#include "platform/os/posix/desktopentry.h"

#include <algorithm>
#include <cstdint>

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

// The length of the UTF-8 character at text[pos] (1 to 4), or 0 when the bytes there are
// none: a stray continuation byte, a truncated or overlong sequence, a surrogate, or a
// value above U+10FFFF.
size_t Utf8Length(std::string_view text, size_t pos) {
    const auto byte = [&](size_t i) { return uint8_t(text[i]); };
    const uint8_t lead = byte(pos);
    if (lead < 0x80) return 1;
    size_t length = 0;
    uint32_t cp = 0, least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - pos < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (byte(pos + i) & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

// Field codes a launcher replaces by files, URLs, the icon, the name or the file itself,
// or that are deprecated and expand to nothing.
bool IsFieldCode(char c) {
    return std::string_view("fFuUdDnNickvm").find(c) != std::string_view::npos;
}
}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (size_t pos = 0; pos < text.size();) {
        const size_t length = Utf8Length(text, pos);
        if (length == 0) return false;
        pos += length;
    }
    return true;
}

std::string ShowUtf8(std::string_view text) {
    std::string shown;
    for (size_t pos = 0; pos < text.size();) {
        if (const size_t length = Utf8Length(text, pos)) {
            shown.append(text.substr(pos, length));
            pos += length;
            continue;
        }
        static constexpr char kDigits[] = "0123456789abcdef";
        shown += "\\x";
        shown += kDigits[uint8_t(text[pos]) >> 4];
        shown += kDigits[uint8_t(text[pos]) & 15];
        ++pos;
    }
    return shown;
}

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
