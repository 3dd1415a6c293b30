// Private profile (INI) files: sections of key=value lines, with the system's calls.
//
//   [Section]
//   key=value
//   ; comment
//
// Section and key names compare without regard to ASCII case; what a line says ends at
// its first NUL byte. A file name without a '/'
// is taken from the program's configuration folder (<config home>/zentick), as the system
// takes such names from its own folder; any other name is used as it stands. Reads never
// create or change a file. Writes replace the file whole under its lock, through a
// temporary file and a rename, so a reader never sees half a file and concurrent writers
// never lose each other's keys; comments and the order of lines are kept.
#pragma once

#include "platform/os/wintypes.h"

// Copies the value of key in section into buffer (size bytes, always terminated when size
// is at least 1) and returns the number of characters copied, the terminator not counted.
// Spaces around the value and one pair of enclosing quotes (' or ") are removed. When the
// file, the section or the key is missing, copies defaultValue (null means "", trailing
// spaces removed). A value too long for the buffer is cut to size - 1 characters, and
// size - 1 is returned.
//
// With key null, copies the names of the section's keys, and with section null the names
// of the file's sections: each name terminated, the list ending in a second terminator.
// When the list does not fit, the last name that fits is cut short, the list still ends in
// two terminators, and size - 2 is returned. defaultValue may be the same buffer as buffer.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD size, const char* fileName);

// Stores key=value in section, adding the section and the key when missing and creating
// the file when missing. value null removes the key; key null removes the whole section;
// removing from a file that does not exist succeeds and creates nothing. Returns nonzero
// on success; 0 when the file cannot be written (or is not a regular file), or a name
// cannot be kept in the file as given: a name or value with a line break, a section name
// with ']', a key name with '=' or starting with ';' (a comment) or '[' (a
// section). Blanks around section and key names are not part of them, here and in
// GetPrivateProfileStringA: " k " is the key k, as the file's own lines are read.
BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName);
