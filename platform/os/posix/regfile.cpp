#include "platform/os/posix/regfile.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {
constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr DWORD kRegBinary = 3;
constexpr DWORD kRegDword = 4;
constexpr DWORD kRegSz = 1;

// Keys with more values than this find them through a hash table; smaller ones are
// searched in order, which is quicker for a handful and costs no memory.
constexpr size_t kIndexedFrom = 8;

// While a file is parsed, a value deleted by a "=-" line keeps its place under this name
// until the end, so that deleting stays cheap however many values the key has. A parsed
// name never holds a line break, so it never matches one.
constexpr std::string_view kDeletedName = "\n";

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

std::string_view Trim(std::string_view s) {
    return TrimLeft(TrimRight(s));
}

// The lines of a text one after another, each without its line end (LF, or CRLF; carriage
// returns before the LF are all part of the line end), with their numbers from 1.
class TLineReader {
public:
    explicit TLineReader(std::string_view text) : text_(text) {}
    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        pos_ = end + 1;
        ++number_;
        return true;
    }
    // The next line without taking it; false at the end.
    bool Peek(std::string_view& line) const {
        TLineReader copy = *this;
        return copy.Next(line);
    }
    size_t Number() const { return number_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    size_t number_ = 0;
};

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
    bytes.reserve(s.size() / 3 + 1);
    s = Trim(s);
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

void AppendEscaped(std::string& text, std::string_view s) {
    for (char c : s) {
        if (c == '\\' || c == '"') text.push_back('\\');
        text.push_back(c);
    }
}

void AppendHex(std::string& text, uint32_t value, int digits) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        text.push_back(kDigits[(value >> shift) & 15]);
}

// hex(N) with N in lower-case hex and no leading zeros, as the registry editor writes it.
void AppendType(std::string& text, DWORD type) {
    text += "hex(";
    int digits = 1;
    while (digits < 8 && (type >> (4 * digits)) != 0)
        ++digits;
    AppendHex(text, type, digits);
    text += "):";
}

// A REG_SZ whose data is text and exactly one terminator, with no line break.
bool IsPlainString(const std::vector<BYTE>& data) {
    if (data.empty() || data.back() != 0) return false;
    return std::none_of(data.begin(), data.end() - 1,
                        [](BYTE b) { return b == 0 || b == '\n' || b == '\r'; });
}

void AppendUtf8(std::string& text, uint32_t c) {
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

// The text of a UTF-16LE file (after its byte order mark) as UTF-8. A unit that is no
// character (a surrogate out of its pair, a last odd byte) becomes a NUL byte, which makes
// the line that holds it unreadable and leaves the others as they are.
std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() / 2 + 1);
    auto unit = [&](size_t i) {
        return uint32_t(uint8_t(bytes[i])) | uint32_t(uint8_t(bytes[i + 1])) << 8;
    };
    const size_t whole = bytes.size() / 2 * 2;
    for (size_t i = 0; i < whole; i += 2) {
        uint32_t c = unit(i);
        if (c >= 0xDC00 && c <= 0xDFFF) {
            c = 0;
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            const uint32_t low = i + 2 < whole ? unit(i + 2) : 0;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                c = 0;
            }
        }
        AppendUtf8(text, c);
    }
    if (whole != bytes.size()) text.push_back('\0');
    return text;
}

// The first part of a path, up to its first backslash.
std::string_view RootOf(std::string_view path) {
    return path.substr(0, path.find('\\'));
}
}  // namespace

size_t TRegNameHash::operator()(std::string_view name) const noexcept {
    // FNV-1a over the case-folded bytes.
    uint64_t hash = 14695981039346656037ull;
    for (char c : name) {
        hash ^= uint8_t(FoldCase(c));
        hash *= 1099511628211ull;
    }
    return size_t(hash);
}

bool TRegNameEqual::operator()(std::string_view a, std::string_view b) const noexcept {
    return SameRegName(a, b);
}

bool SameRegName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldCase(x) == FoldCase(y);
           });
}

bool IsStorableRegName(std::string_view name) {
    return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

TRegFile::TRegFile(const TRegFile& other)
    : keys_(other.keys_),
      preamble_(other.preamble_),
      keyIndex_(other.keyIndex_),
      roots_(other.roots_) {
    valueIndex_.reserve(other.valueIndex_.size());
    for (const auto& index : other.valueIndex_)
        valueIndex_.push_back(index ? std::make_unique<TNameIndex>(*index) : nullptr);
}

TRegFile& TRegFile::operator=(const TRegFile& other) {
    if (this != &other) *this = TRegFile(other);
    return *this;
}

TRegFile::~TRegFile() = default;

std::optional<TRegFile> TRegFile::Parse(std::string_view text, TRegParseReport* report) {
    // The registry editor writes UTF-16LE with a byte order mark; our own files are UTF-8.
    std::string decoded;
    if (text.substr(0, 2) == "\xFF\xFE") {
        decoded = Utf16LeToUtf8(text.substr(2));
        text = decoded;
    } else if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    TLineReader lines(text);
    std::string_view line;

    // The header is the first line with content; comments may come before it.
    bool headerSeen = false;
    bool anyContent = false;
    while (!headerSeen && lines.Next(line)) {
        const std::string_view content = Trim(line);
        if (content.empty()) continue;
        anyContent = true;
        if (content.front() == ';') continue;
        if (content != kHeader && content != kOldHeader) return std::nullopt;
        headerSeen = true;
    }
    if (!headerSeen) return anyContent ? std::nullopt : std::optional<TRegFile>(TRegFile());

    TRegFile file;
    std::optional<size_t> current;  // the key whose section is being read
    std::vector<size_t> deletedIn;  // keys where "=-" lines left deleted values
    auto skip = [&](std::string raw, size_t number) {
        if (report) report->SkippedLines.push_back(number);
        (current ? file.keys_[*current].Unreadable : file.preamble_).push_back(std::move(raw));
    };

    while (lines.Next(line)) {
        std::string_view content = Trim(line);
        if (content.empty() || content.front() == ';') continue;
        const size_t number = lines.Number();
        const bool damaged = content.find('\0') != std::string_view::npos;
        if (content.front() == '[') {
            if (!damaged && content.back() == ']' && content.size() >= 3 && content[1] != '-') {
                current = file.KeyIndexFor(content.substr(1, content.size() - 2));
            } else {
                // A section that cannot be read, or that deletes a key: it and what follows
                // it, until the next section, belong to no key that could be named.
                current.reset();
                skip(std::string(line), number);
            }
            continue;
        }
        if (damaged) {
            skip(std::string(line), number);
            continue;
        }
        if (!current) {
            skip(std::string(line), number);
            continue;
        }

        // A value: "name" or @, then =, then its data.
        std::string raw(line);
        std::string_view rest = content;
        std::optional<std::string> name;
        if (rest.front() == '@') {
            rest.remove_prefix(1);
            name = std::string();
        } else {
            name = ReadQuoted(rest);
        }
        rest = TrimLeft(rest);
        if (!name || rest.empty() || rest.front() != '=') {
            skip(std::move(raw), number);
            continue;
        }
        rest = TrimLeft(rest.substr(1));

        if (rest == "-") {
            if (auto found = file.ValueIndexOf(*current, *name)) {
                TRegValue& value = file.keys_[*current].Values[*found];
                if (const auto& index = file.valueIndex_[*current]) index->erase(value.Name);
                value = TRegValue{std::string(kDeletedName), 0, {}};
                if (deletedIn.empty() || deletedIn.back() != *current)
                    deletedIn.push_back(*current);
            }
        } else if (!rest.empty() && rest.front() == '"') {
            auto data = ReadQuoted(rest);
            if (!data || !TrimLeft(rest).empty()) {
                skip(std::move(raw), number);
                continue;
            }
            std::vector<BYTE> bytes(data->begin(), data->end());
            bytes.push_back(0);
            file.StoreValue(*current, *name, kRegSz, std::move(bytes));
        } else if (rest.substr(0, 6) == "dword:") {
            auto value = ParseHexNumber(rest.substr(6), 8);
            if (!value) {
                skip(std::move(raw), number);
                continue;
            }
            std::vector<BYTE> bytes(4);
            for (int b = 0; b < 4; ++b)
                bytes[b] = static_cast<BYTE>(*value >> (8 * b));
            file.StoreValue(*current, *name, kRegDword, std::move(bytes));
        } else if (rest.substr(0, 3) == "hex") {
            // A line ending in a backslash continues on the next one, unless that is blank
            // or a section (the value was cut short there).
            std::string hex(rest.substr(3));
            std::string_view next;
            while (!hex.empty() && hex.back() == '\\' && lines.Peek(next) && !Trim(next).empty() &&
                   Trim(next).front() != '[') {
                lines.Next(next);
                hex.pop_back();
                hex += Trim(next);
                raw += '\n';
                raw += next;
            }
            std::string_view spec = hex;
            DWORD type = kRegBinary;
            std::optional<std::vector<BYTE>> bytes;
            if (!spec.empty() && spec.front() == '(') {
                const size_t close = spec.find(')');
                auto parsed = close == std::string_view::npos
                                  ? std::nullopt
                                  : ParseHexNumber(spec.substr(1, close - 1), 8);
                if (parsed) type = *parsed;
                spec = parsed ? spec.substr(close + 1) : std::string_view();
            }
            if (!spec.empty() && spec.front() == ':') bytes = ParseHexBytes(spec.substr(1));
            if (!bytes) {
                skip(std::move(raw), number);
                continue;
            }
            file.StoreValue(*current, *name, type, std::move(*bytes));
        } else {
            skip(std::move(raw), number);
        }
    }

    // Deleted values leave their places now.
    for (size_t key : deletedIn) {
        std::erase_if(file.keys_[key].Values,
                      [](const TRegValue& value) { return value.Name == kDeletedName; });
        file.valueIndex_[key].reset();
        file.IndexValues(key);
    }
    return file;
}

std::string TRegFile::Serialise() const {
    std::string text;
    size_t estimate = 64;
    for (const TRegKey& key : keys_) {
        estimate += key.Path.size() + 4;
        for (const TRegValue& value : key.Values)
            estimate += value.Name.size() + 3 * value.Data.size() + 24;
    }
    text.reserve(estimate);
    text += kHeader;
    text += "\n\n";
    // Lines kept as they stood; one that ends in a backslash (blanks after it aside) gets a
    // blank line after it, so that it does not take the next line in as its continuation
    // when read again.
    auto appendLines = [&](const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            text += line;
            text += '\n';
            const std::string_view content = TrimRight(line);
            if (!content.empty() && content.back() == '\\') text += '\n';
        }
    };
    if (!preamble_.empty()) {
        appendLines(preamble_);
        text += '\n';
    }
    for (const TRegKey& key : keys_) {
        text += '[';
        text += key.Path;
        text += "]\n";
        for (const TRegValue& value : key.Values) {
            if (value.Name.empty()) {
                text += '@';
            } else {
                text += '"';
                AppendEscaped(text, value.Name);
                text += '"';
            }
            text += '=';
            if (value.Type == kRegSz && IsPlainString(value.Data)) {
                text += '"';
                AppendEscaped(text,
                              std::string_view(reinterpret_cast<const char*>(value.Data.data()),
                                               value.Data.size() - 1));
                text += '"';
            } else if (value.Type == kRegDword && value.Data.size() == 4) {
                DWORD number = 0;
                for (int b = 3; b >= 0; --b)
                    number = number << 8 | value.Data[b];
                text += "dword:";
                AppendHex(text, number, 8);
            } else {
                if (value.Type == kRegBinary) {
                    text += "hex:";
                } else {
                    AppendType(text, value.Type);
                }
                for (size_t b = 0; b < value.Data.size(); ++b) {
                    if (b > 0) text += ',';
                    AppendHex(text, value.Data[b], 2);
                }
            }
            text += '\n';
        }
        appendLines(key.Unreadable);
        text += '\n';
    }
    return text;
}

std::optional<size_t> TRegFile::KeyIndexOf(std::string_view path) const {
    auto found = keyIndex_.find(path);
    if (found == keyIndex_.end()) return std::nullopt;
    return found->second;
}

size_t TRegFile::KeyIndexFor(std::string_view path) {
    if (auto found = KeyIndexOf(path)) return *found;
    roots_.emplace(RootOf(path));
    // Each prefix ending before a backslash is an ancestor; the first one is the root,
    // which gets no section of its own.
    auto add = [&](std::string_view keyPath) {
        keyIndex_.emplace(std::string(keyPath), keys_.size());
        keys_.push_back(TRegKey{std::string(keyPath), {}, {}});
        valueIndex_.emplace_back();
        return keys_.size() - 1;
    };
    std::string_view::size_type start = path.find('\\');
    while (start != std::string_view::npos) {
        std::string_view::size_type next = path.find('\\', start + 1);
        std::string_view prefix = path.substr(0, next);
        if (next == std::string_view::npos) break;
        if (!KeyIndexOf(prefix)) add(prefix);
        start = next;
    }
    return add(path);
}

bool TRegFile::KeyExists(std::string_view path) const {
    return KeyIndexOf(path).has_value() || roots_.count(path) != 0;
}

const TRegKey* TRegFile::FindKey(std::string_view path) const {
    auto found = KeyIndexOf(path);
    return found ? &keys_[*found] : nullptr;
}

bool TRegFile::CreateKey(std::string_view path) {
    const size_t before = keys_.size();
    KeyIndexFor(path);
    return keys_.size() != before;
}

std::optional<size_t> TRegFile::ValueIndexOf(size_t key, std::string_view name) const {
    if (const auto& index = valueIndex_[key]) {
        auto found = index->find(name);
        if (found == index->end()) return std::nullopt;
        return found->second;
    }
    const std::vector<TRegValue>& values = keys_[key].Values;
    for (size_t i = 0; i < values.size(); ++i)
        if (SameRegName(values[i].Name, name)) return i;
    return std::nullopt;
}

void TRegFile::IndexValues(size_t key) {
    const std::vector<TRegValue>& values = keys_[key].Values;
    if (valueIndex_[key] || values.size() <= kIndexedFrom) return;
    auto index = std::make_unique<TNameIndex>();
    index->reserve(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i].Name != kDeletedName) index->emplace(values[i].Name, i);
    valueIndex_[key] = std::move(index);
}

void TRegFile::StoreValue(size_t key, std::string_view name, DWORD type, std::vector<BYTE> data) {
    std::vector<TRegValue>& values = keys_[key].Values;
    if (auto found = ValueIndexOf(key, name)) {
        values[*found].Type = type;
        values[*found].Data = std::move(data);
        return;
    }
    values.push_back(TRegValue{std::string(name), type, std::move(data)});
    if (const auto& index = valueIndex_[key]) {
        index->emplace(values.back().Name, values.size() - 1);
    } else {
        IndexValues(key);
    }
}

const TRegValue* TRegFile::FindValue(std::string_view path, std::string_view name) const {
    auto key = KeyIndexOf(path);
    if (!key) return nullptr;
    auto found = ValueIndexOf(*key, name);
    return found ? &keys_[*key].Values[*found] : nullptr;
}

void TRegFile::SetValue(std::string_view path, std::string_view name, DWORD type,
                        std::vector<BYTE> data) {
    StoreValue(KeyIndexFor(path), name, type, std::move(data));
}

bool TRegFile::DeleteValue(std::string_view path, std::string_view name) {
    auto key = KeyIndexOf(path);
    if (!key) return false;
    auto found = ValueIndexOf(*key, name);
    if (!found) return false;
    std::vector<TRegValue>& values = keys_[*key].Values;
    values.erase(values.begin() + ptrdiff_t(*found));
    // The positions after it have moved.
    valueIndex_[*key].reset();
    IndexValues(*key);
    return true;
}
