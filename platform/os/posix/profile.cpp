#include "platform/os/profile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/path.h"
#include "platform/os/posix/atomicfile.h"
#include "platform/os/posix/configdir.h"
#include "platform/os/posix/regfile.h"

namespace {
std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The file a profile name stands for; nothing for a null or empty name, or a bare name
// when there is no configuration folder.
std::optional<std::string> ResolveFile(const char* fileName) {
    if (fileName == nullptr || fileName[0] == '\0') return std::nullopt;
    if (std::strchr(fileName, '/') != nullptr) return std::string(fileName);
    auto dir = ProgramConfigDir();
    if (!dir) return std::nullopt;
    return JoinPath(*dir, fileName);
}

// The lines of a profile file. Each line keeps the line end it was read with, so that a
// write changes no line but the ones it means to: a file with mixed or stray line ends is
// written back byte for byte around the change, and a second write of the same value
// leaves the file as it is. New lines, and a last line that had no line end, end as the
// file's lines do (CRLF when the file has any, LF otherwise).
class TProfileText {
public:
    struct TLine {
        TLine(std::string text = {}, std::string_view end = {}) : Text(std::move(text)), End(end) {}
        std::string Text;      // without its line end
        std::string_view End;  // "\n", "\r\n", or empty for a new line or an unended last one
    };

    explicit TProfileText(std::string_view text) {
        crlf_ = text.find("\r\n") != std::string_view::npos;
        while (!text.empty()) {
            std::string_view::size_type end = text.find('\n');
            std::string_view line = text.substr(0, end);
            std::string_view lineEnd = end == std::string_view::npos ? "" : "\n";
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
                if (!lineEnd.empty()) lineEnd = "\r\n";
            }
            lines_.emplace_back(std::string(line), lineEnd);
            text.remove_prefix(std::min(end, text.size() - 1) + 1);
        }
    }

    std::string Text() const {
        std::string text;
        for (const TLine& line : lines_)
            text += line.Text + std::string(line.End.empty() ? (crlf_ ? "\r\n" : "\n") : line.End);
        return text;
    }

    // What a line says ends at its first NUL byte: names and values are C strings, and a
    // name with a NUL in it could be neither listed nor asked for.
    static std::string_view TextOf(std::string_view line) {
        return line.substr(0, line.find('\0'));
    }

    // The name of a section header line.
    static std::optional<std::string_view> SectionOf(std::string_view line) {
        line = Trim(TextOf(line));
        if (line.empty() || line.front() != '[') return std::nullopt;
        std::string_view::size_type close = line.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        return Trim(line.substr(1, close - 1));
    }

    // The key and value of a key=value line.
    static bool KeyOf(std::string_view line, std::string_view& key, std::string_view& value) {
        line = Trim(TextOf(line));
        std::string_view::size_type equals = line.find('=');
        if (line.empty() || line.front() == ';' || line.front() == '[' ||
            equals == std::string_view::npos) {
            return false;
        }
        key = Trim(line.substr(0, equals));
        value = Trim(line.substr(equals + 1));
        return true;
    }

    // The lines [first, last) of the first section of that name: first is the header.
    bool FindSection(std::string_view name, size_t& first, size_t& last) const {
        for (first = 0; first < lines_.size(); ++first) {
            auto header = SectionOf(lines_[first].Text);
            if (header && SameRegName(*header, name)) break;
        }
        if (first == lines_.size()) return false;
        for (last = first + 1; last < lines_.size() && !SectionOf(lines_[last].Text); ++last) {
        }
        return true;
    }

    // The line of key in the section's lines, or last.
    size_t FindKey(size_t first, size_t last, std::string_view name) const {
        for (size_t i = first + 1; i < last; ++i) {
            std::string_view key, value;
            if (KeyOf(lines_[i].Text, key, value) && SameRegName(key, name)) return i;
        }
        return last;
    }

    std::vector<TLine>& Lines() { return lines_; }
    const std::vector<TLine>& Lines() const { return lines_; }

private:
    std::vector<TLine> lines_;
    bool crlf_ = false;
};

// Copies one string, cut to the buffer.
DWORD CopyOut(std::string_view text, char* buffer, DWORD size) {
    DWORD length = static_cast<DWORD>(std::min<size_t>(text.size(), size - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return length;
}

// Copies a list of names, each terminated, ending in a second terminator.
DWORD CopyList(const std::vector<std::string>& names, char* buffer, DWORD size) {
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    DWORD used = 0;
    for (const std::string& name : names) {
        if (used + name.size() + 1 > size - 1) {
            // Cut this name to what is left and end the list: size - 2 characters written.
            if (used < size - 2) std::memcpy(buffer + used, name.data(), size - 2 - used);
            buffer[size - 2] = '\0';
            buffer[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(buffer + used, name.data(), name.size());
        used += static_cast<DWORD>(name.size());
        buffer[used++] = '\0';
    }
    buffer[used] = '\0';
    if (used == 0 && size > 1) buffer[1] = '\0';
    return used;
}

bool HasLineBreak(const char* text) {
    return text != nullptr && std::strpbrk(text, "\r\n") != nullptr;
}

// Section and key names are read from their lines without the blanks around them, so they
// are looked up and written without them too: " k " names the key k.
std::optional<std::string> TrimmedName(const char* name) {
    if (name == nullptr) return std::nullopt;
    return std::string(Trim(name));
}

// Whether a section name can be written: it is the text between the brackets of its line.
bool IsStorableSection(const char* section) {
    return section != nullptr && !HasLineBreak(section) && std::strchr(section, ']') == nullptr;
}

// Whether a key name can be written: it is the text before the first '=' of its line, and
// a line that starts with ';' is a comment and one that starts with '[' a section header.
bool IsStorableKey(const char* key) {
    return !HasLineBreak(key) && std::strchr(key, '=') == nullptr && key[0] != ';' && key[0] != '[';
}
}  // namespace

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD size, const char* fileName) {
    if (buffer == nullptr || size == 0) return 0;
    std::string fallback = defaultValue == nullptr ? std::string() : std::string(defaultValue);
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.pop_back();

    std::string contents;
    if (auto path = ResolveFile(fileName)) {
        int error = 0;
        if (auto text = ReadWholeFile(*path, error)) contents = std::move(*text);
    }
    const TProfileText profile(contents);
    const std::optional<std::string> sectionName = TrimmedName(section), keyName = TrimmedName(key);
    if (sectionName) section = sectionName->c_str();
    if (keyName) key = keyName->c_str();

    if (section == nullptr) {
        std::vector<std::string> names;
        for (const TProfileText::TLine& line : profile.Lines()) {
            if (auto header = TProfileText::SectionOf(line.Text)) names.emplace_back(*header);
        }
        return CopyList(names, buffer, size);
    }
    size_t first = 0, last = 0;
    const bool found = profile.FindSection(section, first, last);
    if (key == nullptr) {
        std::vector<std::string> names;
        for (size_t i = first + 1; found && i < last; ++i) {
            std::string_view name, value;
            if (TProfileText::KeyOf(profile.Lines()[i].Text, name, value)) names.emplace_back(name);
        }
        return CopyList(names, buffer, size);
    }
    if (found) {
        size_t line = profile.FindKey(first, last, key);
        if (line < last) {
            std::string_view name, value;
            TProfileText::KeyOf(profile.Lines()[line].Text, name, value);
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front()) {
                value = value.substr(1, value.size() - 2);
            }
            return CopyOut(value, buffer, size);
        }
    }
    return CopyOut(fallback, buffer, size);
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
    const std::optional<std::string> sectionName = TrimmedName(section), keyName = TrimmedName(key);
    if (sectionName) section = sectionName->c_str();
    if (keyName) key = keyName->c_str();
    if (!IsStorableSection(section) || (key != nullptr && !IsStorableKey(key)) ||
        HasLineBreak(value)) {
        return 0;
    }
    // Removing a key or a section changes nothing in a file that does not exist.
    const bool removing = key == nullptr || value == nullptr;
    auto path = ResolveFile(fileName);
    if (!path) return 0;
    if (!removing && std::strchr(fileName, '/') == nullptr) {
        auto dir = ProgramConfigDir();
        if (!dir || MakeDirectories(*dir) != 0) return 0;
    }
    // Write through a symbolic link to the file it names, keeping the link.
    struct stat st {};
    if (lstat(path->c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char* target = realpath(path->c_str(), nullptr);
        if (target == nullptr) return 0;
        *path = target;
        std::free(target);
    }

    // A file the user made read-only stays as it is.
    if (access(path->c_str(), F_OK) == 0 && access(path->c_str(), W_OK) != 0) return 0;

    TFileLock lock = TFileLock::OnFile(*path, !removing);
    if (!lock.Locked()) return removing && lock.Error() == ENOENT ? 1 : 0;
    int error = 0;
    std::optional<std::string> text = ReadWholeFile(*path, error);
    if (!text || stat(path->c_str(), &st) != 0) return 0;
    TProfileText profile(*text);
    std::vector<TProfileText::TLine>& lines = profile.Lines();

    size_t first = 0, last = 0;
    const bool found = profile.FindSection(section, first, last);
    if (key == nullptr) {
        if (!found) return 1;
        lines.erase(lines.begin() + static_cast<long>(first),
                    lines.begin() + static_cast<long>(last));
    } else if (value == nullptr) {
        if (!found) return 1;
        size_t line = profile.FindKey(first, last, key);
        if (line == last) return 1;
        lines.erase(lines.begin() + static_cast<long>(line));
    } else if (!found) {
        if (!lines.empty() && !Trim(lines.back().Text).empty()) lines.emplace_back();
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::string(key) + "=" + value);
    } else {
        size_t line = profile.FindKey(first, last, key);
        if (line < last) {
            std::string_view name, old;
            TProfileText::KeyOf(lines[line].Text, name, old);
            lines[line].Text = std::string(name) + "=" + value;
        } else {
            // After the section's last non-blank line.
            size_t at = last;
            while (at > first + 1 && Trim(lines[at - 1].Text).empty())
                --at;
            lines.insert(lines.begin() + static_cast<long>(at), std::string(key) + "=" + value);
        }
    }
    return WriteFileAtomic(*path, profile.Text(), st.st_mode & 07777) == 0 ? 1 : 0;
}
