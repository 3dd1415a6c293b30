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
// compare without regard to ASCII case and keep the case they were created with. Keys and
// values are found through hash tables, so reading, changing and writing a file take time
// in proportion to its size.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/os/wintypes.h"

// One value: name (empty for the unnamed value), type and data bytes as stored.
struct TRegValue {
    std::string Name;
    DWORD Type = 0;
    std::vector<BYTE> Data;
};

// One key: full path ("HKEY_CURRENT_USER\Software\Kelbrin") and its values in order.
// Unreadable holds the lines of the key's section that could not be read, as they stood
// (a value continued over several lines as one entry, its lines joined by '\n'): they are
// written back after the values, so a file rewritten by this program loses nothing that a
// person wrote into it.
struct TRegKey {
    std::string Path;
    std::vector<TRegValue> Values;
    std::vector<std::string> Unreadable;
};

// What Parse met besides keys and values.
struct TRegParseReport {
    // The lines that could not be read and were skipped, numbered from 1 (the first line
    // of a value continued over several lines stands for all of them).
    std::vector<size_t> SkippedLines;
};

// Case-insensitive (ASCII) hashing and equality of key paths and value names, for hash
// tables that are searched with string views.
struct TRegNameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const noexcept;
};
struct TRegNameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
};

class TRegFile {
public:
    TRegFile() = default;
    TRegFile(const TRegFile& other);
    TRegFile& operator=(const TRegFile& other);
    TRegFile(TRegFile&&) noexcept = default;
    TRegFile& operator=(TRegFile&&) noexcept = default;
    ~TRegFile();

    // Parses the text of a registry file: the "Windows Registry Editor Version 5.00" (or
    // "REGEDIT4") header, sections, values of any type ("string", dword:, hex:, hex(N):,
    // with continued hex lines), ';' comments, CRLF or LF line ends. The text is UTF-8,
    // with or without a byte order mark, or UTF-16LE with its byte order mark, as the
    // registry editor exports it (text values then become UTF-8). Values marked deleted
    // (=-) are left out.
    //
    // As the registry editor's import does, a line that cannot be read is skipped and the
    // rest is read: a malformed value, a value outside any section, a line holding a NUL
    // byte (or, in UTF-16, a unit that is no character), a malformed section line and a
    // section that deletes a key ([-...]), which is not carried out (both belong to no
    // key, and so do the values after them until the next section). Skipped lines are kept
    // (TRegKey::Unreadable, or PreambleLines when they belong to no key) and told in
    // report. A text of blanks only is an
    // empty registry. Nothing when the text has no header before its first line of
    // content: it is not a registry file.
    static std::optional<TRegFile> Parse(std::string_view text, TRegParseReport* report = nullptr);

    // The file's text, in UTF-8 with LF line ends. A string whose data cannot be written
    // as "text" (no terminator, embedded terminator, line breaks) is written as hex(1):,
    // so every value round-trips byte for byte; lines that could not be read are written
    // as they stood.
    std::string Serialise() const;

    const std::vector<TRegKey>& Keys() const { return keys_; }
    // Unreadable lines that belong to no key (before the first section, or after a section
    // line that could not be read); written right after the header.
    const std::vector<std::string>& PreambleLines() const { return preamble_; }

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
    using TNameIndex = std::unordered_map<std::string, size_t, TRegNameHash, TRegNameEqual>;

    // The position of a key in keys_, creating it (and its ancestors) when missing.
    size_t KeyIndexFor(std::string_view path);
    std::optional<size_t> KeyIndexOf(std::string_view path) const;
    std::optional<size_t> ValueIndexOf(size_t key, std::string_view name) const;
    void StoreValue(size_t key, std::string_view name, DWORD type, std::vector<BYTE> data);
    // Makes the hash table of a key's values when it has grown past a few.
    void IndexValues(size_t key);

    std::vector<TRegKey> keys_;
    std::vector<std::string> preamble_;
    TNameIndex keyIndex_;  // path -> position in keys_
    // The first part of every key's path ("HKEY_CURRENT_USER"), which exists as an ancestor
    // even without a section of its own.
    std::unordered_set<std::string, TRegNameHash, TRegNameEqual> roots_;
    // For each key (same positions as keys_): name -> position in its Values, for keys with
    // more than a few values; null for the others, which are searched in order.
    std::vector<std::unique_ptr<TNameIndex>> valueIndex_;
};

// Whether a key name or value name can be kept in the file: no line breaks, no NUL.
bool IsStorableRegName(std::string_view name);

// Case-insensitive (ASCII) equality of key paths and value names.
bool SameRegName(std::string_view a, std::string_view b);
