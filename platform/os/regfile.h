// The registry file: keys and values in the text format of registry export files.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Kelbrin\QVZentick]
//   "type"=dword:00000000
//   "name"="text with \"quotes\" and \\ backslashes"
//   @="the key's unnamed value"
//   "other"=hex(2):41,42,00
//
// TRegFile is the parsed file: keys in file order, each with its values in order. Key
// paths are full paths from the root, separated by backslashes; key paths and value names
// compare without regard to ASCII case and keep the case they were created with.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/wintypes.h"

// One value: name (empty for the unnamed value), type and data bytes as stored.
struct TRegValue {
    std::string Name;
    DWORD Type = 0;
    std::vector<BYTE> Data;
};

// One key: full path ("HKEY_CURRENT_USER\Software\Kelbrin") and its values in order.
struct TRegKey {
    std::string Path;
    std::vector<TRegValue> Values;
};

class TRegFile {
public:
    // Parses the text of a registry file: the "Windows Registry Editor Version 5.00" (or
    // "REGEDIT4") header, sections, values of any type ("string", dword:, hex:, hex(N):,
    // with continued hex lines), ';' comments, CRLF or LF line ends. The text is UTF-8,
    // with or without a byte order mark, or UTF-16LE with its byte order mark, as the
    // registry editor exports it (text values then become UTF-8). Values marked deleted
    // (=-) are left out. Nothing when the text is not such a file.
    static std::optional<TRegFile> Parse(std::string_view text);

    // The file's text, in UTF-8 with LF line ends. A string whose data cannot be written
    // as "text" (no terminator, embedded terminator, line breaks) is written as hex(1):,
    // so every value round-trips byte for byte.
    std::string Serialise() const;

    const std::vector<TRegKey>& Keys() const { return keys_; }

    // A key exists when it has a section or is the ancestor of one.
    bool KeyExists(std::string_view path) const;
    // The key's section, or null.
    const TRegKey* FindKey(std::string_view path) const;
    // Adds a section for the key and each missing ancestor below the root; true when
    // anything was added.
    bool CreateKey(std::string_view path);

    const TRegValue* FindValue(std::string_view path, std::string_view name) const;
    // Stores a value, creating the key when it is missing. An existing value of the same
    // name keeps its place and the case of its name.
    void SetValue(std::string_view path, std::string_view name, DWORD type, std::vector<BYTE> data);
    // Removes a value; false when it did not exist.
    bool DeleteValue(std::string_view path, std::string_view name);

private:
    TRegKey* FindKeyMutable(std::string_view path);
    std::vector<TRegKey> keys_;
};

// Whether a key name or value name can be kept in the file: no line breaks, no NUL.
bool IsStorableRegName(std::string_view name);

// Case-insensitive (ASCII) equality of key paths and value names.
bool SameRegName(std::string_view a, std::string_view b);
