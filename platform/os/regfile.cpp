#include "platform/os/regfile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace {
constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr DWORD kRegBinary = 3;
constexpr DWORD kRegDword = 4;
constexpr DWORD kRegSz = 1;

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::string_view::size_type end = text.find('\n');
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(TrimRight(text.substr(0, end)));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = FoldCase(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads a quoted string with \\ and \" escapes from the start of s; advances s past it.
std::optional<std::string> ReadQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"') return std::nullopt;
    std::string result;
    for (size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return result;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return std::nullopt;
            c = s[++i];
        }
        result.push_back(c);
    }
    return std::nullopt;
}

// Parses "xx,xx,..." hex bytes (whitespace allowed around the commas).
std::optional<std::vector<BYTE>> ParseHexBytes(std::string_view s) {
    std::vector<BYTE> bytes;
    s = TrimLeft(TrimRight(s));
    while (!s.empty()) {
        if (s.size() < 2) return std::nullopt;
        int high = HexDigit(s[0]);
        int low = HexDigit(s[1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<BYTE>(high * 16 + low));
        s = TrimLeft(s.substr(2));
        if (s.empty()) break;
        if (s.front() != ',') return std::nullopt;
        s = TrimLeft(s.substr(1));
        if (s.empty()) return std::nullopt;
    }
    return bytes;
}

std::optional<DWORD> ParseHexNumber(std::string_view s, size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    DWORD value = 0;
    for (char c : s) {
        int digit = HexDigit(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<DWORD>(digit);
    }
    return value;
}

std::string Escape(std::string_view s) {
    std::string result;
    for (char c : s) {
        if (c == '\\' || c == '"') result.push_back('\\');
        result.push_back(c);
    }
    return result;
}

// A REG_SZ whose data is text and exactly one terminator, with no line break.
bool IsPlainString(const std::vector<BYTE>& data) {
    if (data.empty() || data.back() != 0) return false;
    return std::none_of(data.begin(), data.end() - 1,
                        [](BYTE b) { return b == 0 || b == '\n' || b == '\r'; });
}

void StoreValue(TRegKey& key, std::string_view name, DWORD type, std::vector<BYTE> data) {
    for (TRegValue& value : key.Values) {
        if (SameRegName(value.Name, name)) {
            value.Type = type;
            value.Data = std::move(data);
            return;
        }
    }
    key.Values.push_back(TRegValue{std::string(name), type, std::move(data)});
}

bool RemoveValue(TRegKey& key, std::string_view name) {
    auto found = std::find_if(key.Values.begin(), key.Values.end(), [&](const TRegValue& value) {
        return SameRegName(value.Name, name);
    });
    if (found == key.Values.end()) return false;
    key.Values.erase(found);
    return true;
}

// The text of a UTF-16LE file (after its byte order mark) as UTF-8. Nothing for an odd
// number of bytes or a surrogate that is not part of a pair.
std::optional<std::string> Utf16LeToUtf8(std::string_view bytes) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    std::string text;
    text.reserve(bytes.size() / 2);
    auto unit = [&](size_t i) {
        return uint32_t(uint8_t(bytes[i])) | uint32_t(uint8_t(bytes[i + 1])) << 8;
    };
    for (size_t i = 0; i < bytes.size(); i += 2) {
        uint32_t c = unit(i);
        if (c >= 0xDC00 && c <= 0xDFFF) return std::nullopt;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 2 >= bytes.size()) return std::nullopt;
            const uint32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        if (c < 0x80) {
            text.push_back(char(c));
        } else if (c < 0x800) {
            text.push_back(char(0xC0 | c >> 6));
            text.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            text.push_back(char(0xE0 | c >> 12));
            text.push_back(char(0x80 | (c >> 6 & 0x3F)));
            text.push_back(char(0x80 | (c & 0x3F)));
        } else {
            text.push_back(char(0xF0 | c >> 18));
            text.push_back(char(0x80 | (c >> 12 & 0x3F)));
            text.push_back(char(0x80 | (c >> 6 & 0x3F)));
            text.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return text;
}

bool IsAncestorPath(std::string_view ancestor, std::string_view path) {
    return path.size() > ancestor.size() && path[ancestor.size()] == '\\' &&
           SameRegName(path.substr(0, ancestor.size()), ancestor);
}
}  // namespace

bool SameRegName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldCase(x) == FoldCase(y);
           });
}

bool IsStorableRegName(std::string_view name) {
    return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::optional<TRegFile> TRegFile::Parse(std::string_view text) {
    // The registry editor writes UTF-16LE with a byte order mark; our own files are UTF-8.
    std::optional<std::string> decoded;
    if (text.substr(0, 2) == "\xFF\xFE") {
        decoded = Utf16LeToUtf8(text.substr(2));
        if (!decoded) return std::nullopt;
        text = *decoded;
    } else if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    std::vector<std::string_view> lines = SplitLines(text);
    TRegFile file;
    bool headerSeen = false;
    TRegKey* current = nullptr;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = TrimLeft(lines[i]);
        if (line.empty() || line.front() == ';') continue;
        if (!headerSeen) {
            if (line != kHeader && line != kOldHeader) return std::nullopt;
            headerSeen = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3 || line[1] == '-') return std::nullopt;
            const std::string_view path = line.substr(1, line.size() - 2);
            file.CreateKey(path);
            current = file.FindKeyMutable(path);
            continue;
        }
        if (current == nullptr) return std::nullopt;
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else {
            auto quoted = ReadQuoted(line);
            if (!quoted) return std::nullopt;
            name = std::move(*quoted);
        }
        line = TrimLeft(line);
        if (line.empty() || line.front() != '=') return std::nullopt;
        line = TrimLeft(line.substr(1));

        if (line == "-") {
            RemoveValue(*current, name);
        } else if (!line.empty() && line.front() == '"') {
            auto data = ReadQuoted(line);
            if (!data || !TrimLeft(line).empty()) return std::nullopt;
            std::vector<BYTE> bytes(data->begin(), data->end());
            bytes.push_back(0);
            StoreValue(*current, name, kRegSz, std::move(bytes));
        } else if (line.substr(0, 6) == "dword:") {
            auto value = ParseHexNumber(line.substr(6), 8);
            if (!value) return std::nullopt;
            std::vector<BYTE> bytes(4);
            for (int b = 0; b < 4; ++b)
                bytes[b] = static_cast<BYTE>(*value >> (8 * b));
            StoreValue(*current, name, kRegDword, std::move(bytes));
        } else if (line.substr(0, 3) == "hex") {
            DWORD type = kRegBinary;
            line.remove_prefix(3);
            if (!line.empty() && line.front() == '(') {
                std::string_view::size_type close = line.find(')');
                if (close == std::string_view::npos) return std::nullopt;
                auto parsed = ParseHexNumber(line.substr(1, close - 1), 8);
                if (!parsed) return std::nullopt;
                type = *parsed;
                line.remove_prefix(close + 1);
            }
            if (line.empty() || line.front() != ':') return std::nullopt;
            std::string hex(line.substr(1));
            // A line ending in a backslash continues on the next one.
            while (!hex.empty() && hex.back() == '\\') {
                hex.pop_back();
                if (++i >= lines.size()) return std::nullopt;
                hex += TrimLeft(lines[i]);
            }
            auto bytes = ParseHexBytes(hex);
            if (!bytes) return std::nullopt;
            StoreValue(*current, name, type, std::move(*bytes));
        } else {
            return std::nullopt;
        }
    }
    if (!headerSeen) return std::nullopt;
    return file;
}

std::string TRegFile::Serialise() const {
    std::string text(kHeader);
    text += "\n\n";
    for (const TRegKey& key : keys_) {
        text += "[" + key.Path + "]\n";
        for (const TRegValue& value : key.Values) {
            text += value.Name.empty() ? std::string("@") : "\"" + Escape(value.Name) + "\"";
            text += '=';
            if (value.Type == kRegSz && IsPlainString(value.Data)) {
                std::string_view chars(reinterpret_cast<const char*>(value.Data.data()),
                                       value.Data.size() - 1);
                text += "\"" + Escape(chars) + "\"";
            } else if (value.Type == kRegDword && value.Data.size() == 4) {
                DWORD number = 0;
                for (int b = 3; b >= 0; --b)
                    number = number << 8 | value.Data[b];
                char buffer[16];
                std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
                text += buffer;
            } else {
                char buffer[24];
                if (value.Type == kRegBinary) {
                    text += "hex:";
                } else {
                    std::snprintf(buffer, sizeof buffer, "hex(%x):", value.Type);
                    text += buffer;
                }
                for (size_t b = 0; b < value.Data.size(); ++b) {
                    std::snprintf(buffer, sizeof buffer, b == 0 ? "%02x" : ",%02x", value.Data[b]);
                    text += buffer;
                }
            }
            text += '\n';
        }
        text += '\n';
    }
    return text;
}

bool TRegFile::KeyExists(std::string_view path) const {
    return std::any_of(keys_.begin(), keys_.end(), [&](const TRegKey& key) {
        return SameRegName(key.Path, path) || IsAncestorPath(path, key.Path);
    });
}

const TRegKey* TRegFile::FindKey(std::string_view path) const {
    auto found = std::find_if(keys_.begin(), keys_.end(),
                              [&](const TRegKey& key) { return SameRegName(key.Path, path); });
    return found == keys_.end() ? nullptr : &*found;
}

TRegKey* TRegFile::FindKeyMutable(std::string_view path) {
    return const_cast<TRegKey*>(std::as_const(*this).FindKey(path));
}

bool TRegFile::CreateKey(std::string_view path) {
    bool added = false;
    // Each prefix ending before a backslash is an ancestor; the first one is the root.
    std::string_view::size_type start = path.find('\\');
    while (start != std::string_view::npos) {
        std::string_view::size_type next = path.find('\\', start + 1);
        std::string_view prefix = path.substr(0, next);
        if (FindKey(prefix) == nullptr) {
            keys_.push_back(TRegKey{std::string(prefix), {}});
            added = true;
        }
        start = next;
    }
    if (FindKey(path) == nullptr) {
        keys_.push_back(TRegKey{std::string(path), {}});
        added = true;
    }
    return added;
}

const TRegValue* TRegFile::FindValue(std::string_view path, std::string_view name) const {
    const TRegKey* key = FindKey(path);
    if (key == nullptr) return nullptr;
    for (const TRegValue& value : key->Values) {
        if (SameRegName(value.Name, name)) return &value;
    }
    return nullptr;
}

void TRegFile::SetValue(std::string_view path, std::string_view name, DWORD type,
                        std::vector<BYTE> data) {
    CreateKey(path);
    StoreValue(*FindKeyMutable(path), name, type, std::move(data));
}

bool TRegFile::DeleteValue(std::string_view path, std::string_view name) {
    TRegKey* key = FindKeyMutable(path);
    return key != nullptr && RemoveValue(*key, name);
}
