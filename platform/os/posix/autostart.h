// The Run list of HKEY_CURRENT_USER kept as XDG autostart entries.
//
// Value NAME of HKCU\Software\Microsoft\Windows\CurrentVersion\Run is the file
// <config home>/autostart/NAME.desktop:
//
//   [Desktop Entry]
//   Type=Application
//   Name=Tarvo's Binary Clock
//   Exec=<the command line's arguments, quoted for a desktop entry>
//   X-Zentick-CommandLine=<the command line as written>
//
// The command line is split by the system's command-line rules (cmdline.h) and written as
// a desktop entry Exec line (desktopentry.h), so the session starts the same program with
// the same arguments. Reading gives back the command line as written, unless the Exec line
// was changed since, in which case a command line is built from the Exec line. Value names
// match file names without regard to ASCII case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/os/wintypes.h"

// The full path of the Run key.
constexpr std::string_view kRunKeyPath =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The autostart folder, <config home>/autostart; nothing when there is no config home.
std::optional<std::string> AutostartDir();

// An entry of that name that is not a regular file (a folder, a FIFO, a device) is never
// read, replaced or removed: each call then fails with the code of that failure.

// Reads value name into commandLine. ERROR_FILE_NOT_FOUND when there is no such entry
// (or it has no usable Exec line).
LONG ReadRunValue(std::string_view name, std::string& commandLine);

// Writes (or replaces) value name. ERROR_INVALID_PARAMETER for a name that cannot be a
// file name (empty, ".", "..", holding '/' or a line break) or a command line with no
// program; ERROR_NO_UNICODE_TRANSLATION for a command line that is not UTF-8 (a path in
// another encoding), which a desktop entry cannot hold: the desktop would ignore the
// entry, so none is written and an existing one stays; the failure's code when the
// folder or file cannot be written. Each failure to write is told on stderr (report.h).
LONG WriteRunValue(std::string_view name, std::string_view commandLine);

// Removes value name. ERROR_FILE_NOT_FOUND when there is no such entry. A failure to
// remove an existing entry is told on stderr.
LONG DeleteRunValue(std::string_view name);
