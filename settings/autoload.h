// Start at log-on: the program's entry in the per-user Run list.
#pragma once

#include "platform/os/registry.h"

// The Run key, below HKEY_CURRENT_USER.
constexpr const char* kRunSubKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// With enable nonzero, stores value valueName of the Run key as the program's own path in
// double quotes followed by " -autominimize", replacing any value of that name; with
// enable 0, removes the value (a missing one is no error). The Run key is opened, never
// created. Nothing is written, and an existing value is kept, when the program's path
// cannot be read, when it names no program file (the program's file was removed while it
// runs, so the system reports ".../zentick (deleted)") or when the command does not fit its
// 1024-byte buffer (a path cut short would start another program). Returns the result of
// opening the key when that fails, otherwise the result of closing it.
LONG SetAutoLoad(int enable, const char* valueName);
