// Desktop entry files (the freedesktop.org format of .desktop files): string values and
// the Exec line.
//
// An Exec value is read in three steps: the string escapes of the file (\s \n \t \r \\),
// then the quoting of arguments (an argument in double quotes may hold any character;
// inside the quotes ", `, $ and \ are preceded by a backslash), then the field codes
// (%% is a literal %; %f, %U and the other codes stand for things the launcher supplies).
// ExecValue writes arguments so that any launcher following those steps starts exactly
// these arguments: whatever a path holds, it stays one argument and runs nothing else.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A string value as written in the file: \ newline tab and CR become \\ \n \t \r, and
// spaces at the start or the end become \s.
std::string EscapeDesktopValue(std::string_view value);
// The string a value in the file stands for. An unknown escape is kept as it is.
std::string UnescapeDesktopValue(std::string_view value);

// The Exec value (as it goes after "Exec=" in the file) that starts these arguments.
// Arguments of plain characters are written as they are, all others in double quotes.
std::string ExecValue(const std::vector<std::string>& arguments);

// The arguments an Exec value (as it stands in the file) starts when no files or URLs are
// given: field codes that stand for files, URLs, the icon, the name or the entry itself
// are dropped. Nothing when the value is malformed (an unclosed quote).
std::optional<std::vector<std::string>> ParseExecValue(std::string_view value);

// Desktop entry files are UTF-8 text: a value of any other bytes makes the file invalid,
// and desktops then ignore the whole entry.
bool IsValidUtf8(std::string_view text);
// The text with each byte that is not part of a UTF-8 character written as \xNN, for
// showing it.
std::string ShowUtf8(std::string_view text);

// The keys of the "[Desktop Entry]" group of a file's text, values still escaped. Comment
// lines and other groups are skipped; the first of a repeated key counts.
std::map<std::string, std::string> ReadDesktopEntry(std::string_view text);
